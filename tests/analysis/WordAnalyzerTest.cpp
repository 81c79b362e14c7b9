#include "analysis/WordAnalyzer.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "analysis/AnalysisFixture.h"
#include "analysis/Diffkeys.h"
#include "storage/FileObj.h"

namespace strevo::test {
namespace {

std::string le16(int value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string le32(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
}

// One 282-byte entry as the statistics file holds it.
std::string entry_bytes(int flags, const std::string& word, int historyIndex, int repeats,
                        const std::array<int, 10>& history) {
  std::string bytes = le16(flags);
  bytes += static_cast<char>(word.size());
  bytes += word;
  bytes += std::string(255 - word.size(), '\0');
  bytes += le16(historyIndex);
  bytes += le16(repeats);
  for (int weight : history) bytes += le16(weight);
  return bytes;
}

// A distinct word of letters only for every number.
std::string word_name(int n) {
  std::string name = "w";
  for (int i = 0; i < 3; ++i) {
    name += static_cast<char>('a' + n % 26);
    n /= 26;
  }
  return name;
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
  TDifficultKeys& keys() { return *analyzer.ActiveKeys(); }

  void add_times(const std::string& text, int weight, int times, int source = 1) {
    for (int i = 0; i < times; ++i) list().AddWord(text, weight, source);
  }

  std::string save_words(const std::string& path, int32_t limit) {
    TRecFile file;
    EXPECT_EQ(file.Open(path, 5, 0), 1);
    user.SaveWords(file, limit);
    EXPECT_EQ(file.Status, 1);
    file.Close();
    return fake.ReadHostFile(path);
  }
  int32_t load_words(const std::string& path, const std::string& bytes, bool old = false) {
    fake.WriteHostFile(path, bytes);
    TRecFile file;
    EXPECT_EQ(file.Open(path, 1, -1), 1);
    return old ? list().LoadOldFrom(file) : list().LoadFrom(file);
  }
};

// ------------------------------------------------------ the word in progress --

TEST_F(WordTest, CorrectedCharacterMarksItsKeyAndCountsACorrection) {
  word().AddChar('t');
  word().AddChar('e');
  word().AddChar('x');
  word().DelChar();
  EXPECT_EQ(word().Text, "te");
  EXPECT_EQ(word().PendingBackspaces, 1);
  word().AddChar('h');
  EXPECT_EQ(word().Text, "teh");
  EXPECT_EQ(keys().Hits['h'], 1);
  EXPECT_EQ(keys().Errors['h'], 1);
  EXPECT_EQ(word().CorrectionCount, 1);
  EXPECT_EQ(word().PendingBackspaces, 0);
  EXPECT_EQ(keys().Hits['x'], 0);
}

TEST_F(WordTest, CorrectionThroughThePipelineAlsoCountsThePress) {
  for (unsigned char c : std::string("tex\bh")) analyzer.CharPressed(c, 150);
  EXPECT_EQ(word().Text, "teh");
  EXPECT_EQ(keys().Hits['h'], 2);  // the correction and the ordinary press
  EXPECT_EQ(keys().Errors['h'], 1);
  EXPECT_EQ(word().CorrectionCount, 1);
}

TEST_F(WordTest, DeletingAWholeThreeLetterWordClearsIt) {
  for (unsigned char c : std::string("the")) word().AddChar(c);
  word().SlowCount = 2;
  for (int i = 0; i < 3; ++i) word().DelChar();
  EXPECT_EQ(word().Text, "");
  EXPECT_EQ(word().PendingBackspaces, 0);
  EXPECT_EQ(word().SlowCount, 0);
}

TEST_F(WordTest, FourBackspacesInARowDeleteRatherThanCorrect) {
  for (unsigned char c : std::string("tests")) word().AddChar(c);
  for (int i = 0; i < 4; ++i) word().DelChar();
  word().AddChar('o');
  EXPECT_EQ(word().Text, "to");
  EXPECT_EQ(keys().Errors['o'], 0);
  EXPECT_EQ(word().CorrectionCount, 1);
}

TEST_F(WordTest, TabReturnAndBlankAreNotAdded) {
  word().AddChar('a');
  word().AddChar('\t');
  word().AddChar('\r');
  word().AddChar(' ');
  EXPECT_EQ(word().Text, "a");
}

// ------------------------------------------------------------------ Notify --

TEST_F(WordTest, NotifyAcceptsLettersAndTheApostrophe) {
  word().Text = "don't";
  EXPECT_EQ(word().Notify(1), 1);
  EXPECT_EQ(user.Words.Entry(1).Word(), "don't");
  word().Text = "\xBF" "abc";  // 191 and up are letters
  EXPECT_EQ(word().Notify(1), 2);
}

TEST_F(WordTest, NotifyRejectsShortWordsDigitsAndSigns) {
  for (const char* text : {"ab", "a1c", "ab{", "abc\xBE", "a c", "ab-c"}) {
    word().Text = text;
    EXPECT_EQ(word().Notify(1), -1) << text;
  }
  EXPECT_TRUE(user.Words.Entry(1).Empty());
}

TEST_F(WordTest, HyphenSplitsAWordBeforeItReachesTheCollection) {
  analyzer.SetSource(1);
  for (unsigned char c : std::string("e-mail "))
    if (analyzer.CharPressed(c, 100)) analyzer.EndWord();
  EXPECT_EQ(user.Words.Entry(1).Word(), "mail");
  EXPECT_TRUE(user.Words.Entry(2).Empty());
}

TEST_F(WordTest, NotifyWeightCountsSlowKeysOnceAndCorrectionsTwice) {
  word().Text = "word";
  word().SlowCount = 3;
  word().CorrectionCount = 1;
  ASSERT_EQ(word().Notify(1), 1);
  EXPECT_EQ(user.Words.Entry(1).History[1], 4);  // min(3, 2) + 2 * 1
  word().CorrectionCount = 9;
  word().Notify(1);
  EXPECT_EQ(user.Words.Entry(1).History[2], 6);
}

// ----------------------------------------------------------------- AddWord --

TEST_F(WordTest, KnownWordIsCountedWithItsSourcesJoined) {
  EXPECT_EQ(list().AddWord("word", 2, 1), 1);
  EXPECT_EQ(list().AddWord("Word", 0, 1), 2);  // case counts
  EXPECT_EQ(list().AddWord("word", 5, 4), 1);
  EXPECT_EQ(user.Words.Entry(1).Flags, 5);
  EXPECT_EQ(user.Words.Entry(1).Repeats, 1);
  EXPECT_EQ(user.Words.Entry(1).HistoryIndex, 2);
  EXPECT_EQ(user.Words.Entry(1).History[2], 5);
  EXPECT_TRUE(list().Modified);
  EXPECT_EQ(list().Slot, 2);
}

TEST_F(WordTest, FullTableReplacesTheFirstWordNotRepeatedMoreThanThePass) {
  for (int i = 0; i < kWordTableSize; ++i) list().AddWord(word_name(i), 0, 1);
  ASSERT_EQ(list().Slot, 2000);
  ASSERT_EQ(list().Pass, 0);
  add_times(word_name(0), 0, 2);  // Repeats 2: skipped
  EXPECT_EQ(list().AddWord("newcomer", 1, 1), 2);
  EXPECT_EQ(list().Pass, 1);
  EXPECT_EQ(user.Words.Entry(1).Word(), word_name(0));
  EXPECT_EQ(user.Words.Entry(2).Word(), "newcomer");
  EXPECT_EQ(user.Words.Entry(2).Repeats, 0);
  EXPECT_EQ(user.Words.Entry(2).HistoryIndex, 1);
}

TEST_F(WordTest, SweepRaisesTheBarUntilAWordQualifies) {
  for (int i = 0; i < kWordTableSize; ++i) {
    list().AddWord(word_name(i), 0, 1);
    user.Words.Entry(i + 1).Repeats = 5;
  }
  EXPECT_EQ(list().AddWord("newcomer", 1, 1), 1);
  EXPECT_EQ(list().Pass, 5);
}

TEST_F(WordTest, SweepNeverTakesTheLastEntry) {
  for (int i = 0; i < kWordTableSize; ++i) {
    list().AddWord(word_name(i), 0, 1);
    user.Words.Entry(i + 1).Repeats = 3;
  }
  user.Words.Entry(2000).Repeats = 0;
  EXPECT_EQ(list().AddWord("newcomer", 1, 1), 1);
  EXPECT_EQ(list().Pass, 3);
  EXPECT_EQ(user.Words.Entry(2000).Word(), word_name(1999));
}

TEST_F(WordTest, LongWordIsCutTo255CharactersAndStillFound) {
  const std::string longWord(300, 'a');
  EXPECT_EQ(list().AddWord(longWord, 1, 1), 1);
  EXPECT_EQ(user.Words.Entry(1).Word().size(), 255u);
  EXPECT_EQ(list().AddWord(longWord, 1, 1), 1);
  EXPECT_EQ(user.Words.Entry(1).Repeats, 1);
}

// ------------------------------------------------------------ WordWeight --

TEST_F(WordTest, SevenOccurrencesOfWeight3GiveWeight100AcrossTheRingWrap) {
  add_times("ring", 6, 5);
  add_times("ring", 3, 7);
  EXPECT_EQ(user.Words.Entry(1).HistoryIndex, 2);  // 12 occurrences: wrapped from 10 to 1
  EXPECT_EQ(list().WordWeight(1), 100);
}

TEST_F(WordTest, NewestWeightCountsSevenTimes) {
  add_times("pair", 1, 1);
  add_times("pair", 2, 1);
  EXPECT_EQ(list().WordWeight(1), 24);  // (2 * 7 + 1 * 6) / 84 * 100 = 23.8
  add_times("max", 6, 3);
  EXPECT_EQ(list().WordWeight(2), 100);  // 128.6, capped
  EXPECT_EQ(list().WordWeight(0), 0);
  EXPECT_EQ(list().WordWeight(2001), 0);
}

// ---------------------------------------------------------- WeightedList --

class WeightedListTest : public WordTest {
 protected:
  void SetUp() override {
    WordTest::SetUp();
    add_times("apple", 3, 3);   // 64
    add_times("Banana", 3, 3);  // 64
    add_times("cherry", 6, 3);  // 100
    add_times("date", 6, 2);    // seen twice only
    add_times("egg", 6, 3);
    user.Words.Entry(5).Flags |= kWordSourceExcluded;
    add_times("fig", 6, 3, 2);  // source 2 only
    add_times("-", 6, 3);
    add_times("zero", 0, 5);    // weight 0
  }
};

TEST_F(WeightedListTest, HeaviestFirstWithTiesInDescendingTextWithoutRegardToCase) {
  EXPECT_EQ(list().WeightedList(5, 1), (std::vector<std::string>{"cherry;100", "Banana;64", "apple;64"}));
  EXPECT_EQ(list().WeightedList(5, 2), (std::vector<std::string>{"100", "64", "64"}));
  EXPECT_EQ(list().WeightedList(5, 0), (std::vector<std::string>{"cherry", "Banana", "apple"}));
}

TEST_F(WeightedListTest, MaskSelectsTheSources) {
  EXPECT_EQ(list().WeightedList(2, 0), std::vector<std::string>{"fig"});
  EXPECT_TRUE(list().WeightedList(16, 0).empty());
}

TEST_F(WeightedListTest, ListStopsAtTheFirstEmptyEntry) {
  user.Words.Entry(2).Length = 0;  // "Banana" gone: nothing after it is listed
  EXPECT_EQ(list().WeightedList(5, 0), std::vector<std::string>{"apple"});
}

TEST_F(WordTest, WeightedListComparesWindows1252LowerCase) {
  add_times("\xC4rger", 3, 3);  // Ärger
  add_times("\xE4lter", 3, 3);  // älter
  EXPECT_EQ(list().WeightedList(1, 0), (std::vector<std::string>{"\xC4rger", "\xE4lter"}));
}

TEST_F(WordTest, WeightedListTiesIgnoringCaseKeepTableOrderBeforeReversal) {
  add_times("the", 3, 3);
  add_times("The", 3, 3);
  add_times("tHe", 3, 3);
  EXPECT_EQ(list().WeightedList(1, 0), (std::vector<std::string>{"tHe", "The", "the"}));
}

// ------------------------------------------------------------ scrambling --

TEST(WordScramblingTest, EncodeLowerCasesXorsAndWritesHexUpTo240Digits) {
  EXPECT_EQ(EncodeWord("Cat", ""), "636174");
  EXPECT_EQ(EncodeWord("cat", "Dat"), "270000");
  EXPECT_EQ(EncodeWord("dog", "cat"), "070e13");
  EXPECT_EQ(EncodeWord("abcd", "ab"), "00000206");  // the key is cycled
  EXPECT_EQ(EncodeWord(std::string(130, 'q'), "k").size(), 240u);
}

TEST(WordScramblingTest, DecodeReadsUnreadablePairsAsBlankAndIgnoresAnOddDigit) {
  EXPECT_EQ(DecodeWord("zz41", ""), " a");
  EXPECT_EQ(DecodeWord("6162f", ""), "ab");
  EXPECT_EQ(DecodeWord("070e13", "cat"), "dog");
  EXPECT_EQ(DecodeWord(EncodeWord("Hello", "key"), "key"), "hello");
}

// --------------------------------------------------------- the word block --

TEST_F(WordTest, BlockScramblesEachWordWithThePreviousWordAsKey) {
  add_times("cat", 1, 1);
  add_times("cat", 2, 1);  // weight 24 + repeats 1: 25
  add_times("dog", 3, 3);  // weight 64 + repeats 2: 66, the heavier one first
  const std::string bytes = save_words("C:\\Data\\Ann.DTA", 2000);
  // First key: the last twelve characters of the path, "Data\Ann.DTA".
  const std::string expected = le32(2) + entry_bytes(1, "200e13", 3, 2, {3, 3, 3}) + entry_bytes(1, "070e13", 2, 1, {1, 2});
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(user.Words.Entry(1).Word(), "cat");  // the table keeps the clear word

  user.Words.Clear();
  EXPECT_EQ(load_words("C:\\Data\\Ann.DTA", bytes), 1);
  EXPECT_EQ(user.Words.Entry(1).Word(), "dog");
  EXPECT_EQ(user.Words.Entry(2).Word(), "cat");
  EXPECT_EQ(user.Words.Entry(1).Repeats, 2);
  EXPECT_EQ(user.Words.Entry(1).HistoryIndex, 3);
  EXPECT_EQ(user.Words.Entry(2).History[2], 2);
  EXPECT_TRUE(user.Words.Entry(3).Empty());
  EXPECT_EQ(list().Slot, 2);
  EXPECT_EQ(list().Pass, 0);
}

TEST_F(WordTest, BlockRoundTripIsByteForByte) {
  for (int i = 0; i < 300; ++i) add_times(word_name(i), i % 7, 1 + i % 4);
  const std::string first = save_words("C:\\Data\\Ann.DTA", 2000);
  user.Words.Clear();
  load_words("C:\\Data\\Ann.DTA", first);
  EXPECT_EQ(save_words("C:\\Data\\Ann.DTA", 2000), first);
}

// Each word is keyed with the one before it as the reader decodes it: keyed
// with a capital letter or past the 120 characters kept, the next word came
// back changed ("\xC9t\xE9" after "Cat", "{x]_" after "Hello").
TEST_F(WordTest, CapitalisedAndLongWordsReloadLowerCaseAndCutAndKeepTheWordsAfterThem) {
  std::string longWord;
  for (int i = 0; i < 130; ++i) longWord += static_cast<char>('a' + i % 7);
  for (const std::string& w : {std::string("Cat"), std::string("\xE9t\xE9"), std::string("Hello"), std::string("[x]_"),
                               longWord, std::string(125, 'z')})
    add_times(w, 0, 1);
  const std::string bytes = save_words("C:\\Data\\Ann.DTA", 2000);
  user.Words.Clear();
  load_words("C:\\Data\\Ann.DTA", bytes);
  EXPECT_EQ(user.Words.Entry(1).Word(), "cat");
  EXPECT_EQ(user.Words.Entry(2).Word(), "\xE9t\xE9");
  EXPECT_EQ(user.Words.Entry(3).Word(), "hello");
  EXPECT_EQ(user.Words.Entry(4).Word(), "[x]_");
  EXPECT_EQ(user.Words.Entry(5).Word(), longWord.substr(0, 120));
  EXPECT_EQ(user.Words.Entry(6).Word(), std::string(120, 'z'));
}

// The sums 12, 9 and 3 sort as text "12", "3", "9": a save limited to two
// kept the rarest word and dropped a more frequent one; and the table's
// insertion then went on over an entry that was saved.
TEST_F(WordTest, ALimitedSaveKeepsTheHeaviestWordsAndLeavesTheTableAsItWas) {
  add_times("light", 0, 4);
  add_times("middle", 0, 10);
  add_times("heavy", 0, 13);
  const std::string bytes = save_words("C:\\Data\\Ann.DTA", 2);
  add_times("fresh", 0, 1);
  EXPECT_EQ(user.Words.Entry(3).Word(), "heavy");
  EXPECT_EQ(user.Words.Entry(4).Word(), "fresh");

  user.Words.Clear();
  load_words("C:\\Data\\Ann.DTA", bytes);
  EXPECT_EQ(user.Words.Entry(1).Word(), "heavy");
  EXPECT_EQ(user.Words.Entry(2).Word(), "middle");
  EXPECT_TRUE(user.Words.Entry(3).Empty());
}

TEST_F(WordTest, SaveLimitOutside1To2000MeansAllWords) {
  add_times("one", 0, 1);
  add_times("two", 0, 1);
  EXPECT_EQ(save_words("C:\\Data\\Ann.DTA", 0).substr(0, 4), le32(2));
  EXPECT_EQ(save_words("C:\\Data\\Ann.DTA", 5000).substr(0, 4), le32(2));
  EXPECT_EQ(save_words("C:\\Data\\Ann.DTA", 1).substr(0, 4), le32(1));
}

TEST_F(WordTest, ExcludedAndDashWordsAreNeverSaved) {
  add_times("keep", 0, 1);
  add_times("-", 0, 1);
  add_times("hide", 0, 1);
  user.Words.Entry(3).Flags |= kWordSourceExcluded;
  const std::string bytes = save_words("C:\\Data\\Ann.DTA", 2000);
  EXPECT_EQ(bytes.size(), 4u + 282u);
  EXPECT_EQ(bytes.substr(0, 4), le32(1));
}

TEST_F(WordTest, FullTableSavesAllEntriesAndLoadsAsFull) {
  for (int i = 0; i < kWordTableSize; ++i) list().AddWord(word_name(i), 0, 1);
  list().AddWord("newcomer", 0, 1);  // Pass 1
  const std::string bytes = save_words("C:\\Data\\Ann.DTA", 2000);
  EXPECT_EQ(bytes.size(), 4u + 2000u * 282u);
  user.Words.Clear();
  load_words("C:\\Data\\Ann.DTA", bytes);
  EXPECT_EQ(list().Slot, 2000);
  EXPECT_EQ(list().Pass, 0);
}

// --------------------------------------------------------- damaged blocks --

TEST_F(WordTest, EmptyFileOrNegativeCountLoadsNothing) {
  EXPECT_EQ(load_words("C:\\Data\\Ann.DTA", ""), 0);
  load_words("C:\\Data\\Ann.DTA", le32(-5) + entry_bytes(1, "6162", 1, 0, {}));
  EXPECT_TRUE(user.Words.Entry(1).Empty());
  EXPECT_EQ(list().Slot, 0);
}

TEST_F(WordTest, CountLargerThanTheFileKeepsTheEntriesRead) {
  std::string bytes = le32(1000000);
  for (int i = 0; i < 3; ++i) bytes += entry_bytes(1, EncodeWord("abc", ""), 1, 0, {});
  bytes += entry_bytes(1, "6162", 1, 0, {}).substr(0, 100);  // cut inside the fourth entry
  EXPECT_EQ(load_words("C:\\Data\\Ann.DTA", bytes), 0);
  EXPECT_EQ(list().Slot, 3);
  EXPECT_FALSE(user.Words.Entry(3).Empty());
  EXPECT_TRUE(user.Words.Entry(4).Empty());
}

// Never more than 2000 entries are read, and an almost full block counts as full.
TEST_F(WordTest, LargeAndAlmostFullBlocksLoadAsAFullTable) {
  const std::string entry = entry_bytes(1, "6162", 1, 0, {});
  for (const auto& [count, entries] : {std::pair{2500, 2001}, std::pair{1999, 1999}}) {
    std::string bytes = le32(count);
    for (int i = 0; i < entries; ++i) bytes += entry;
    load_words("C:\\Data\\Ann.DTA", bytes);
    EXPECT_EQ(list().Slot, 2000) << count;
  }
}

TEST_F(WordTest, GarbageFieldsNeverLeaveTheTable) {
  std::array<int, 10> history{};
  history.fill(0xFFFF);
  load_words("C:\\Data\\Ann.DTA", le32(1) + entry_bytes(0xFFFF, "zz", 999, 0xFFFF, history));
  ASSERT_FALSE(user.Words.Entry(1).Empty());
  const std::string loaded(user.Words.Entry(1).Word());
  EXPECT_GE(list().WordWeight(1), 0);
  EXPECT_LE(list().WordWeight(1), 100);
  EXPECT_EQ(list().AddWord(loaded, 1, 1), 1);
  EXPECT_EQ(user.Words.Entry(1).Repeats, 0xFFFF);
  EXPECT_EQ(user.Words.Entry(1).HistoryIndex, 1);
  list().WeightedList(0xFFFF, 1);
}

// -------------------------------------------------------- the older block --

TEST_F(WordTest, OlderBlockHoldsClearWords) {
  std::string bytes;
  for (const char* w : {"one", "two", "three"}) bytes += entry_bytes(1, w, 1, 0, {2});
  load_words("C:\\Data\\Old.DTA", bytes, true);
  EXPECT_EQ(user.Words.Entry(3).Word(), "three");
  EXPECT_EQ(user.Words.Entry(1).History[1], 2);
  EXPECT_EQ(list().Slot, 3);
  EXPECT_EQ(list().Pass, 0);
}

TEST_F(WordTest, FullOlderBlockCarriesSlotAndPassKeptInsideTheTable) {
  std::string entries;
  const std::string entry = entry_bytes(1, "word", 1, 0, {});
  for (int i = 0; i < 2000; ++i) entries += entry;
  load_words("C:\\Data\\Old.DTA", entries + le32(1234) + le32(3), true);
  EXPECT_EQ(list().Slot, 1234);
  EXPECT_EQ(list().Pass, 3);
  load_words("C:\\Data\\Old.DTA", entries + le32(77), true);
  EXPECT_EQ(list().Slot, 77);
  EXPECT_EQ(list().Pass, 0);
  list().Pass = 2;
  load_words("C:\\Data\\Old.DTA", entries, true);
  EXPECT_EQ(list().Slot, 2000);
  // Damaged values are kept inside the table.
  load_words("C:\\Data\\Old.DTA", entries + le32(-7) + le32(-4), true);
  EXPECT_EQ(list().Slot, 0);
  EXPECT_EQ(list().Pass, 0);
  load_words("C:\\Data\\Old.DTA", entries + le32(99999) + le32(1), true);
  EXPECT_EQ(list().Slot, 2000);
  EXPECT_GE(list().AddWord("fresh", 1, 1), 1);
}

// ------------------------------------------------------------- word lists --

TEST_F(WordTest, WordFileLinesAreTrimmedAndEmptyLinesSkipped) {
  fake.WriteHostFile("C:\\Data\\top100difficultwords.txt", "  hello \r\n\r\n\tworld\t\r\nlast");
  EXPECT_TRUE(list().LoadWordFile("C:\\Data\\top100difficultwords.txt", 2));
  EXPECT_EQ(user.Words.Entry(1).Word(), "hello");
  EXPECT_EQ(user.Words.Entry(2).Word(), "world");
  EXPECT_EQ(user.Words.Entry(3).Word(), "last");
  EXPECT_TRUE(user.Words.Entry(4).Empty());
  EXPECT_EQ(user.Words.Entry(2).History[1], 2);
  EXPECT_EQ(user.Words.Entry(2).Flags, 1);
}

TEST_F(WordTest, MissingWordFileIsSkipped) {
  EXPECT_FALSE(list().LoadWordFile("C:\\Data\\top1000wordlist.txt", 1));
  EXPECT_TRUE(user.Words.Entry(1).Empty());
}

// ---------------------------------------------------------- user switches --

TEST_F(WordTest, UserSwitchNeverCarriesWordsIntoTheNextUsersFile) {
  for (int i = 0; i < 10; ++i) add_times(word_name(i), 1, 1, 5);
  const std::string first = save_words("C:\\Data\\Ann.DTA", 2000);
  user.Words.Clear();
  add_times("bob", 0, 1);
  add_times("bobs", 0, 1);
  save_words("C:\\Data\\Bob.DTA", 2000);

  // Ann loaded again, then Bob: Bob's file holds two words only.
  user.Words.Clear();
  load_words("C:\\Data\\Ann.DTA", first);
  user.Words.Clear();
  for (int slot = 1; slot <= kWordTableSize; ++slot) ASSERT_EQ(user.Words.Entry(slot).Flags, 0);
  load_words("C:\\Data\\Bob.DTA", fake.ReadHostFile("C:\\Data\\Bob.DTA"));
  EXPECT_EQ(user.Words.Entry(2).Word(), "bobs");
  EXPECT_TRUE(user.Words.Entry(3).Empty());
  EXPECT_EQ(save_words("C:\\Data\\Bob.DTA", 2000).size(), 4u + 2u * 282u);
}

}  // namespace
}  // namespace strevo::test
