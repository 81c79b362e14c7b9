// What the statistics report shows of one user, gathered from the profile,
// the statistics file and the letter-pair file before anything is written,
// so that the page, the CSV file and the JSON file show the same figures.
// Texts are the program's Windows-1252 bytes, as read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/TypingHistory.h"

namespace strevo {

// A figure of the profile. A missing entry reads as 0, as the program reads
// it; an entry that is there but is not a whole number has no value.
using TFigure = std::optional<int64_t>;

struct TWeekdayFigures {
  int weekday = 1;  // 1 Sunday .. 7 Saturday
  TFigure characters, words, seconds, problemIndex;
  bool current = false;  // the profile's "CurrentDay"
};

// A week sample (by week number) or a month sample (by day of the month).
struct TSampleFigures {
  int number = 0;
  TFigure characters, seconds;
};

struct TRecordFigure {
  std::string key;    // the profile entry, e.g. "Speed.TopTen"
  std::string label;  // what the page calls it
  std::string unit;
  TFigure value;
  std::optional<double> date;  // none when missing or not a date
};

struct TCounterFigure {
  std::string key;
  std::string label;
  TFigure value;
};

// One difficult-key set, copied out of the analysis while the user was
// loaded. Arrays are indexed by character code (33..255 used).
struct TKeySetFigures {
  int set = 0;
  int window = 0;  // commit window in presses
  int lowLimit = 33, highLimit = 66;
  std::array<float, 256> index{};
  std::array<bool, 256> rated{};  // in the set's alphabet: the index means something
  std::array<int32_t, 256> presses{}, hits{}, errors{};
  std::string mostDifficult;  // most difficult first
};

struct TWordFigure {
  std::string word;
  int32_t weight = 0;
};

struct TPairFigure {
  std::string pair;
  int32_t count = 0;
  int32_t errors = 0;
  int64_t timeSum = 0;  // ms
};

// Which part of a user's files a problem is about.
enum class TReportPart { User, Profile, Statistics, LetterPairs, History, Output };

struct TReportProblem {
  TReportPart part = TReportPart::User;
  std::string text;
};

struct TReportData {
  std::string userName;    // as asked for
  std::string storedName;  // the profile's "UserName", when read
  std::string fileBase;    // names the report's files
  double generated = 0;

  bool profileRead = false;
  bool statisticsRead = false;  // difficult keys and words
  bool pairsRead = false;
  bool wordsCollected = true;  // "DoNotCollectWords" is not set
  std::vector<TReportProblem> problems;

  std::string dateStarted;  // as stored: the short date of the locale it was written in
  std::optional<double> lastDate;
  TFigure typingDays;
  std::vector<TCounterFigure> counters;
  std::array<TWeekdayFigures, 7> week;  // Sunday first
  std::vector<TSampleFigures> weekSamples, monthSamples;
  std::vector<TRecordFigure> records;

  std::vector<TKeySetFigures> keySets;
  std::vector<TWordFigure> words;  // heaviest first
  std::vector<TPairFigure> pairs;  // in the order of their letters

  bool historyRead = false;  // the typing history was there and read whole
  std::vector<THistoryRow> history;  // oldest first
};

// The weekday's name, 1 Sunday .. 7 Saturday.
const char* WeekdayName(int weekday);
// TimeSum / Count in whole milliseconds (halves to even); 0 without count.
int64_t AveragePairTime(const TPairFigure& pair);
// Pairs typed fewer times than this say nothing about speed (one slow
// press after a correction) and are not ranked as slow.
constexpr int32_t kFewestForSlowest = 3;
// Up to n pairs typed at least kFewestForSlowest times, slowest average
// first (ties: more often typed first, then the letters' order); pairs
// without time are left out.
std::vector<TPairFigure> SlowestPairs(const std::vector<TPairFigure>& pairs, size_t n);
// Up to n pairs with errors, most errors first (ties: the higher error rate,
// that is fewer occurrences, first, then the letters' order).
std::vector<TPairFigure> ErrorPronePairs(const std::vector<TPairFigure>& pairs, size_t n);
// The key index as the page shows it: rounded, halves to even.
int32_t ShownKeyIndex(float index);
// "easy", "moderate" or "difficult" against the set's limits; the colour
// bands of the program's difficulty display.
const char* KeyBand(const TKeySetFigures& set, int32_t shownIndex);
// The key has a figure worth showing: typed, and in the set's alphabet.
bool KeyTyped(const TKeySetFigures& set, unsigned char c);

}  // namespace strevo
