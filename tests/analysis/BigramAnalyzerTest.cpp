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

  // Feeds text the way the tray core does: Backspace before a backspace, the
  // word end for a blank, then the character with its message time.
  void type(const std::string& text, int32_t start = 1000, int32_t step = 100) {
    int32_t time = start;
    for (char ch : text) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == 8) bigrams.Backspace();
      if (c == ' ') bigrams.WordEnd();
      bigrams.CharPressed(c, time);
      time += step;
    }
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
  // Loads the text as the file of user Ann.
  void load_text(const std::string& text) {
    fake.files.MakeDirectory("C:\\Data");
    fake.WriteHostFile("C:\\Data\\Ann.json", text);
    table.UserName = table.FileBase = "Ann";
    table.Load();
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

TEST_F(BigramTest, BackspaceTurnsTheNextLetterIntoAnErrorBigramWithTheCharacterBeforeTheDeletedOne) {
  type("thr\be", 1000, 100);
  EXPECT_EQ(record("th").Count, 1);
  EXPECT_EQ(record("th").ErrorCount, 0);
  EXPECT_EQ(record("th").TimeSum, 100);
  EXPECT_EQ(record("hr").Count, 1);
  EXPECT_EQ(record("he").Count, 1);
  EXPECT_EQ(record("he").ErrorCount, 1);
  EXPECT_EQ(record("he").TimeSum, 0);
  EXPECT_FALSE(has("re"));  // the first letter after a backspace starts afresh
  EXPECT_EQ(table.Dictionary.GetCount(), 3);
}

TEST_F(BigramTest, WordEndSeparatesLetters) {
  type("a b");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

TEST_F(BigramTest, CapitalLettersAreCountedLowerCase) {
  type("Th");
  EXPECT_EQ(record("th").Count, 1);
  type("TH");
  EXPECT_EQ(record("th").Count, 2);
}

TEST_F(BigramTest, PausesOfFiveSecondsOrMoreAddNoTime) {
  bigrams.CharPressed('a', 1000);
  bigrams.CharPressed('b', 6000);  // exactly 5 000 ms
  EXPECT_EQ(record("ab").Count, 1);
  EXPECT_EQ(record("ab").TimeSum, 0);
  bigrams.CharPressed('a', 10999);  // 4 999 ms
  EXPECT_EQ(record("ba").TimeSum, 4999);
  bigrams.CharPressed('b', 10999);  // 0 ms
  EXPECT_EQ(record("ab").Count, 2);
  EXPECT_EQ(record("ab").TimeSum, 0);
}

TEST_F(BigramTest, MessageTimeWrapStillGivesTheDelay) {
  bigrams.CharPressed('a', INT32_MAX - 10);
  bigrams.CharPressed('b', INT32_MIN + 50);
  EXPECT_EQ(record("ab").TimeSum, 61);
}

TEST_F(BigramTest, BackspaceAsSecondCharacterMarksNothing) {
  type("a\bb");
  EXPECT_EQ(bigrams.PendingErrorChar, 0);
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

TEST_F(BigramTest, CancelForgetsThePendingError) {
  type("thr\b");
  bigrams.Cancel();
  type("e");
  EXPECT_FALSE(has("he"));
}

TEST_F(BigramTest, CharactersOtherThanLettersAndDigitsAreIgnoredCompletely) {
  type("a#\xE9" "1");
  EXPECT_EQ(record("a1").Count, 1);
  EXPECT_EQ(table.Dictionary.GetCount(), 1);
}

TEST_F(BigramTest, DisabledAnalyzerCountsNothing) {
  bigrams.SetEnabled(false);
  type("abc");
  bigrams.Backspace();
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  EXPECT_FALSE(table.Dirty);
}

TEST_F(BigramTest, EnablingResumesWithAFreshRun) {
  bigrams.CharPressed('a', 1000);
  bigrams.SetEnabled(false);
  bigrams.SetEnabled(true);
  bigrams.CharPressed('b', 1100);
  EXPECT_FALSE(has("ab"));
}

TEST_F(BigramTest, The1025thDistinctBigramIsNotStored) {
  const std::string symbols = "0123456789abcdefghijklmnopqrstuvwxyz";
  int distinct = 0;
  for (char a : symbols)
    for (char b : symbols) {
      if (distinct == 1024) break;
      bigrams.CharPressed(static_cast<unsigned char>(a), 0);
      bigrams.CharPressed(static_cast<unsigned char>(b), 10);
      bigrams.Cancel();
      ++distinct;
    }
  ASSERT_EQ(table.Dictionary.GetCount(), 1024);
  table.Dirty = false;
  type("zz");
  EXPECT_FALSE(has("zz"));
  EXPECT_TRUE(table.Dirty);
  EXPECT_EQ(table.Dictionary.GetCount(), 1024);
  type("00");
  EXPECT_EQ(record("00").Count, 2);  // existing bigrams keep counting
}

// --------------------------------------------------------------- the file --

TEST_F(BigramTest, FileTextIsOneExactLine) {
  table.UserName = table.FileBase = "Ann";
  type("the", 1000, 150);
  ASSERT_TRUE(table.Save());
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Ann.json"),
            "{\"user\": \"Ann\", \"source\": 0, \"timestamp\": \"2025-03-14T09:26:53Z\", \"version\": \"1.0\", "
            "\"bigrams\": [{\"bigram\": \"he\", \"count\": 1, \"error_count\": 0, \"time_sum\": 150, "
            "\"last_seen\": \"2025-03-14T09:00:00Z\"}, {\"bigram\": \"th\", \"count\": 1, \"error_count\": 0, "
            "\"time_sum\": 150, \"last_seen\": \"2025-03-14T09:00:00Z\"}]}");
  EXPECT_FALSE(table.Dirty);
}

TEST_F(BigramTest, EmptyTableWritesAnEmptyArray) {
  table.UserName = table.FileBase = "Ann";
  table.Source = 3;
  ASSERT_TRUE(table.Save());
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Ann.json"),
            "{\"user\": \"Ann\", \"source\": 3, \"timestamp\": \"2025-03-14T09:26:53Z\", \"version\": \"1.0\", "
            "\"bigrams\": []}");
}

TEST_F(BigramTest, LastSeenIsCutToTheHour) {
  fake.clock.SetNow(encode_date(2024, 12, 31) + encode_time(23, 59, 59));
  table.UserName = table.FileBase = "Ann";
  type("ok");
  table.Save();
  EXPECT_NE(fake.ReadHostFile("C:\\Data\\Ann.json").find("\"last_seen\": \"2024-12-31T23:00:00Z\""), std::string::npos);
}

TEST_F(BigramTest, EscapingFollowsTheJsonRules) {
  EXPECT_EQ(EscapeJson("\r\b\t\n\f\"/\\"), "\\r\\b\\t\\n\\f\\\"\\/\\\\");
  EXPECT_EQ(EscapeJson(std::string("\x01\x1f", 2) + std::string(1, '\0')), "\\u0001\\u001f\\u0000");
  EXPECT_EQ(EscapeJson("\x7f\xe9 ok"), "\x7f\xe9 ok");
}

TEST_F(BigramTest, UserNameWithAQuoteIsEscapedInTheUserField) {
  table.UserName = "Ann \"Jr\"";
  table.FileBase = "Ann Jr";
  ASSERT_TRUE(table.Save());
  const std::string text = fake.ReadHostFile("C:\\Data\\Ann Jr.json");
  EXPECT_EQ(text.rfind("{\"user\": \"Ann \\\"Jr\\\"\", \"source\": 0, ", 0), 0u);
}

TEST_F(BigramTest, FolderIsCreatedWithItsParentsAndNoDoubledBackslash) {
  table.Folder = "C:\\Data\\Sub\\Deeper\\";
  table.UserName = table.FileBase = "Ann";
  EXPECT_EQ(table.FileName(), "C:\\Data\\Sub\\Deeper\\Ann.json");
  ASSERT_TRUE(table.Save());
  EXPECT_TRUE(fake.files.FileExists("C:\\Data\\Sub\\Deeper\\Ann.json"));
}

TEST_F(BigramTest, NothingIsWrittenWithoutUserOrFolder) {
  const size_t before = files_on_drive();
  EXPECT_FALSE(table.Save());
  table.UserName = table.FileBase = "Ann";
  table.Folder = "";
  EXPECT_FALSE(table.Save());
  EXPECT_EQ(files_on_drive(), before);
}

TEST_F(BigramTest, SaveAndLoadOf1024BigramsKeepsEveryFigure) {
  const std::string symbols = "0123456789abcdefghijklmnopqrstuvwxyz";
  int n = 0;
  for (char a : symbols)
    for (char b : symbols) {
      if (n == 1024) break;
      bigrams.CharPressed(static_cast<unsigned char>(a), 0);
      bigrams.CharPressed(static_cast<unsigned char>(b), 1 + n % 4000);
      if (n % 3 == 0) {
        bigrams.Backspace();
        bigrams.CharPressed(static_cast<unsigned char>(b), 0);  // error bigram a-b
      }
      bigrams.Cancel();
      ++n;
    }
  table.UserName = table.FileBase = "Ann";
  ASSERT_TRUE(table.Save());
  const std::string saved = fake.ReadHostFile("C:\\Data\\Ann.json");

  TUserBigrams loaded;
  loaded.Folder = "C:\\Data";
  loaded.UserName = loaded.FileBase = "Ann";
  loaded.Load();
  ASSERT_EQ(loaded.Dictionary.GetCount(), 1024);
  for (int32_t slot = 0; slot < 1024; ++slot) {
    TBigramRecord copy;
    ASSERT_TRUE(loaded.Dictionary.Find(table.Dictionary.KeyAt(slot), copy));
    EXPECT_EQ(copy.Count, table.Dictionary.RecordAt(slot).Count);
    EXPECT_EQ(copy.ErrorCount, table.Dictionary.RecordAt(slot).ErrorCount);
    EXPECT_EQ(copy.TimeSum, table.Dictionary.RecordAt(slot).TimeSum);
  }
  EXPECT_FALSE(loaded.Dirty);
  loaded.Save();
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Ann.json"), saved);
}

// ------------------------------------------------------- a failing write --

// A save that fails, at the file's creation or half-way, raises and keeps
// the changes for the next save.
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
}

TEST_F(BigramTest, DestructionSavesButNeverThrows) {
  {
    TUserBigrams scoped;
    scoped.Folder = "C:\\Data";
    scoped.UserName = scoped.FileBase = "Ann";
    scoped.Count('o', 'k', 10, false);
    fake.files.Add({FileFault::FailWrite, "Ann.json", 10});
  }
  EXPECT_FALSE(fake.files.FileExists("C:\\Data\\Ann.json"));
  fake.files.ClearFaults();
  {
    TUserBigrams scoped;
    scoped.Folder = "C:\\Data";
    scoped.UserName = scoped.FileBase = "Ann";
    scoped.Count('o', 'k', 10, false);
  }
  EXPECT_NE(fake.ReadHostFile("C:\\Data\\Ann.json").find("\"bigram\": \"ok\""), std::string::npos);
}

// ---------------------------------------------------------- user switches --

TEST_F(BigramTest, NewUserWithoutAFileStartsWithAnEmptyTable) {
  table.SetUser("Ann", "Ann");
  type("ann");
  table.SetUser("Bob", "Bob");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  EXPECT_NE(fake.ReadHostFile("C:\\Data\\Ann.json").find("\"bigram\": \"an\""), std::string::npos);
  ASSERT_TRUE(table.Save());
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Bob.json").find("\"bigram\""), std::string::npos);
}

TEST_F(BigramTest, NewUserWithAnEmptyOrUnreadableFileStartsWithAnEmptyTable) {
  table.SetUser("Ann", "Ann");
  type("ann");
  fake.WriteHostFile("C:\\Data\\Bob.json", "");
  table.SetUser("Bob", "Bob");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  type("bob");
  fake.WriteHostFile("C:\\Data\\Cy.json", "{\"bigrams\": [{\"bigram\": \"cy\", \"count\": 1}]}");
  fake.files.Add({FileFault::FailOpen, "Cy.json", 0});
  table.SetUser("Cy", "Cy");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

TEST_F(BigramTest, SwitchingBackLoadsTheUsersOwnBigrams) {
  table.SetUser("Ann", "Ann");
  type("ann");
  table.SetUser("Bob", "Bob");
  type("bob");
  table.SetUser("Ann", "Ann");
  EXPECT_TRUE(has("an"));
  EXPECT_FALSE(has("bo"));
  EXPECT_FALSE(table.Dirty);
}

TEST_F(BigramTest, FailedSaveOfTheOldUserDoesNotStopTheSwitch) {
  table.SetUser("Ann", "Ann");
  type("ann");
  fake.files.Add({FileFault::FailWrite, "Ann.json", 5});
  table.SetUser("Bob", "Bob");
  EXPECT_EQ(table.UserName, "Bob");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

TEST_F(BigramTest, UnsafeUserNamesAreRecognised) {
  for (const char* name : {"..\\evil", "a/b", "C:evil", "..", "x..y", "CON", "con.txt", "Lpt1", "COM9.json", "nul ",
                           "aux", "PRN.a.b", "Ann\x01"})
    EXPECT_TRUE(TUserBigrams::IsUnsafeUserName(name)) << name;
  for (const char* name : {"Ann", "Connie", "COM10", "COM0", "LPT", "Ann.Lee", "con-man", "Ann \"Jr\"", "\xC5sa"})
    EXPECT_FALSE(TUserBigrams::IsUnsafeUserName(name)) << name;
}

TEST_F(BigramTest, UnsafeUserNameNeverTouchesAFile) {
  table.Folder = "C:\\Data\\Users";
  const size_t before = files_on_drive();
  for (const char* name : {"..\\evil", "..\\..\\evil", "CON", "lpt3.txt", "a/b"}) {
    table.UserName = name;
    type("ab");
    EXPECT_FALSE(table.Save()) << name;
  }
  EXPECT_EQ(files_on_drive(), before);
  EXPECT_FALSE(fake.files.DirectoryExists("C:\\Data\\Users"));
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

// ---------------------------------------------------------- tolerant load --

TEST_F(BigramTest, ArrayWithLineBreaksAndTabsLoads) {
  load_text(
      "{\r\n\t\"bigrams\":\r\n\t[\r\n\t{\"bigram\": \"ab\", \"count\": 3, \"error_count\": 1, \"time_sum\": 250},"
      "\r\n\t\t{\"bigram\":\"cd\",\"count\":\t7}\r\n]}");
  EXPECT_EQ(table.Dictionary.GetCount(), 2);
  EXPECT_EQ(record("ab").Count, 3);
  EXPECT_EQ(record("ab").ErrorCount, 1);
  EXPECT_EQ(record("ab").TimeSum, 250);
  EXPECT_EQ(record("cd").Count, 7);
  EXPECT_EQ(record("cd").TimeSum, 0);
  EXPECT_EQ(record("cd").LastSeen, fake.clock.Now());  // the load time, not the stored one
}

// A key read with its escapes left in doubled its backslashes at every save,
// until the file grew past what is read.
TEST_F(BigramTest, EscapedKeyReadsAsWrittenAndStaysTheSameAcrossSaves) {
  load_text("{\"bigrams\": [{\"bigram\": \"a\\u0001\", \"count\": 2}, {\"bigram\": \"a}\", \"count\": 4}, "
            "{\"bigram\": \"q\\\"\\\\\", \"count\": 5}, {\"bigram\": \"\\x\\u20ac\", \"count\": 6}]}");
  EXPECT_EQ(record("a\x01").Count, 2);
  EXPECT_EQ(record("a}").Count, 4);
  EXPECT_EQ(record("q\"\\").Count, 5);
  EXPECT_EQ(record("\\x\\u20ac").Count, 6);  // no escape of one byte: kept as it stands
  ASSERT_TRUE(table.Save());
  const std::string saved = fake.ReadHostFile("C:\\Data\\Ann.json");
  table.Load();
  ASSERT_TRUE(table.Save());
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\Ann.json"), saved);
}

TEST_F(BigramTest, RepeatedKeyOverwritesTheEarlierOne) {
  load_text("{\"bigrams\": [{\"bigram\": \"ab\", \"count\": 1}, {\"bigram\": \"ab\", \"count\": 9}]}");
  EXPECT_EQ(table.Dictionary.GetCount(), 1);
  EXPECT_EQ(record("ab").Count, 9);
}

TEST_F(BigramTest, MissingNegativeAndOversizedNumbersAndABlankBeforeTheColonReadAsZero) {
  load_text(
      "{\"bigrams\": [{\"bigram\": \"ab\"}, {\"bigram\": \"cd\", \"count\": -5}, "
      "{\"bigram\": \"ef\", \"count\": 99999999999999999999, \"time_sum\": 5000000000}, "
      "{\"count\": 3}, {\"bigram\": \"gh\", \"error_count\": 2147483647}, {\"bigram\": \"ij\", \"count\" : 5}]}");
  EXPECT_EQ(table.Dictionary.GetCount(), 5);  // the object without a key is skipped
  EXPECT_EQ(record("ij").Count, 0);
  EXPECT_EQ(record("ab").Count, 0);
  EXPECT_EQ(record("cd").Count, 0);
  EXPECT_EQ(record("ef").Count, 0);
  EXPECT_EQ(record("ef").TimeSum, 5000000000LL);
  EXPECT_EQ(record("gh").ErrorCount, 2147483647);
}

// Typing a pair whose figures the file holds at their largest overflowed them.
TEST_F(BigramTest, FiguresReadAtTheirLargestStayThereWhenThePairIsTyped) {
  load_text("{\"bigrams\": [{\"bigram\": \"ab\", \"count\": 2147483647, \"error_count\": 2147483647, "
            "\"time_sum\": 9223372036854775807}]}");
  type("ab\bb");
  EXPECT_EQ(record("ab").Count, 2147483647);
  EXPECT_EQ(record("ab").ErrorCount, 2147483647);
  EXPECT_EQ(record("ab").TimeSum, 9223372036854775807LL);
}

TEST_F(BigramTest, MissingArrayEmptiesTheTable) {
  type("xy");
  load_text("{\"user\": \"Ann\"}");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
  type("xy");
  load_text("{\"bigrams\": {\"bigram\": \"ab\"}}");
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

TEST_F(BigramTest, UnexpectedElementKeepsTheObjectsBeforeIt) {
  load_text("{\"bigrams\": [{\"bigram\": \"ab\", \"count\": 1}, x, {\"bigram\": \"cd\"}]}");
  EXPECT_EQ(table.Dictionary.GetCount(), 1);
  EXPECT_TRUE(has("ab"));
}

TEST_F(BigramTest, UnbalancedBracesKeepTheClosedObjects) {
  load_text("{\"bigrams\": [{\"bigram\": \"ab\", \"count\": 1}, {\"bigram\": \"cd\", \"count\": 2, \"x\": {");
  EXPECT_EQ(table.Dictionary.GetCount(), 1);
  EXPECT_TRUE(has("ab"));
  load_text("{\"bigrams\": [{\"bigram\": \"ab\", \"count\": 1}}}}]]]");
  EXPECT_EQ(table.Dictionary.GetCount(), 1);
}

// Random bytes go to the bigram_file fuzz target.
TEST_F(BigramTest, NulByteInAKeyIsKept) {
  load_text(std::string("{\"bigrams\": [{\"bigram\": \"a") + '\0' + "b\", \"count\": 3}]}");
  EXPECT_EQ(record(std::string("a\0b", 3)).Count, 3);
}

TEST_F(BigramTest, FiftyMegabyteFileLoadsTheFirst1024Bigrams) {
  const std::string symbols = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string text = "{\"bigrams\": [";
  text.reserve(50u * 1024 * 1024 + 1024);
  size_t n = 0;
  while (text.size() < 50u * 1024 * 1024) {
    const char a = symbols[n % 36], b = symbols[(n / 36) % 36];
    text += "{\"bigram\": \"";
    text += a;
    text += b;
    text += "\", \"count\": 1, \"error_count\": 0, \"time_sum\": 10, \"last_seen\": \"2025-01-01T10:00:00Z\"}, ";
    ++n;
  }
  text += "]}";
  load_text(text);
  EXPECT_EQ(table.Dictionary.GetCount(), 1024);
  load_text(std::string("{\"bigrams\": [") + std::string(50u * 1024 * 1024, '{'));
  EXPECT_EQ(table.Dictionary.GetCount(), 0);
}

}  // namespace
}  // namespace strevo::test
