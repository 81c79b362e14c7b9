// Test support: a user database with one prepared user, Ann, whose profile,
// statistics file and letter-pair file hold figures worked out by hand, and
// the pieces to write damaged versions of each.
#pragma once

#include <string>

#include "support/StatisticsFile.h"
#include "support/UserDatabase.h"

namespace strevo::test {

// Every byte sequence is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsUtf8(const std::string& text);

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
