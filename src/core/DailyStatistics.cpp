#include "core/DailyStatistics.h"

#include <algorithm>
#include <string>

#include "analysis/AnalyzerAPI.h"
#include "analysis/Diffkeys.h"
#include "platform/Ansi.h"
#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "storage/ToolBox.h"
#include "storage/User.h"

namespace strevo {

namespace {

// The keys the history names for a day: the most difficult of the active set.
constexpr int kHistoryDifficultKeys = 5;

std::string day_key(const char* key, int index) { return std::string(key) + std::to_string(index); }

// A record is replaced only by a strictly better value, so an equal value
// keeps the date of the earlier one.
void raise_record(TUser& user, const char* key, int32_t value, double now) {
  if (value <= user.GetInteger(key)) return;
  user.SetInteger(key, value);
  user.SetFloat(std::string(key) + ".Date", now);
}

}  // namespace

void TUserCounters::LoadFrom(TUser& user) {
  totalHits = user.GetInt64("totalHits");
  monitoredHits = user.GetInt64("monitoredHits");
  ArrowHits = user.GetInt64("ArrowHits");
  BackSpaces = user.GetInt64("BackSpaces");
  MouseClicks = user.GetInt64("MouseClicks");
}

void TUserCounters::SaveTo(TUser& user) const {
  user.SetInt64("totalHits", totalHits);
  user.SetInt64("monitoredHits", monitoredHits);
  user.SetInt64("ArrowHits", ArrowHits);
  user.SetInt64("BackSpaces", BackSpaces);
  user.SetInt64("MouseClicks", MouseClicks);
}

void TWidgetGeometry::LoadFrom(TUser& user) {
  top = user.GetInteger("InfoWinTop");
  left = user.GetInteger("InfoWinLeft");
  width = user.GetInteger("InfoWinWidth");
  height = user.GetInteger("InfoWinHeight");
  visible = user.GetInteger("InfoWinVisible");
}

void TWidgetGeometry::SaveTo(TUser& user) const {
  user.SetInteger("InfoWinTop", top);
  user.SetInteger("InfoWinLeft", left);
  user.SetInteger("InfoWinWidth", width);
  user.SetInteger("InfoWinHeight", height);
  user.SetInteger("InfoWinVisible", visible);
}

void TDailyStatistics::Load(TUser& user) {
  DebugLog(0, "TrayMain.DailyLoad()");
  const double lastDate = user.GetFloat("Lastdate");
  const double today = Today();
  weekday_ = day_of_week(today);
  day_ = today;
  OpenHistory(user);
  if (today == lastDate) {
    const int d = weekday_;
    analyzer_.Efficiency.Characters = user.GetInteger(day_key("TotalHits.day", d));
    analyzer_.Efficiency.Words = user.GetInteger(day_key("TypedWords.day", d));
    analyzer_.TypingTime.SetSeconds(user.GetInteger(day_key("TypingSeconds.day", d)));
    DebugLog(0, "TrayMain.DailyLoad: Today case");
    return;
  }
  double gap = today - date_part(lastDate);
  if (gap >= 7) gap = 8;
  if (gap >= 2) {
    DebugLog(0, "TrayMain.DailyLoad: less than week case");
    int k = weekday_;
    for (int i = 0; i < static_cast<int>(gap) - 1; ++i) {
      k = k == 1 ? 7 : k - 1;
      Clear(user, k);
    }
  } else {
    DebugLog(0, "TrayMain.DailyLoad: yesterday case");
  }
}

void TDailyStatistics::Clear(TUser& user, int32_t k) {
  user.SetInteger(day_key("TotalHits.day", k), 0);
  user.SetInteger(day_key("TypedWords.day", k), 0);
  user.SetInteger(day_key("TypingSeconds.day", k), 0);
  user.SetInteger(day_key("ProblemIndex.day", k), 0);
  DebugLog(0, "TrayMain.ClearDaily: Day deleted" + std::to_string(k));
}

void TDailyStatistics::Save(TUser& user, DailySaveMode mode) {
  const double now = Now();
  const double today = date_part(now);
  // The day closes when the date changes, whatever the weekday: two days a
  // week apart are two days.
  if (today <= day_ && mode != DailySaveMode::Always) return;
  TEfficiencyInfo& info = analyzer_.Efficiency;
  const int d = weekday_;
  const int32_t seconds = analyzer_.TypingTime.Seconds();
  const int32_t p = analyzer_.ProblemIndex();
  user.SetInteger(day_key("TotalHits.day", d), info.Characters);
  user.SetInteger(day_key("TypedWords.day", d), info.Words);
  user.SetInteger(day_key("TypingSeconds.day", d), seconds);
  user.SetInteger(day_key("ProblemIndex.day", d), p);
  const int32_t charsPerMinute = analyzer_.CharsPerMinute();
  PutHistoryRow(seconds, charsPerMinute, p);
  raise_record(user, "Speed.TopTen", charsPerMinute, now);
  raise_record(user, "TypingSeconds.TopTen", seconds, now);
  raise_record(user, "TypedWords.TopTen", info.Words, now);
  raise_record(user, "ProblemIndex.TopTen", p, now);
  SaveWeekSamples(user);
  // A day counts once, at its first save: the closed day, and the new day
  // when this save moves on to it.
  int32_t days = day_ != date_part(user.GetFloat("Lastdate")) ? 1 : 0;
  if (today > day_) {
    // The days skipped while the program ran and the new day itself start
    // empty, as a start on the new day would find them.
    ClearDaysUpTo(user, today);
    weekday_ = day_of_week(today);
    day_ = today;
    user.SetInteger(day_key("ProblemIndex.day", weekday_), analyzer_.ProblemIndex());
    ++days;
    dayStartHits_ = counters_.totalHits;
    dayStartBackSpaces_ = counters_.BackSpaces;
  }
  info.Characters = 0;
  info.Words = 0;
  analyzer_.TypingTime.SetSeconds(0);
  if (days > 0) user.SetInteger("WayfenDays.counter", user.GetInteger("WayfenDays.counter") + days);
  user.SetInteger("CurrentDay", weekday_);
  user.SetFloat("Lastdate", day_);
}

void TDailyStatistics::OpenHistory(TUser& user) {
  history_.Close();
  dayStartHits_ = counters_.totalHits;
  dayStartBackSpaces_ = counters_.BackSpaces;
  if (user.IsVisitor() || same_text(user.Name(), kVisitorName) || user.BaseName.empty()) return;
  history_.Load(user.FilePath(kHistoryExtension));
  // Started again on a day that has its row: the day began that many
  // presses before the counters' stored value.
  if (const THistoryRow* row = history_.Find(day_)) {
    dayStartHits_ -= row->keyPresses;
    dayStartBackSpaces_ -= row->backspaces;
  }
}

void TDailyStatistics::PutHistoryRow(int32_t seconds, int32_t charsPerMinute, int32_t problemIndex) {
  if (history_.Path().empty()) return;
  THistoryRow row;
  row.date = day_;
  row.characters = analyzer_.Efficiency.Characters;
  row.words = analyzer_.Efficiency.Words;
  row.seconds = seconds;
  row.charsPerMinute = charsPerMinute;
  row.keyPresses = std::max<int64_t>(0, counters_.totalHits - dayStartHits_);
  row.backspaces = std::max<int64_t>(0, counters_.BackSpaces - dayStartBackSpaces_);
  row.problemIndex = problemIndex;
  if (row.characters == 0 && row.keyPresses == 0) return;
  if (TDifficultKeys* keys = analyzer_.ActiveKeys()) row.difficultKeys = keys->TopKeys(kHistoryDifficultKeys, TKeySelection::All);
  history_.Put(row);
  // A history that cannot be written now keeps its rows for the next save.
  history_.Save();
}

bool TDailyStatistics::DayIsCurrent() const { return date_part(Now()) <= day_; }

void TDailyStatistics::ClearDaysUpTo(TUser& user, double today) {
  const double gap = std::min(today - day_, 7.0);
  int k = day_of_week(today);
  for (int i = 0; i < static_cast<int>(gap); ++i) {
    Clear(user, k);
    k = k == 1 ? 7 : k - 1;
  }
}

void TDailyStatistics::SaveWeekSamples(TUser& user) {
  const int d = weekday_;
  const int32_t seconds = user.GetInteger(day_key("TypingSeconds.day", d));
  const int32_t hits = user.GetInteger(day_key("TotalHits.day", d));
  // Filed under the date of the day being closed, which after midnight is
  // no longer today.
  const int w = WeekNumber(day_);
  int year, month, day;
  decode_date(day_, year, month, day);
  user.SetInteger(day_key("SaTi", w), seconds);
  user.SetInteger(day_key("SaSp", w), hits);
  user.SetInteger(day_key("SaWTi", day), seconds);
  user.SetInteger(day_key("SaWSp", day), hits);
}

}  // namespace strevo
