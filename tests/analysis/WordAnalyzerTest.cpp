// The word being typed and a user's collection of words: insertion, weights,
// the weighted lists and damaged or older word blocks of the statistics file.
#include "analysis/WordAnalyzer.h"

#include <string>
#include <utility>
#include <vector>

#include "analysis/AnalysisFixture.h"
#include "analysis/Diffkeys.h"
#include "storage/FileObj.h"
#include "support/StatisticsFile.h"

namespace strevo::test {
namespace {

// A distinct word of letters only for every number.
std::string word_name(int n) {
  std::string name = "w";
  for (int i = 0; i < 3; ++i, n /= 26) name += static_cast<char>('a' + n % 26);
  return name;
}

// An entry as the file holds it, the word as given (clear or scrambled).
std::string entry(const std::string& stored, int repeats = 0, std::map<int, int> history = {}, int index = 1,
                  int flags = 1) {
  return WordEntryBytes({"", repeats, std::move(history), index, flags}, stored);
}

class WordTest : public AnalysisTest {
 protected:
  void SetUp() override {
    AnalysisTest::SetUp();
    analyzer.SelectKeySet(1);
    fake.files.MakeDirectory("C:\\Data");
  }
  TWord& word() { return analyzer.CurrentWord; }
  TWordList& list() { return user.Words; }
  const TWordEntry& at(int slot) { return user.Words.Entry(slot); }
  TDifficultKeys& keys() { return *analyzer.ActiveKeys(); }
  void add_times(const std::string& text, int weight, int times, int source = 1) {
    for (int i = 0; i < times; ++i) list().AddWord(text, weight, source);
  }
  void fill_table(int repeats) {
    for (int i = 0; i < kWordTableSize; ++i) {
      list().AddWord(word_name(i), 0, 1);
      user.Words.Entry(i + 1).Repeats = static_cast<uint16_t>(repeats);
    }
  }
  int32_t load_words(const std::string& bytes, bool old = false) {
    fake.WriteHostFile("C:\\Data\\Ann.DTA", bytes);
    TRecFile file;
    EXPECT_EQ(file.Open("C:\\Data\\Ann.DTA", 1, -1), 1);
    return old ? list().LoadOldFrom(file) : list().LoadFrom(file);
  }
};

// ------------------------------------------------------ the word in progress --

// One to three backspaces and a letter: a correction that marks the letter's
// key (through the pipeline the key counts its ordinary press too); four
// delete rather than correct. Tab, return and blank are never added. Three
// backspaces that empty the word start it afresh.
TEST_F(WordTest, ACorrectionMarksItsKeyButADeletionDoesNot) {
  for (unsigned char c : std::string("tex\bh")) analyzer.CharPressed(c, 150);
  EXPECT_EQ(word().Text, "teh");
  EXPECT_EQ(keys().Hits['h'], 2);
  EXPECT_EQ(keys().Errors['h'], 1);
  EXPECT_EQ(word().PendingBackspaces, 0);
  word().Clear();
  for (unsigned char c : std::string("tests\t\r ")) word().AddChar(c);
  for (int i = 0; i < 4; ++i) word().DelChar();
  word().AddChar('o');
  EXPECT_EQ(word().Text, "to");
  EXPECT_EQ(keys().Errors['o'], 0);
  EXPECT_EQ(word().CorrectionCount, 1);
  word().AddChar('p');
  word().SlowCount = 2;
  for (int i = 0; i < 3; ++i) word().DelChar();
  EXPECT_EQ(word().PendingBackspaces, 0);
  EXPECT_EQ(word().SlowCount, 0);
}

// ------------------------------------------------------------------ Notify --

// Letters (191 and up are letters) and the apostrophe, three at least; the
// weight counts slow keys once and corrections twice, two of each at most.
// A hyphen splits a word before it reaches the collection.
TEST_F(WordTest, NotifyCollectsWordsOfLettersWithTheirWeight) {
  for (const char* text : {"ab", "a1c", "ab{", "abc\xBE", "a c", "ab-c"}) {
    word().Text = text;
    EXPECT_EQ(word().Notify(1), -1) << text;
  }
  word().Text = "don't";
  word().SlowCount = 3;
  word().CorrectionCount = 1;
  EXPECT_EQ(word().Notify(1), 1);
  EXPECT_EQ(at(1).History[1], 4);
  word().CorrectionCount = 9;
  word().Notify(1);
  EXPECT_EQ(at(1).History[2], 6);
  word().Text = "\xBF" "abc";
  EXPECT_EQ(word().Notify(1), 2);
  word().Clear();
  analyzer.SetSource(1);
  for (unsigned char c : std::string("e-mail "))
    if (analyzer.CharPressed(c, 100)) analyzer.EndWord();
  EXPECT_EQ(at(3).Word(), "mail");
  EXPECT_TRUE(at(4).Empty());
}

// ----------------------------------------------------------------- AddWord --

TEST_F(WordTest, KnownWordIsCountedWithItsSourcesJoinedAndLongWordsCut) {
  EXPECT_EQ(list().AddWord("word", 2, 1), 1);
  EXPECT_EQ(list().AddWord("Word", 0, 1), 2);  // case counts
  EXPECT_EQ(list().AddWord("word", 5, 4), 1);
  EXPECT_EQ(at(1).Flags, 5);
  EXPECT_EQ(at(1).Repeats, 1);
  EXPECT_EQ(at(1).HistoryIndex, 2);
  EXPECT_EQ(at(1).History[2], 5);
  EXPECT_TRUE(list().Modified);
  const std::string longWord(300, 'a');
  EXPECT_EQ(list().AddWord(longWord, 1, 1), 3);
  EXPECT_EQ(at(3).Word().size(), 255u);
  EXPECT_EQ(list().AddWord(longWord, 1, 1), 3);
}

// A full table replaces the first word not repeated more than the pass; the
// bar rises with each sweep until a word qualifies; the last entry is never
// taken.
TEST_F(WordTest, FullTableReplacesTheFirstWordNotRepeatedMoreThanThePass) {
  fill_table(0);
  add_times(word_name(0), 0, 2);  // Repeats 2: skipped
  EXPECT_EQ(list().AddWord("newcomer", 1, 1), 2);
  EXPECT_EQ(list().Pass, 1);
  EXPECT_EQ(at(2).Word(), "newcomer");
  list().Clear();
  fill_table(5);
  user.Words.Entry(1).History[10] = 9;  // a stale weight
  EXPECT_EQ(list().AddWord("newcomer", 1, 1), 1);
  EXPECT_EQ(list().Pass, 5);
  EXPECT_EQ(at(1).Repeats, 0);
  EXPECT_EQ(at(1).HistoryIndex, 1);
  EXPECT_EQ(at(1).History[10], 0);
  list().Clear();
  fill_table(3);
  user.Words.Entry(2000).Repeats = 0;
  EXPECT_EQ(list().AddWord("newcomer", 1, 1), 1);
  EXPECT_EQ(list().Pass, 3);
  EXPECT_EQ(at(2000).Word(), word_name(1999));
}

// The newest weight counts seven times (12 occurrences wrap the ring).
TEST_F(WordTest, WordWeightBlendsTheLastSevenWeights) {
  add_times("pair", 1, 1);
  add_times("pair", 2, 1);
  EXPECT_EQ(list().WordWeight(1), 24);  // (2 * 7 + 1 * 6) / 84 * 100 = 23.8
  add_times("ring", 6, 5);
  add_times("ring", 3, 7);
  EXPECT_EQ(at(2).HistoryIndex, 2);
  EXPECT_EQ(list().WordWeight(2), 100);
  add_times("max", 6, 3);
  EXPECT_EQ(list().WordWeight(3), 100);  // 128.6, capped
  EXPECT_EQ(list().WordWeight(0), 0);
  EXPECT_EQ(list().WordWeight(2001), 0);
}

// ---------------------------------------------------------- WeightedList --

// Words seen three times with a weight, of the sources asked for, heaviest
// first, ties in descending text without regard to case (Windows-1252; words
// equal but for case in reverse table order), up to the first empty entry.
TEST_F(WordTest, WeightedListsTakeTheHeavyWordsOfTheSourcesAskedFor) {
  add_times("apple", 3, 3);   // 64
  add_times("Banana", 3, 3);  // 64
  add_times("cherry", 6, 3);  // 100
  add_times("date", 6, 2);    // seen twice only
  add_times("egg", 6, 3);
  user.Words.Entry(5).Flags |= kWordSourceExcluded;
  add_times("fig", 6, 3, 2);  // source 2 only
  for (const char* w : {"the", "The", "tHe"}) add_times(w, 3, 3, 2);
  add_times("-", 6, 3);
  add_times("zero", 0, 5);
  add_times("\xC4rger", 3, 3);
  add_times("\xE4lter", 3, 3);
  EXPECT_EQ(list().WeightedList(5, 1),
            (std::vector<std::string>{"cherry;100", "\xC4rger;64", "\xE4lter;64", "Banana;64", "apple;64"}));
  EXPECT_EQ(list().WeightedList(5, 2), (std::vector<std::string>{"100", "64", "64", "64", "64"}));
  EXPECT_EQ(list().WeightedList(2, 0), (std::vector<std::string>{"fig", "tHe", "The", "the"}));
  EXPECT_TRUE(list().WeightedList(16, 0).empty());
  user.Words.Entry(2).SetWord("");
  EXPECT_EQ(list().WeightedList(5, 0), std::vector<std::string>{"apple"});
}

// ------------------------------------------------------------ scrambling --

TEST(WordScramblingTest, EncodeLowerCasesXorsWithACycledKeyAndDecodeReadsItBack) {
  EXPECT_EQ(EncodeWord("Cat", ""), "636174");
  EXPECT_EQ(EncodeWord("cat", "Dat"), "270000");
  EXPECT_EQ(EncodeWord("abcd", "ab"), "00000206");
  EXPECT_EQ(EncodeWord(std::string(130, 'q'), "k").size(), 240u);
  EXPECT_EQ(DecodeWord("zz41", ""), " a");  // an unreadable pair is a blank
  EXPECT_EQ(DecodeWord("6162f", ""), "ab");
  EXPECT_EQ(DecodeWord("070e13", "cat"), "dog");
}

// --------------------------------------------------------- damaged blocks --

// A short or overlong block keeps what could be read (never more than 2 000
// entries, and an almost full block is full); garbage in the fields never
// takes insertion or weights out of the table.
TEST_F(WordTest, DamagedBlocksKeepWhatCouldBeReadInsideTheTable) {
  EXPECT_EQ(load_words(""), 0);
  load_words(Le32(-5) + entry("6162"));
  EXPECT_TRUE(at(1).Empty());
  EXPECT_EQ(list().Slot, 0);
  std::string cut = Le32(1000000);
  for (int i = 0; i < 3; ++i) cut += entry("616263");
  EXPECT_EQ(load_words(cut + entry("6162").substr(0, 100)), 0);
  EXPECT_EQ(list().Slot, 3);
  EXPECT_TRUE(at(4).Empty());
  for (const auto& [count, entries] : {std::pair{2500, 2001}, std::pair{1999, 1999}}) {
    std::string bytes = Le32(count);
    for (int i = 0; i < entries; ++i) bytes += entry("6162");
    load_words(bytes);
    EXPECT_EQ(list().Slot, 2000) << count;
  }
  user.Words.Clear();
  std::map<int, int> history;
  for (int i = 1; i <= 10; ++i) history[i] = 0xFFFF;
  load_words(Le32(1) + entry("zz", 0xFFFF, history, 999, 0xFFFF));
  ASSERT_FALSE(at(1).Empty());
  const std::string loaded(at(1).Word());
  EXPECT_GE(list().WordWeight(1), 0);
  EXPECT_LE(list().WordWeight(1), 100);
  EXPECT_EQ(list().AddWord(loaded, 1, 1), 1);
  EXPECT_EQ(at(1).Repeats, 0xFFFF);
  EXPECT_EQ(at(1).HistoryIndex, 1);
  list().WeightedList(0xFFFF, 1);
}

// -------------------------------------------------------- the older block --

// Clear words; when the block is full, the slot and pass after it, kept
// inside the table (-1: the pass is not checked).
TEST_F(WordTest, OlderBlockHoldsClearWordsAndWhenFullItsSlotAndPassKeptInsideTheTable) {
  std::string full;
  for (int i = 0; i < 2000; ++i) full += entry("word", 0, {{1, 2}});
  const std::pair<std::string, std::pair<int, int>> cases[] = {
      {full.substr(0, 3 * 282), {3, 0}},        {full + Le32(1234) + Le32(3), {1234, 3}},
      {full + Le32(77), {77, 0}},               {full, {2000, -1}},
      {full + Le32(-7) + Le32(-4), {0, 0}},     {full + Le32(99999) + Le32(1), {2000, 1}}};
  for (const auto& [bytes, expected] : cases) {
    list().Pass = 2;
    load_words(bytes, true);
    EXPECT_EQ(list().Slot, expected.first);
    if (expected.second >= 0) {
      EXPECT_EQ(list().Pass, expected.second) << expected.first;
    }
  }
  EXPECT_EQ(at(2000).Word(), "word");
  EXPECT_EQ(at(2000).History[1], 2);
  EXPECT_GE(list().AddWord("fresh", 1, 1), 1);
}

}  // namespace
}  // namespace strevo::test
