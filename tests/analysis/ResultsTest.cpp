// The tutor's exercise results in a profile: read and written back field for
// field, so that the tutor finds its entries intact.
#include <gtest/gtest.h>

#include <string>

#include "analysis/UResults.h"
#include "storage/DynamicSettings.h"
#include "storage/Exceptions.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

const char* const kProfile = "C:\\Data\\Ann.usr";

class TResultsTest : public test::PlatformTest {
 protected:
  // A profile with these contents, opened writable and loaded.
  TDynamicSettings& Profile(const std::string& text) {
    fake.WriteHostFile(kProfile, text);
    EXPECT_EQ(profile_.Open(kProfile, dynamic_mode::ReadWriteDenyWrite), 1);
    EXPECT_EQ(profile_.Load(), 1);
    return profile_;
  }
  std::string FileText() {
    profile_.Save();
    return fake.ReadHostFile(kProfile);
  }

 private:
  TDynamicSettings profile_;
};

// ------------------------------------------------------------ the list --

// Without ReCnt nothing is loaded and "ReCnt=0" is written; entries above
// ReCnt are not loaded, missing ones are dropped and not written back;
// ReCnt becomes the highest index loaded, even from a damaged huge count;
// loading again replaces the items.
TEST_F(TResultsTest, TheListFollowsReCntAndTheEntriesThatExist) {
  TDynamicSettings& empty = Profile("UserName=Ann\r\n");
  TResults results;
  results.LoadFrom(&empty);
  EXPECT_TRUE(results.Items.empty());
  results.SaveTo(empty);
  EXPECT_EQ(FileText(), "UserName=Ann\r\nReCnt=0\r\n");

  const std::string kept = "ReCnt=3\r\nRe0=A;1;10;1;0;0;2;STD\r\nRe2=C;0;30;3;0;0;4;STD\r\n";
  TDynamicSettings& profile = Profile(kept + "Re5=B;1;1;1;0;0;2;STD\r\n");
  results.LoadFrom(&profile);
  results.LoadFrom(&profile);
  ASSERT_EQ(results.Items.size(), 2u);
  EXPECT_EQ(results.Items[1]->Index, 2);
  EXPECT_EQ(results.ReCnt, 2);
  profile.SetString("Re5", "");
  results.SaveTo(profile);
  EXPECT_EQ(FileText(), "ReCnt=2\r\nRe0=A;1;10;1;0;0;2;STD\r\nRe2=C;0;30;3;0;0;4;STD\r\n");

  TDynamicSettings& huge = Profile("ReCnt=2147483647\r\nRe7=A;1;1;1;0;0;2;STD\r\nRe07=B;1;1;1;0;0;2;STD\r\n");
  results.LoadFrom(&huge);  // returns at once
  ASSERT_EQ(results.Items.size(), 1u);
  EXPECT_EQ(results.Items[0]->Kind, "A");
  EXPECT_EQ(results.ReCnt, 7);
}

// ------------------------------------------------------------ one item --

// Each kind reads its own fields and writes them back as they were: a
// standard item has none after its type and reads extras as -1; a bookmark
// test stores its second and third counts crosswise; a name reads a dash as
// a zero sixth count; a game keeps its value and writes no extras.
TEST_F(TResultsTest, EachKindOfItemRoundTrips) {
  struct Case {
    std::string stored, written;
  };
  const std::string bookmark = "BKM;Chapter 3;12;34;56;0;1;98.5;7;L1;0;8;TEST;2;9;10;0;0;11;13;12;14;15;16;Good;1;2;3";
  const Case cases[] = {
      {"LESSON;0;55.5;120;A;0;2;STD", "LESSON;0;55.5;120;A;0;2;STD"},
      {bookmark, bookmark},
      {"NAME;Ann;0;0;0;12.25;3;x;0;4;TEXT;4;5;6;0;0;1;2;3;4;5;-;0;7;8;9",
       "NAME;Ann;0;0;0;12.25;3;x;0;4;TEXT;4;5;6;0;0;1;2;3;4;5;0;0;7;8;9"},
      {"X;1;0;1;0;0;2;GAME;3;3;4;0;0;500;0;0", "X;1;0;1;0;0;2;GAME;3;3;4;0;0;500;0;0"},
      // The two modes as one code: 1 and 4 are both, 2 and 3 one each, others neither.
      {"K;0;0;0;0;0;0;DRILL;1;0;0;0;0", "K;0;0;0;0;0;0;DRILL;4;0;0;0;0"},
      {"K;0;0;0;0;0;0;DRILL;2;0;0;0;0", "K;0;0;0;0;0;0;DRILL;2;0;0;0;0"},
      {"K;0;0;0;0;0;0;DRILL;3;0;0;0;0", "K;0;0;0;0;0;0;DRILL;3;0;0;0;0"},
      {"K;0;0;0;0;0;0;DRILL;9;0;0;0;0", "K;0;0;0;0;0;0;DRILL;0;0;0;0;0"},
  };
  std::vector<TResultItem> items;
  for (const Case& c : cases) {
    ASSERT_EQ(items.emplace_back(0).LoadFrom(0, &Profile("Re0=" + c.stored + "\r\n")), 0) << c.stored;
    EXPECT_EQ(items.back().Line(), c.written);
  }
  const TResultItem &lesson = items[0], &marked = items[1], &game = items[3];
  EXPECT_EQ(lesson.Extra, (std::array<int32_t, 3>{-1, -1, -1}));
  EXPECT_EQ(lesson.Number1, 120);
  EXPECT_EQ(marked.BookmarkText, "Chapter 3");
  EXPECT_EQ(marked.BookmarkC, 56);
  EXPECT_TRUE(marked.ModeA);
  EXPECT_FALSE(marked.ModeB);
  EXPECT_EQ(marked.Number4, 10);
  EXPECT_EQ(marked.Counts, (std::array<int32_t, 6>{11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(marked.Note, "Good");
  EXPECT_EQ(marked.Extra, (std::array<int32_t, 3>{1, 2, 3}));
  EXPECT_EQ(game.GameValue, 500);
}

// An empty note is written and read back as a dash. Every real number is
// written with "." for the whole run, on a system with a decimal comma too.
TEST_F(TResultsTest, EmptyNotesAndDecimalCommas) {
  TDynamicSettings& profile = Profile("");
  TResults results;
  auto item = std::make_unique<TResultItem>(0);
  item->Kind = "K";
  item->Type = "TEST";
  results.Items.push_back(std::move(item));
  results.SaveTo(profile);
  EXPECT_EQ(profile.GetString("Re0"), "K;0;0;0;0;0;0;TEST;0;0;0;0;0;0;0;0;0;0;0;-;0;0;0");
  profile.SetString("Re0", "K;0;0;0;0;0;0;TEST;0;0;0;0;0;0;0;0;0;0;0;;0;0;0");
  results.LoadFrom(&profile);
  EXPECT_EQ(results.Items[0]->Note, "-");
  fake.system.formats.decimalSeparator = ',';
  profile.SetString("Re0", "K;1;12,75;0;0;0;0;STD");
  TResultItem comma(0);
  comma.LoadFrom(0, &profile);
  EXPECT_DOUBLE_EQ(comma.Value, 12.75);
  EXPECT_EQ(comma.Line(), "K;1;12.75;0;0;0;0;STD");
}

// ------------------------------------------------------------ bad input --

// No store or an empty entry gives -3. A malformed number or a truncated
// line raises the conversion error, and a list stops with the items read
// before it; a malformed fourth number and extras fall back to 0, and only
// the extras present are read.
TEST_F(TResultsTest, MalformedLines) {
  TResultItem empty(4);
  EXPECT_EQ(empty.LoadFrom(0, nullptr), -3);
  EXPECT_EQ(empty.LoadFrom(1, &Profile("Re0=\r\n")), -3);
  EXPECT_EQ(empty.Index, 1);
  for (const char* line : {"K;1;abc;0;0;0;0;STD", "K;x;1;0;0;0;0;STD", "K;1;1;1x;0;0;0;STD", "K;1;1;1;0;0;;STD",
                           "BKM;t;a;0;0;0;1;1;1;0;0;0;STD", "K;1;1;1;0;0;0;TEST;0;bad;0;0;0;1;2;3;4;5;6;n",
                           "K;1;1;1;0;0;0;TEXT;0;0;0;0;0;1;2;3;4;5;six;0", "K;1;1;1;0;0;0;GAME;0;0;0;0;0;lots",
                           "K", "K;1", "K;1;2;3", "K;1;2;3;L;0", "K;1;1;1;0;0;0;TEST;0;1",
                           "K;1;1;1;0;0;0;TEST;0;1;2;0;0;5"}) {
    TDynamicSettings& profile = Profile(std::string("Re0=") + line + "\r\n");
    TResultItem item(0);
    EXPECT_THROW(item.LoadFrom(0, &profile), EConvertError) << line;
  }
  TDynamicSettings& profile = Profile("ReCnt=2\r\nRe0=K;1;1;1;0;0;0;TEST;0;3;four;0;0;1;2;3;4;5;6;n;x;;9\r\n"
                                      "Re1=B;?;1;1;0;0;0;STD\r\nRe2=K;1;1;1;0;0;0;TEXT;0;0;0;0;0;1;2;3;4;5;6;0;42\r\n");
  TResults results;
  EXPECT_THROW(results.LoadFrom(&profile), EConvertError);
  ASSERT_EQ(results.Items.size(), 1u);
  EXPECT_EQ(results.Items[0]->Number3, 3);
  EXPECT_EQ(results.Items[0]->Number4, 0);
  EXPECT_EQ(results.Items[0]->Extra, (std::array<int32_t, 3>{0, 0, 9}));
  TResultItem item(0);
  ASSERT_EQ(item.LoadFrom(2, &profile), 2);
  EXPECT_EQ(item.Extra, (std::array<int32_t, 3>{42, -1, -1}));
}

}  // namespace
}  // namespace strevo
