#include "ReportFiles.h"

#include <nlohmann/json.hpp>

#include "storage/LangRes.h"

namespace strevo::test {

// The JSON library writes no string that is not UTF-8.
bool IsUtf8(const std::string& text) {
  try {
    (void)nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

void ReportTest::SetUp() {
  UserDatabaseTest::SetUp();
  Localize().Strings[12] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  Localize().Strings[13] = "abcdefghijklmnopqrstuvwxyz";
  Localize().Strings[528] = "The user file could not be opened.";
  Localize().Strings[1376] = "This user file belongs to another user:";
  Localize().Strings[1377] = "The user name is not valid.";
}

std::string ReportTest::AnnProfile(const std::string& more) const {
  return "UserName=Ann\r\n"
         "DateStarted=1/2/2020\r\n"
         "Top1000loaded=1\r\n"
         "TotalHits.day2=549\r\nTypedWords.day2=84\r\nTypingSeconds.day2=126\r\nProblemIndex.day2=10\r\n"
         "TotalHits.day3=580\r\nTypedWords.day3=79\r\nTypingSeconds.day3=140\r\nProblemIndex.day3=7\r\n"
         "CurrentDay=2\r\n"
         "Lastdate=46363\r\n"
         "WayfenDays.counter=35\r\n"
         "Speed.TopTen=309\r\nSpeed.TopTen.Date=46329.375\r\n"
         "TypingSeconds.TopTen=155\r\nTypingSeconds.TopTen.Date=46339.5\r\n"
         "TypedWords.TopTen=92\r\n"
         "ProblemIndex.TopTen=10\r\nProblemIndex.TopTen.Date=46333.25\r\n"
         "SaSp45=322\r\nSaTi45=77\r\n"
         "SaWSp2=297\r\nSaWTi2=72\r\n"
         "SaWSp31=10\r\n"
         "totalHits=13005\r\nmonitoredHits=12000\r\nBackSpaces=134\r\nArrowHits=7\r\nMouseClicks=3\r\n" +
         more;
}

std::string ReportTest::AnnStatistics() const {
  std::map<unsigned char, StoredKey> keys;
  keys['a'] = {20, 20, 5};     // 25 % errors: index 100
  keys['b'] = {5, 10, 1};      // 10 %, but only 5 presses: 10 * 5 / 10 = 5, index 20
  keys['c'] = {100, 100, 12};  // 12 %: index 48
  keys[';'] = {30, 30, 30};    // not in the alphabet: no figure
  std::vector<StoredWord> words = {
      {"charlie", 5, {{1, 6}, {10, 6}}},  // (6 * 7 + 6 * 6) * 100 / 84 = 92.86: 93
      {"alpha", 2, {{1, 6}}},             // 42 * 100 / 84 = 50
      {"bravo", 2, {{1, 3}}},             // 21 * 100 / 84 = 25
      {"delta", 1, {{1, 6}}},             // typed twice only: not listed
  };
  return StatisticsHeader(110) + KeyBlock({}) + KeyBlock(keys) + WordBlock(words, "Data\\Ann.DTA");
}

std::string ReportTest::AnnPairs() const {
  return "{\"user\": \"Ann\", \"source\": 0, \"version\": \"1.0\", \"bigrams\": ["
         "{\"bigram\": \"th\", \"count\": 4, \"error_count\": 1, \"time_sum\": 1000}, "
         "{\"bigram\": \"he\", \"count\": 3, \"error_count\": 2, \"time_sum\": 1000}, "
         "{\"bigram\": \"qu\", \"count\": 10, \"error_count\": 1, \"time_sum\": 1500}, "
         "{\"bigram\": \"zz\", \"count\": 1, \"error_count\": 0, \"time_sum\": 4000}]}";
}

void ReportTest::WriteAnn() {
  fake.WriteHostFile(kProfile, AnnProfile());
  fake.WriteHostFile(kStatistics, AnnStatistics());
  fake.WriteHostFile(kPairs, AnnPairs());
}

}  // namespace strevo::test
