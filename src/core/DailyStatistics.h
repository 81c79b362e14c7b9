// What the tray core keeps in the user's profile: the running counters, the
// widget's place, and the daily figures (the seven weekday slots, the week
// and day-of-month samples, the four records and the count of days with a
// save). The day's own figures live in the analysis (characters, words,
// typing time); TDailyStatistics moves them into and out of the weekday
// slots at the change of day and at a change of user.
#pragma once

#include <cstdint>

namespace strevo {

class TAnalyzer;
class TUser;

// The running counters: "totalHits", "monitoredHits", "BackSpaces",
// "ArrowHits", "MouseClicks".
struct TUserCounters {
  int64_t totalHits = 0, monitoredHits = 0, BackSpaces = 0, ArrowHits = 0, MouseClicks = 0;
  void LoadFrom(TUser& user);
  void SaveTo(TUser& user) const;
};

// The meter widget's place: "InfoWinTop", "InfoWinLeft", "InfoWinWidth",
// "InfoWinHeight" (top and left -1 while not known) and "InfoWinVisible".
struct TWidgetGeometry {
  int32_t top = -1, width = 0, height = 0, left = -1;
  int32_t visible = 0;
  void LoadFrom(TUser& user);
  void SaveTo(TUser& user) const;
};

enum class DailySaveMode {
  WhenDayChanged = 1,  // only on the first occasion after midnight
  Always = 2,
};

class TDailyStatistics {
 public:
  // The day's figures live in the analyzer's counters and typing time.
  explicit TDailyStatistics(TAnalyzer& analyzer) : analyzer_(analyzer) {}

  // Today's figures back from today's slot when the last save was today;
  // otherwise the slots of the days skipped since then are cleared and the
  // day starts from what the analysis holds.
  void Load(TUser& user);
  // Closes the current day: its figures into its weekday's slot, the
  // records, the samples; the analysis's day figures start again at 0. A
  // save on a later date moves on to that date, whose slot and those of the
  // days skipped start empty. A clock set back to an earlier date never
  // moves the day back: its figures stay filed under the day already begun.
  void Save(TUser& user, DailySaveMode mode);
  void Clear(TUser& user, int32_t weekday);
  // The current weekday's slot filed under the week number and the day of
  // the month of that day.
  void SaveWeekSamples(TUser& user);

  // 1 (Sunday) to 7 (Saturday): the weekday whose figures the analysis holds.
  int32_t CurrentWeekday() const { return weekday_; }
  // The clock's date is still the day the analysis holds (a clock set back
  // counts as that day too): a save now closes no day.
  bool DayIsCurrent() const;

 private:
  // Clears the slots of the days after the current one up to today (every
  // slot after a week or more).
  void ClearDaysUpTo(TUser& user, double today);

  TAnalyzer& analyzer_;
  int32_t weekday_ = 1;
  double day_ = 0;  // the date whose figures the analysis holds
};

}  // namespace strevo
