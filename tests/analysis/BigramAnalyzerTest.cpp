#include "analysis/BigramAnalyzer.h"

#include <filesystem>
#include <memory>
#include <string>

#include "analysis/AnalysisFixture.h"
#include "storage/DateTime.h"

namespace strevo::test {
namespace {

class BigramTest : public AnalysisTest {
 protected:
  void SetUp() override {
    AnalysisTest::SetUp();
    fake.clock.SetNow(encode_date(2025, 3, 14) + encode_time(9, 26, 53));
    table.Folder = "C:\\Data";
    bigrams.Table = &table;
    bigrams.SetEnabled(true);
  }

  // Feeds letters a tenth of a second apart.
  void type(const std::string& text) {
    int32_t time = 1000;
    for (char ch : text) bigrams.CharPressed(static_cast<unsigned char>(ch), time += 100);
  }
  TBigramRecord record(const std::string& key) {
    TBigramRecord found;
    EXPECT_TRUE(table.Dictionary.Find(key, found)) << key;
    return found;
  }
  bool has(const std::string& key) {
    TBigramRecord ignored;
    return table.Dictionary.Find(key, ignored);
  }
  size_t files_on_drive() {
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fake.Root()))
      if (entry.is_regular_file()) ++count;
    return count;
  }

  TUserBigrams table;
  TBigramAnalyzer bigrams;
};

// ----------------------------------------------------------------- typing --

// The message time may wrap. (Pairs, error pairs and pauses as typed:
// LetterPairTest/TypingCountsPairsErrorPairsAndTheirDelays.)
TEST_F(BigramTest, TheDelayOfAPairSpansTheWrapOfTheMessageTime) {
  bigrams.CharPressed('c', INT32_MAX - 10);
  bigrams.CharPressed('d', INT32_MIN + 50);
  EXPECT_EQ(record("cd").TimeSum, 61);
}

// Disabled, nothing counts; enabling again starts a fresh run.
TEST_F(BigramTest, DisabledAnalyzerCountsNothing) {
  bigrams.CharPressed('a', 1000);
  bigrams.SetEnabled(false);
  type("abc");
  bigrams.Backspace();
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  EXPECT_FALSE(table.Dirty);
  bigrams.SetEnabled(true);
  bigrams.CharPressed('b', 1100);
  EXPECT_FALSE(has("ab"));
}

// The 1025th distinct pair is not stored; existing pairs keep counting; all
// figures of a full table survive a save and a load, byte for byte.
TEST_F(BigramTest, AFullTableOf1024PairsSavesAndLoadsEveryFigure) {
  const std::string symbols = "0123456789abcdefghijklmnopqrstuvwxyz";
  int n = 0;
  for (char a : symbols)
    for (char b : symbols) {
      if (n == 1024) break;
      bigrams.CharPressed(static_cast<unsigned char>(a), 0);
      bigrams.CharPressed(static_cast<unsigned char>(b), 1 + n % 4000);
      if (n % 3 == 0) {
        bigrams.Backspace();
        bigrams.CharPressed(static_cast<unsigned char>(b), 0);
      }
      bigrams.Cancel();
      ++n;
    }
  ASSERT_EQ(table.Dictionary.GetCount(), 1024);
  type("zz");
  EXPECT_FALSE(has("zz"));
  bigrams.Cancel();
  const int32_t zeros = record("00").Count;
  type("00");
  EXPECT_EQ(record("00").Count, zeros + 1);
  table.UserName = table.FileBase = "Ann";
  ASSERT_TRUE(table.Save());
  const std::string saved = fake.ReadHostFile("C:\\Data\\Ann.json");
  TUserBigrams loaded;
  loaded.Folder = "C:\\Data";
  loaded.UserName = loaded.FileBase = "Ann";
  loaded.Load();
  ASSERT_EQ(loaded.Dictionary.GetCount(), 1024);
  EXPECT_FALSE(loaded.Dirty);
  loaded.Save();
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Ann.json"), saved);
}

// --------------------------------------------------------------- the file --

// The user escaped by the JSON rules; the folder made with its parents.
// (The file's exact line: LetterPairFileTest/TheFileIsOneExactLine.)
TEST_F(BigramTest, FileTextEscapesTheUserAndMakesTheFolder) {
  TUserBigrams other;
  other.Folder = "C:\\Data\\Sub\\Deeper\\";
  other.UserName = "Ann \"Jr\"";
  other.FileBase = "Ann Jr";
  other.Source = 3;
  EXPECT_EQ(other.FileName(), "C:\\Data\\Sub\\Deeper\\Ann Jr.json");
  ASSERT_TRUE(other.Save());
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Sub\\Deeper\\Ann Jr.json"),
            "{\"user\": \"Ann \\\"Jr\\\"\", \"source\": 3, \"timestamp\": \"2025-03-14T09:26:53Z\", \"version\": \"1.0\", "
            "\"bigrams\": []}");
  EXPECT_EQ(EscapeJson("\r\b\t\n\f\"/\\"), "\\r\\b\\t\\n\\f\\\"\\/\\\\");
  EXPECT_EQ(EscapeJson(std::string("\x01\x1f", 2) + std::string(1, '\0')), "\\u0001\\u001f\\u0000");
  EXPECT_EQ(EscapeJson("\x7f\xe9 ok"), "\x7f\xe9 ok");
}

// Without a user or a folder, or with a name that is not safe for a file,
// nothing is written.
TEST_F(BigramTest, NothingIsWrittenWithoutAUsableUserOrFolder) {
  for (const char* name : {"..\\evil", "..\\..\\evil", "a/b", "C:evil", "..", "x..y", "CON", "con.txt", "Lpt1",
                           "lpt3.txt", "COM9.json", "nul ", "aux", "PRN.a.b", "Ann\x01"})
    EXPECT_TRUE(TUserBigrams::IsUnsafeUserName(name)) << name;
  for (const char* name : {"Ann", "Connie", "COM10", "COM0", "LPT", "Ann.Lee", "con-man", "Ann \"Jr\"", "\xC5sa"})
    EXPECT_FALSE(TUserBigrams::IsUnsafeUserName(name)) << name;
  const size_t before = files_on_drive();
  EXPECT_FALSE(table.Save());
  table.Folder = "C:\\Data\\Users";
  table.UserName = "..\\evil";
  type("ab");
  EXPECT_FALSE(table.Save());
  table.UserName = table.FileBase = "Ann";
  table.Folder = "";
  EXPECT_FALSE(table.Save());
  EXPECT_EQ(files_on_drive(), before);
}

// A save that fails, at the file's creation or half-way, raises and keeps
// the changes for the next one; destruction saves but never throws.
TEST_F(BigramTest, FailedSaveRaisesAndKeepsTheChangesPending) {
  table.UserName = table.FileBase = "Ann";
  type("old");
  for (const FileFault& fault : {FileFault{FileFault::FailOpen, "Ann.json", 0}, {FileFault::FailWrite, "Ann.json", 40}}) {
    fake.files.Add(fault);
    EXPECT_THROW(table.Save(), EStrevoError);
    fake.files.ClearFaults();
    EXPECT_TRUE(table.Dirty);
  }
  EXPECT_TRUE(table.Save());
  EXPECT_NE(fake.ReadHostFile("C:\\Data\\Ann.json").find("\"bigram\": \"ol\""), std::string::npos);
  for (bool failing : {true, false}) {
    fake.files.ClearFaults();
    EXPECT_FALSE(fake.files.FileExists("C:\\Data\\Bo.json"));
    TUserBigrams scoped;
    scoped.Folder = "C:\\Data";
    scoped.UserName = scoped.FileBase = "Bo";
    scoped.Count('o', 'k', 10, false);
    if (failing) fake.files.Add({FileFault::FailWrite, "Bo.json", 10});
  }
  EXPECT_NE(fake.ReadHostFile("C:\\Data\\Bo.json").find("\"bigram\": \"ok\""), std::string::npos);
}

// ---------------------------------------------------------- user switches --

// The old user's pairs are saved (a failure does not stop the switch); a
// new user without a file, with an empty or an unreadable one starts empty;
// switching back loads the user's own pairs.
TEST_F(BigramTest, SwitchingUsers) {
  table.SetUser("Ann", "Ann");
  type("ann");
  table.SetUser("Bob", "Bob");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  EXPECT_NE(fake.ReadHostFile("C:\\Data\\Ann.json").find("\"bigram\": \"an\""), std::string::npos);
  type("bob");
  table.SetUser("Ann", "Ann");
  EXPECT_TRUE(has("an"));
  EXPECT_FALSE(has("bo"));
  EXPECT_FALSE(table.Dirty);
  fake.WriteHostFile("C:\\Data\\Cy.json", "");
  table.SetUser("Cy", "Cy");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  type("cy");
  fake.WriteHostFile("C:\\Data\\Di.json", "{\"bigrams\": [{\"bigram\": \"di\", \"count\": 1}]}");
  fake.files.Add({FileFault::FailOpen, "Di.json", 0});
  fake.files.Add({FileFault::FailWrite, "Cy.json", 5});
  table.SetUser("Di", "Di");
  EXPECT_EQ(table.UserName, "Di");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

// Files named by the user's name are read until the file of the base is
// written, when the name keeps to the folder.
TEST_F(BigramTest, TheFormerFileIsReadUntilTheFileOfTheBaseIsWritten) {
  const std::string pairs = "{\"bigrams\": [{\"bigram\": \"xx\", \"count\": 1}]}";
  fake.WriteHostFile("C:\\Ann.json", pairs);
  table.SetUser("..\\Ann", "Ann");
  EXPECT_EQ(table.Dictionary.GetCount(), 0) << "a name outside the folder";
  fake.WriteHostFile("C:\\Data\\Ann & Bo.json", pairs);
  table.SetUser("Ann & Bo", "Ann Bo");
  EXPECT_EQ(table.Dictionary.GetCount(), 1);
  ASSERT_TRUE(table.Save());
  fake.WriteHostFile("C:\\Data\\Ann & Bo.json", "{\"bigrams\": []}");
  table.Load();
  EXPECT_EQ(table.Dictionary.GetCount(), 1) << "the file of the base, once written";
}

}  // namespace
}  // namespace strevo::test
