#include "analysis/Diffkeys.h"

#include <cmath>
#include <string>

#include "storage/FileObj.h"
#include "support/Fixture.h"

namespace strevo::test {
namespace {

constexpr unsigned char kLowerAUmlaut = 0xE4;
constexpr unsigned char kUpperAUmlaut = 0xC4;

void set_totals(TDifficultKeys& keys, unsigned char c, int hits, int errors, int presses) {
  keys.TotalHits[c] = hits;
  keys.TotalErrors[c] = errors;
  keys.Presses[c] = presses;
  keys.Sorted = false;
}

// ---------------------------------------------------------------- index --

TEST(TDifficultKeysTest, IndexIsFourTimesTheErrorRateWeakenedByFewPresses) {
  TDifficultKeys keys;
  set_totals(keys, 'a', 40, 4, 40);
  EXPECT_FLOAT_EQ(keys.KeyIndex('a'), 40.0f);
  set_totals(keys, 'a', 40, 4, 5);
  EXPECT_FLOAT_EQ(keys.KeyIndex('a'), 20.0f);
}

TEST(TDifficultKeysTest, KeysOutsideTheAlphabetHaveNoIndexExceptCommaAndFullStop) {
  TDifficultKeys keys;
  set_totals(keys, '#', 40, 4, 40);
  set_totals(keys, ',', 40, 4, 40);
  set_totals(keys, '.', 40, 4, 40);
  EXPECT_EQ(keys.KeyIndex('#'), 0.0f);
  EXPECT_FLOAT_EQ(keys.KeyIndex(','), 40.0f);
  EXPECT_FLOAT_EQ(keys.KeyIndex('.'), 40.0f);
  keys.SetAlphabet("");
  EXPECT_FALSE(keys.HasAlphabet);
  EXPECT_FLOAT_EQ(keys.KeyIndex('#'), 40.0f);
}

// ------------------------------------------------------------- register --

TEST(TDifficultKeysTest, SpaceAndControlCharactersAreNeverCounted) {
  TDifficultKeys keys;
  for (int c = 0; c <= 32; ++c) keys.Register(static_cast<unsigned char>(c), true);
  keys.Consolidate();
  for (int c = 0; c <= 32; ++c) {
    EXPECT_EQ(keys.Hits[c], 0);
    EXPECT_EQ(keys.Errors[c], 0);
    EXPECT_EQ(keys.TotalHits[c], 0);
    EXPECT_EQ(keys.Presses[c], 0);
  }
}

TEST(TDifficultKeysTest, RegisterCountsKeysOutsideTheAlphabetButLeavesTheIndexAlone) {
  TDifficultKeys keys;
  keys.Register('#', false);
  keys.Register('a', true);
  EXPECT_EQ(keys.Hits['#'], 1);
  EXPECT_EQ(keys.Hits['a'], 1);
  EXPECT_EQ(keys.Errors['a'], 1);
  EXPECT_EQ(keys.KeyIndex('a'), 0.0f);  // unchanged until the next consolidation
  keys.Consolidate();
  EXPECT_GT(keys.KeyIndex('a'), 0.0f);
}

// ---------------------------------------------------------- consolidate --

TEST(TDifficultKeysTest, Window20KeepsSixtyPercentOfTheHistoryAfterEightPresses) {
  TDifficultKeys keys;
  keys.Window = 20;
  keys.SavedHits['a'] = 50;
  keys.SavedPresses['a'] = 50;
  for (int i = 0; i < 8; ++i) keys.Register('a', false);
  keys.Consolidate();
  EXPECT_EQ(keys.TotalHits['a'], 38);
  EXPECT_EQ(keys.Presses['a'], 58);
  EXPECT_EQ(keys.LastHits['a'], 8);
  EXPECT_EQ(keys.Hits['a'], 8);  // not committed yet
  EXPECT_EQ(keys.SavedHits['a'], 50);
}

TEST(TDifficultKeysTest, MoreThanWindowFreshPressesDropTheHistoryAndCommit) {
  TDifficultKeys keys;
  keys.Window = 20;
  keys.SavedHits['a'] = 50;
  keys.SavedErrors['a'] = 20;
  for (int i = 0; i < 21; ++i) keys.Register('a', i < 3);
  keys.Consolidate();
  EXPECT_EQ(keys.TotalHits['a'], 21);
  EXPECT_EQ(keys.TotalErrors['a'], 3);
  EXPECT_EQ(keys.SavedHits['a'], 21);
  EXPECT_EQ(keys.SavedErrors['a'], 3);
  EXPECT_EQ(keys.SavedPresses['a'], 21);
  EXPECT_EQ(keys.Hits['a'], 0);
  EXPECT_EQ(keys.Errors['a'], 0);
}

TEST(TDifficultKeysTest, IndexAbove100CutsTheErrorsWithHalfToEven) {
  TDifficultKeys keys;
  for (int i = 0; i < 10; ++i) keys.Register('a', i < 5);
  keys.Consolidate();  // 10 hits, 5 errors, 10 presses: index 200
  EXPECT_EQ(keys.TotalHits['a'], 10);
  EXPECT_EQ(keys.TotalErrors['a'], 2);  // Round(2.5) = 2
  EXPECT_FLOAT_EQ(keys.KeyIndex('a'), 80.0f);
}

TEST(TDifficultKeysTest, PressesAbove29000FallBackTo25000) {
  TDifficultKeys keys;
  keys.SavedPresses['a'] = 28995;
  for (int i = 0; i < 5; ++i) keys.Register('a', false);
  keys.Consolidate();
  EXPECT_EQ(keys.Presses['a'], 29000);
  keys.Register('a', false);
  keys.Consolidate();
  EXPECT_EQ(keys.Presses['a'], 25000);
}

TEST(TDifficultKeysTest, KeysWithoutFreshPressesKeepTheirTotals) {
  TDifficultKeys keys;
  set_totals(keys, 'a', 30, 3, 30);
  keys.Consolidate();
  EXPECT_EQ(keys.TotalHits['a'], 30);
  EXPECT_EQ(keys.TotalErrors['a'], 3);
}

// -------------------------------------------------------------- ranking --

TEST(TDifficultKeysTest, CommaAndFullStopNeverAppearInTopKeys) {
  TDifficultKeys keys;
  set_totals(keys, ',', 40, 10, 40);
  set_totals(keys, '.', 40, 10, 40);
  set_totals(keys, 'a', 40, 1, 40);
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "a");
}

TEST(TDifficultKeysTest, SelectionsUseTheWindows1252CaseMapping) {
  TDifficultKeys keys;
  set_totals(keys, 'a', 40, 6, 40);             // 60
  set_totals(keys, 'B', 40, 5, 40);             // 50
  set_totals(keys, '5', 40, 4, 40);             // 40: a digit is both
  set_totals(keys, kLowerAUmlaut, 40, 3, 40);   // 30
  set_totals(keys, kUpperAUmlaut, 40, 2, 40);   // 20
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "aB5\xE4\xC4");
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::LowerCase), "a5\xE4");
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::UpperCase), "B5\xC4");
  EXPECT_EQ(keys.TopKeys(2, TKeySelection::LowerCase), "a5");
}

// The exchange sort compares every later entry with the one in place, so ties
// do not keep the character order: indexes 10, 20, 20, 30 for 1, 2, 3, 4
// come out as 4, 3, 2, 1.
TEST(TDifficultKeysTest, RankingTiesFollowTheExchangeSort) {
  TDifficultKeys keys;
  set_totals(keys, '1', 400, 10, 40);
  set_totals(keys, '2', 200, 10, 40);
  set_totals(keys, '3', 200, 10, 40);
  set_totals(keys, '4', 400, 30, 40);
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "4321");
}

TEST(TDifficultKeysTest, RankingIsKeptUntilInvalidatedButIndexesAreCurrent) {
  TDifficultKeys keys;
  set_totals(keys, 'a', 40, 8, 40);
  set_totals(keys, 'b', 40, 4, 40);
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "ab");
  keys.TotalErrors['a'] = 0;  // index of a now 0: the walk stops there
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "");
  keys.Consolidate();  // no fresh presses, but the ranking is rebuilt
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "b");
}

// ---------------------------------------------------------- stored block --

class TDifficultKeysFileTest : public PlatformTest {
 protected:
  std::string save(TDifficultKeys& keys) {
    TRecFile file;
    EXPECT_EQ(file.Open("C:\\keys.bin", 5, 0), 1);
    EXPECT_EQ(keys.SaveTo(file), 1);
    file.Close();
    return fake.ReadHostFile("C:\\keys.bin");
  }
  int32_t load(TDifficultKeys& keys, const std::string& bytes) {
    fake.WriteHostFile("C:\\keys.bin", bytes);
    TRecFile file;
    EXPECT_EQ(file.Open("C:\\keys.bin", 1, -1), 1);
    return keys.LoadFrom(file);
  }
};

std::string expected_block(int presses33, int hits33, int errors255) {
  std::string bytes(TDifficultKeys::kBlockSize, '\0');
  auto put = [&](size_t at, int value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
  };
  put(0, presses33);            // presses of code 33
  put(446, hits33);             // hits of code 33
  put(446 * 3 - 2, errors255);  // errors of code 255
  return bytes;
}

TEST_F(TDifficultKeysFileTest, BlockIs1338BytesOfThreeArraysLittleEndian) {
  TDifficultKeys keys;
  keys.SetAlphabet("");
  set_totals(keys, '!', 0x1234, 0, 0x0102);
  keys.TotalHits['!'] = 0x1234;
  keys.TotalErrors[255] = 7;
  const std::string bytes = save(keys);
  ASSERT_EQ(bytes.size(), 1338u);
  EXPECT_EQ(bytes, expected_block(0x0102, 0x1234, 7));
}

TEST_F(TDifficultKeysFileTest, RoundTripIsByteForByte) {
  TDifficultKeys keys;
  for (int c = 33; c <= 255; ++c) {
    keys.SavedPresses[c] = c * 100;  // 25 500 at 255: written as its low 16 bits
    keys.SavedHits[c] = c * 3;
    keys.SavedErrors[c] = c % 7;
    keys.Presses[c] = keys.SavedPresses[c];
    keys.TotalHits[c] = keys.SavedHits[c];
    keys.TotalErrors[c] = keys.SavedErrors[c];
  }
  const std::string first = save(keys);
  TDifficultKeys loaded;
  EXPECT_EQ(load(loaded, first), 1);
  EXPECT_EQ(loaded.Presses['a'], 'a' * 100);
  EXPECT_EQ(loaded.SavedHits['a'], 'a' * 3);
  EXPECT_EQ(loaded.TotalErrors['a'], 'a' % 7);
  EXPECT_EQ(save(loaded), first);
}

TEST_F(TDifficultKeysFileTest, ValuesAreStoredAsTheirLow16BitsAndReadSignExtended) {
  TDifficultKeys keys;
  keys.TotalHits['a'] = 70000;  // 0x11170 -> 0x1170
  keys.Presses['a'] = 40000;    // 0x9C40 -> -25536
  const std::string bytes = save(keys);
  TDifficultKeys loaded;
  load(loaded, bytes);
  EXPECT_EQ(loaded.TotalHits['a'], 0x1170);
  EXPECT_EQ(loaded.Presses['a'], -25536);
  EXPECT_EQ(loaded.SavedPresses['a'], -25536);
}

TEST_F(TDifficultKeysFileTest, LoadResetsFreshCountsAndTheRanking) {
  TDifficultKeys keys;
  keys.Register('a', true);
  keys.LastHits['a'] = 4;
  set_totals(keys, 'z', 40, 10, 40);
  EXPECT_EQ(keys.TopKeys(1, TKeySelection::All), "z");
  load(keys, std::string(1338, '\0'));
  EXPECT_EQ(keys.Hits['a'], 0);
  EXPECT_EQ(keys.Errors['a'], 0);
  EXPECT_EQ(keys.LastHits['a'], 0);
  EXPECT_EQ(keys.TopKeys(1, TKeySelection::All), "");
}

TEST_F(TDifficultKeysFileTest, ShortBlockLeavesTheMissingValuesZeroAndReportsEndOfFile) {
  std::string bytes(500, '\0');
  bytes[0] = 5;      // presses of 33
  bytes[446] = 9;    // hits of 33
  bytes[499] = 1;    // high byte of the hits of code 59, the last value read
  TDifficultKeys keys;
  keys.TotalErrors['a'] = 77;
  EXPECT_EQ(load(keys, bytes), 0);
  EXPECT_EQ(keys.Presses[33], 5);
  EXPECT_EQ(keys.TotalHits[33], 9);
  EXPECT_EQ(keys.TotalHits[59], 256);
  EXPECT_EQ(keys.TotalHits[60], 0);
  EXPECT_EQ(keys.TotalErrors['a'], 0);
  EXPECT_EQ(keys.SavedErrors['a'], 0);
}

TEST_F(TDifficultKeysFileTest, OversizedOrGarbageBlockReadsExactly1338Bytes) {
  std::string bytes;
  uint32_t seed = 12345;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes += static_cast<char>(seed >> 24);
  }
  TDifficultKeys keys;
  EXPECT_EQ(load(keys, bytes), 1);
  keys.Consolidate();
  for (int c = 33; c <= 255; ++c) EXPECT_TRUE(std::isfinite(keys.KeyIndex(static_cast<unsigned char>(c))));
  EXPECT_LE(keys.TopKeys(223, TKeySelection::All).size(), 223u);
  EXPECT_EQ(save(keys).size(), 1338u);
}

TEST_F(TDifficultKeysFileTest, SaveConsolidatesFirst) {
  TDifficultKeys keys;
  for (int i = 0; i < 9; ++i) keys.Register('a', i == 0);
  const std::string bytes = save(keys);
  const size_t at = static_cast<size_t>('a' - 33) * 2;
  EXPECT_EQ(bytes[at], 9);              // presses
  EXPECT_EQ(bytes[446 + at], 9);        // hits
  EXPECT_EQ(bytes[892 + at], 1);        // errors
  EXPECT_EQ(keys.Hits['a'], 0);         // committed: 9 > Window 8
}

}  // namespace
}  // namespace strevo::test
