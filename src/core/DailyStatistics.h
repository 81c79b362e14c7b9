// What the tray core keeps in the user's profile: the running counters, the
// widget's place, and the daily figures (the seven weekday slots, the week
// and day-of-month samples, the four records and the count of days with a
// save). The day's own figures live in the analysis (characters, words,
// typing time); TDailyStatistics moves them into and out of the weekday
// slots at the change of day and at a change of user. Every day with typing
// also gets its row in the user's typing history.
#pragma once

#include <cstdint>

#include "storage/TypingHistory.h"

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
  // The day's figures live in the analyzer's counters and typing time; the
  // day's key presses and backspaces are what the running counters gained
  // since the day's start.
  TDailyStatistics(TAnalyzer& analyzer, const TUserCounters& counters) : analyzer_(analyzer), counters_(counters) {}

  // Today's figures back from today's slot when the last save was today;
  // otherwise the slots of the days skipped since then are cleared and the
  // day starts from what the analysis holds. The counters must be loaded:
  // the day started at their value less what today's history row holds.
  void Load(TUser& user);
  // Closes the current day: its figures into its weekday's slot, the
  // records, the samples; the analysis's day figures start again at 0. A
  // save on a later date moves on to that date, whose slot and those of the
  // days skipped start empty. A clock set back to an earlier date never
  // moves the day back: its figures stay filed under the day already begun.
  // The day's history row is written at every save that finds typing.
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
  void OpenHistory(TUser& user);
  // The row of the day the analysis holds, when anything was typed on it.
  void PutHistoryRow(int32_t seconds, int32_t charsPerMinute, int32_t problemIndex);

  TAnalyzer& analyzer_;
  const TUserCounters& counters_;
  TTypingHistory history_;  // no path: the user keeps no history (the visitor)
  int64_t dayStartHits_ = 0, dayStartBackSpaces_ = 0;
  int32_t weekday_ = 1;
  double day_ = 0;  // the date whose figures the analysis holds
};

}  // namespace strevo
