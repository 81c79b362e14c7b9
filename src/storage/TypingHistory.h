// The user's typing history, <base>.history.csv beside the profile: one row
// for every day with typing, kept for as long as the user keeps the file.
// The profile holds only the last week by weekday; this file is what the
// report draws the trend from. Plain ASCII, CR LF:
//
//   # strevo typing history 1
//   date,characters,words,typing_seconds,chars_per_minute,key_presses,backspaces,problem_index,difficult_keys
//   2026-12-07,12,2,2,360,12,0,0,
//
// difficult_keys holds the five most difficult keys of the active key set,
// most difficult first; a byte that is not a letter or a digit is written
// as %HH (comma %2C, a-umlaut %E4). The tutor never reads this file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace strevo {

inline constexpr const char* kHistoryFormatLine = "# strevo typing history 1";
inline constexpr const char* kHistoryHeaderLine =
    "date,characters,words,typing_seconds,chars_per_minute,key_presses,backspaces,problem_index,difficult_keys";
inline constexpr const char* kHistoryExtension = ".history.csv";

struct THistoryRow {
  double date = 0;  // days since 1899-12-30, whole
  int64_t characters = 0, words = 0, seconds = 0, charsPerMinute = 0;
  int64_t keyPresses = 0, backspaces = 0, problemIndex = 0;
  std::string difficultKeys;  // the keys' own bytes
};

// The rows of a history file's text, oldest first; false (and a reason) when
// the first line is not the format line, the header is not ours or a row
// does not parse.
bool ParseHistory(std::string_view text, std::vector<THistoryRow>& rows, std::string& problem);
std::string HistoryText(const std::vector<THistoryRow>& rows);
// "2026-12-07" for the day's number.
std::string IsoDateText(double date);

class TTypingHistory {
 public:
  // Reads the file at path (none yet: no rows). A file that cannot be read
  // or parsed leaves no rows and is kept aside at the first Save.
  void Load(const std::string& path);
  // The row of that day, none when the day has none.
  const THistoryRow* Find(double date) const;
  // Puts the day's row in place of the one of its date, in date order.
  void Put(const THistoryRow& row);
  // Writes the whole file; false when it could not be written (the rows
  // stay, and the next save tries again).
  bool Save();
  const std::vector<THistoryRow>& Rows() const { return rows_; }
  const std::string& Path() const { return path_; }
  // Why the file on disk could not be read; empty when it was (or is none).
  const std::string& Unreadable() const { return unreadable_; }
  void Close();

 private:
  std::string path_;
  std::vector<THistoryRow> rows_;
  std::string unreadable_;  // why the file on disk could not be read
};

}  // namespace strevo
