// Test support: a user database with one prepared user, Ann, whose profile,
// statistics file and letter-pair file hold figures worked out by hand, and
// the pieces to write damaged versions of each.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/UserDatabase.h"

namespace strevo::test {

std::string Le16(int value);
std::string Le32(int32_t value);

// Presses, hits and errors of one key as a statistics file stores them.
struct StoredKey {
  int presses = 0, hits = 0, errors = 0;
};
// One difficult-key set: the three arrays for the keys 33..255.
std::string KeyBlock(const std::map<unsigned char, StoredKey>& keys);
// The six reserved numbers and the version.
std::string StatisticsHeader(int32_t version);

// A collected word: its repeats and its weights at ring positions 1..10.
struct StoredWord {
  std::string text;
  int repeats = 2;
  std::map<int, int> history;
  int historyIndex = 1;
};
// The word block: the count, then each entry scrambled with the key chain
// that starts with the last 12 characters of the file's path.
std::string WordBlock(const std::vector<StoredWord>& words, const std::string& firstKey);

class ReportTest : public UserDatabaseTest {
 protected:
  void SetUp() override;

  // Ann's profile, with lines added at the end (a later line does not
  // replace an earlier one of the same name: the first is read).
  std::string AnnProfile(const std::string& more = "") const;
  // Ann's statistics file: set 0 empty, set 1 with a, b, c, ";" and the
  // words charlie, alpha, bravo, delta.
  std::string AnnStatistics() const;
  std::string AnnPairs() const;
  // Writes all three.
  void WriteAnn();

  std::string Read(const std::string& path) { return fake.ReadHostFile(path); }
  bool Exists(const std::string& path) { return fake.files.FileExists(path); }

  static constexpr const char* kProfile = "C:\\Data\\Ann.usr";
  static constexpr const char* kStatistics = "C:\\Data\\Ann.DTA";
  static constexpr const char* kPairs = "C:\\Data\\Ann.json";
  static constexpr const char* kOut = "C:\\Out";
  static constexpr const char* kPage = "C:\\Out\\Ann-report.html";
  static constexpr const char* kCsv = "C:\\Out\\Ann-report.csv";
  static constexpr const char* kJson = "C:\\Out\\Ann-report.json";
};

}  // namespace strevo::test
