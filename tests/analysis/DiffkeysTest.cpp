// Per-key difficulty: the index, the blending of fresh presses into the
// history and the ranking of the most difficult keys.
#include "analysis/Diffkeys.h"

#include <gtest/gtest.h>

#include <string>

#include "storage/FileObj.h"
#include "support/Fixture.h"

namespace strevo::test {
namespace {

void set_totals(TDifficultKeys& keys, unsigned char c, int hits, int errors, int presses) {
  keys.TotalHits[c] = hits;
  keys.TotalErrors[c] = errors;
  keys.Presses[c] = presses;
  keys.Sorted = false;
}

// Four times the error rate, weakened by few presses; keys outside the
// alphabet have none, except comma and full stop.
TEST(TDifficultKeysTest, IndexIsFourTimesTheErrorRateOfTheAlphabetsKeys) {
  TDifficultKeys keys;
  for (unsigned char c : {'a', '#', ',', '.'}) set_totals(keys, c, 40, 4, 40);
  EXPECT_FLOAT_EQ(keys.KeyIndex('a'), 40.0f);
  EXPECT_EQ(keys.KeyIndex('#'), 0.0f);
  EXPECT_FLOAT_EQ(keys.KeyIndex(','), 40.0f);
  EXPECT_FLOAT_EQ(keys.KeyIndex('.'), 40.0f);
  set_totals(keys, 'a', 40, 4, 5);
  EXPECT_FLOAT_EQ(keys.KeyIndex('a'), 20.0f);
  keys.SetAlphabet("");
  EXPECT_FLOAT_EQ(keys.KeyIndex('#'), 40.0f);
}

// Space and the control characters are never counted; the index follows
// the fresh presses only at the next consolidation.
TEST(TDifficultKeysTest, RegisterCountsTheKeysFrom33AndTheIndexWaitsForConsolidation) {
  TDifficultKeys keys;
  for (int c = 0; c <= 32; ++c) keys.Register(static_cast<unsigned char>(c), true);
  keys.Register('#', false);
  keys.Register('a', true);
  EXPECT_EQ(keys.Hits['#'], 1);
  EXPECT_EQ(keys.Errors['a'], 1);
  EXPECT_EQ(keys.KeyIndex('a'), 0.0f);
  keys.Consolidate();
  EXPECT_GT(keys.KeyIndex('a'), 0.0f);
  for (int c = 0; c <= 32; ++c) EXPECT_EQ(keys.Hits[c] + keys.TotalHits[c] + keys.Presses[c], 0) << c;
}

// Window 20: eight fresh presses keep sixty percent of the history and are
// not committed; more than 20 drop the history and commit. A key without
// fresh presses keeps its totals. The kept share is the exact ratio, rounded
// half to even: 45 x 14/20 = 31.5 gives 32, 35 x 14/20 = 24.5 gives 24.
TEST(TDifficultKeysTest, ConsolidationBlendsAndCommitsByTheWindow) {
  TDifficultKeys keys;
  keys.Window = 20;
  keys.SavedHits['a'] = 50;
  keys.SavedPresses['a'] = 50;
  for (int i = 0; i < 8; ++i) keys.Register('a', false);
  keys.SavedHits['b'] = 50;
  keys.SavedErrors['b'] = 20;
  for (int i = 0; i < 21; ++i) keys.Register('b', i < 3);
  set_totals(keys, 'c', 30, 3, 30);
  const std::pair<unsigned char, int> decays[] = {{'d', 45}, {'e', 33}, {'f', 35}};
  for (const auto& [c, hits] : decays) {
    keys.SavedHits[c] = hits;
    for (int i = 0; i < 6; ++i) keys.Register(c, false);
  }
  keys.Consolidate();
  EXPECT_EQ(keys.TotalHits['a'], 38);
  EXPECT_EQ(keys.Presses['a'], 58);
  EXPECT_EQ(keys.LastHits['a'], 8);
  EXPECT_EQ(keys.Hits['a'], 8);
  EXPECT_EQ(keys.SavedHits['a'], 50);
  EXPECT_EQ(keys.TotalHits['b'], 21);
  EXPECT_EQ(keys.TotalErrors['b'], 3);
  EXPECT_EQ(keys.SavedHits['b'], 21);
  EXPECT_EQ(keys.SavedErrors['b'], 3);
  EXPECT_EQ(keys.SavedPresses['b'], 21);
  EXPECT_EQ(keys.Hits['b'] + keys.Errors['b'], 0);
  EXPECT_EQ(keys.TotalHits['c'], 30);
  EXPECT_EQ(keys.TotalErrors['c'], 3);
  EXPECT_EQ(keys.TotalHits['d'], 32 + 6);
  EXPECT_EQ(keys.TotalHits['e'], 23 + 6);
  EXPECT_EQ(keys.TotalHits['f'], 24 + 6);
}

// An index above 100 cuts the errors (halves to even); presses above 29 000
// fall back to 25 000.
TEST(TDifficultKeysTest, ConsolidationKeepsIndexAndPressesInTheirRange) {
  TDifficultKeys keys;
  for (int i = 0; i < 10; ++i) keys.Register('a', i < 5);
  keys.SavedPresses['b'] = 28995;
  for (int i = 0; i < 5; ++i) keys.Register('b', false);
  keys.Consolidate();  // a: 10 hits, 5 errors, 10 presses: index 200
  EXPECT_EQ(keys.TotalErrors['a'], 2);  // Round(2.5) = 2
  EXPECT_FLOAT_EQ(keys.KeyIndex('a'), 80.0f);
  EXPECT_EQ(keys.Presses['b'], 29000);
  keys.Register('b', false);
  keys.Consolidate();
  EXPECT_EQ(keys.Presses['b'], 25000);
}

// -------------------------------------------------------------- ranking --

// Selections use the Windows-1252 case mapping (a digit is both); comma and
// full stop are never listed.
TEST(TDifficultKeysTest, TopKeysSelectByCaseAndLeaveOutCommaAndFullStop) {
  TDifficultKeys keys;
  set_totals(keys, ',', 40, 10, 40);
  set_totals(keys, '.', 40, 10, 40);
  set_totals(keys, 'a', 40, 6, 40);     // 60
  set_totals(keys, 'B', 40, 5, 40);     // 50
  set_totals(keys, '5', 40, 4, 40);     // 40
  set_totals(keys, 0xE4, 40, 3, 40);    // 30
  set_totals(keys, 0xC4, 40, 2, 40);    // 20
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "aB5\xE4\xC4");
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::LowerCase), "a5\xE4");
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::UpperCase), "B5\xC4");
  EXPECT_EQ(keys.TopKeys(2, TKeySelection::LowerCase), "a5");
}

// The exchange sort compares every later entry with the one in place, so
// ties do not keep the character order (10, 20, 20, 30 for 1..4 give 4321).
// The ranking is kept until invalidated, but indexes are current.
TEST(TDifficultKeysTest, RankingFollowsTheExchangeSortAndIsKeptUntilRebuilt) {
  TDifficultKeys keys;
  set_totals(keys, '1', 400, 10, 40);
  set_totals(keys, '2', 200, 10, 40);
  set_totals(keys, '3', 200, 10, 40);
  set_totals(keys, '4', 400, 30, 40);
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "4321");
  keys.TotalErrors['4'] = 0;  // the walk stops at an index of 0
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "");
  keys.Consolidate();
  EXPECT_EQ(keys.TopKeys(8, TKeySelection::All), "231");
}

// A save commits the fresh presses first: nine presses of 'b', one of them
// wrong, more than the window of eight, are stored as nine presses, nine
// hits and one error (16 bits each, the three arrays of keys 33..255).
TEST_F(PlatformTest, ASaveCommitsTheFreshPressesFirst) {
  TDifficultKeys keys;
  for (int i = 0; i < 9; ++i) keys.Register('b', i == 0);
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\keys.bin", 5, 0), 1);
  ASSERT_EQ(keys.SaveTo(file), 1);
  file.Close();
  const std::string bytes = fake.ReadHostFile("C:\\keys.bin");
  for (size_t array : {0u, 446u, 892u})
    EXPECT_EQ(bytes.substr(array + ('b' - 33) * 2, 2), std::string(array == 892 ? "\x01" : "\x09", 1) + '\0') << array;
}

}  // namespace
}  // namespace strevo::test
