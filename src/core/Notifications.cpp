#include "core/Notifications.h"

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "analysis/AnalyzerAPI.h"
#include "analysis/DeviationCalc.h"
#include "analysis/Diffkeys.h"
#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "core/TrayMain.h"
#include "platform/Platform.h"
#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "storage/LangRes.h"
#include "storage/Numbers.h"
#include "storage/ToolBox.h"
#include "storage/User.h"
#include "ui/NotifyFrm.h"

namespace strevo {

namespace {

// Pauses that start a new work period, in days: about 7 minutes 9 seconds
// before the break decision, 7 minutes 12 seconds after it.
constexpr double kPauseBeforeBreak = 0.00497;
constexpr double kPauseAfterBreak = 0.005;
constexpr int kBreakBalloonMs = 30000;
// Analysed characters since the last training check that make a new one.
constexpr int64_t kCharactersPerCheck = 700;
constexpr int32_t kTrainingDifficulty = 20;
constexpr int32_t kRecommendedDifficulty = 25;
constexpr int32_t kStronglyRecommendedDifficulty = 40;

// STREVO_DEMO_ADVICE, seconds: the length of a quarter hour for the break
// reminder, for showing the reminder quickly; the pauses that start a new
// work period keep their length. The program never sets it.
double demo_day_scale() {
  std::string seconds;
  if (!System().GetEnvironment("STREVO_DEMO_ADVICE", seconds)) return 1.0;
  double value = 0;
  return text_to_float(seconds, value) && value > 0 ? value / 900.0 : 1.0;
}

// "3 keys need practice", or the text for none.
std::string info_text(size_t count, int32_t noneText, int32_t index, int32_t fasterText, int32_t someText) {
  if (count >= 1) return std::to_string(count) + " " + LangStr(someText);
  return LangStr(index < 1 ? noneText : fasterText);
}

}  // namespace

TNotifications::TNotifications(TTrayMain& tray, TNotifyForm& form, ITrayIcon* trayIcon)
    : tray_(tray), form_(form), trayIcon_(trayIcon) {}

void TNotifications::Start() {
  lastTick_ = Clock().TickCount();
  elapsedMs_ = 0;
  lastKeyTime_ = workPeriodStart_ = Elapsed();
  dayScale_ = demo_day_scale();
}

void TNotifications::ApplySettings(TUser& user) {
  notifyWhenDifficulties_ = user.GetBool("NotifyWhenDifficulties");
  pagesSetting_ = user.GetInteger("PagesTrackBar.position");
  breakSetting_ = user.GetBool("NotifyWhenBreak") ? user.GetInteger("BreakTrackBar.position") : 0;
}

void TNotifications::Check(CancelReason reason) {
  DebugLog(0, "TTrayMain.NotifyCheck()");
  if (!CurrentUser || !tray_.Enabled()) return;
  tray_.DailySave(DailySaveMode::WhenDayChanged);
  if (breakSetting_ > 0) CheckBreak();
  if (notifyWhenDifficulties_ && reason == CancelReason::IdleTimeout && CurrentUser) CheckTraining(*CurrentUser);
}

double TNotifications::Elapsed() {
  const uint32_t tick = Clock().TickCount();
  elapsedMs_ += tick - lastTick_;
  lastTick_ = tick;
  return static_cast<double>(elapsedMs_) / 86400000.0;
}

void TNotifications::CheckBreak() {
  const double now = Elapsed();
  // Back from a pause: a new stretch of work begins.
  if (now - lastKeyTime_ > kPauseBeforeBreak) workPeriodStart_ = now;
  if (now - workPeriodStart_ > breakSetting_ / 4.0 / 24.0 * dayScale_) {
    std::minstd_rand random(Clock().TickCount());
    const int k = std::uniform_int_distribution<int>(1, 9)(random);
    if (trayIcon_) {
      trayIcon_->onBalloonClick = nullptr;  // this balloon leads nowhere
      trayIcon_->ShowBalloon(LangStr(1463 + k), LangStr(1473), kBreakBalloonMs);
    }
    workPeriodStart_ = now;
  }
  if (now - lastKeyTime_ > kPauseAfterBreak) workPeriodStart_ = now;
}

void TNotifications::KeyTyped() {
  const double now = Elapsed();
  // Back from a pause the check has not seen: the work starts again here.
  if (now - lastKeyTime_ > kPauseBeforeBreak) workPeriodStart_ = now;
  lastKeyTime_ = now;
}

void TNotifications::CheckTraining(TUser& user) {
  const int64_t monitored = tray_.Counters().monitoredHits;
  if (monitored - user.GetInteger("LastMonitoredDif") <= kCharactersPerCheck) return;
  user.SetInteger("LastMonitoredDif", static_cast<int32_t>(monitored));
  const double today = Today();
  if (user.GetFloat("LastNotifyDate") + user.GetInteger("PagesTrackBar.position") > today) return;
  user.SetFloat("LastNotifyDate", today);
  if (TDifficultKeys* keys = tray_.Analyzer().ActiveKeys()) keys->Consolidate();
  if (tray_.Analyzer().ProblemIndex() > kTrainingDifficulty) NotifyNow();
}

void TNotifications::FillForm() {
  const TAnalyzer& analyzer = tray_.Analyzer();
  TDifficultKeys* keys = analyzer.ActiveKeys();
  const int32_t keyIndex = KeyIndexLower(keys), capitalIndex = KeyIndexUpper(keys);
  const int32_t wordIndex = WordIndex(analyzer.CollectedWords());
  form_.KeyIndexGraph = {keyIndex, BandColour(keyIndex, keys)};
  form_.CapitalIndexGraph = {capitalIndex, BandColour(capitalIndex, keys)};
  form_.WordIndexGraph = {wordIndex, BandColour(wordIndex, keys)};
  // The difficult words: among the five heaviest, those that weigh at
  // least as much as a key must to count as difficult.
  size_t difficultWords = 0;
  if (const UserAnalysis* user = analyzer.User()) {
    const std::vector<std::string> lines = user->Words.WeightedList(5, 1);
    for (size_t i = 0; i < lines.size() && i < 5; ++i) {
      const size_t semicolon = lines[i].rfind(';');
      const int weight = semicolon == std::string::npos ? 0 : std::atoi(lines[i].c_str() + semicolon + 1);
      if (keys && weight >= keys->LowLimit) ++difficultWords;
    }
  }
  const std::string lowerKeys = keys ? keys->TopKeys(10, TKeySelection::LowerCase) : std::string();
  const std::string upperKeys = keys ? keys->TopKeys(10, TKeySelection::UpperCase) : std::string();
  form_.KeyInfoLbl = info_text(lowerKeys.size(), 1761, keyIndex, 1760, 1759);
  form_.CapitalInfoLbl = info_text(upperKeys.size(), 1764, capitalIndex, 1763, 1762);
  form_.WordInfoLbl = info_text(difficultWords, 1767, wordIndex, 1766, 1765);
  form_.Label1 = "Training needed for keys: " + (keys ? keys->TopKeys(5, TKeySelection::LowerCase) : std::string());
  // The window lives for the whole run: an earlier showing's comment must
  // not stay.
  form_.PractiseCommentLbl = form_.DefaultComment;
  const int32_t problem = analyzer.ProblemIndex();
  if (problem > kRecommendedDifficulty) form_.PractiseCommentLbl = LangStr(307);
  if (problem > kStronglyRecommendedDifficulty) form_.PractiseCommentLbl = LangStr(308);
}

void TNotifications::NotifyNow() {
  DebugLog(0, "TTrayMain.NotifyNow()");
  if (form_.Showing()) return;
  form_.Hide();
  FillForm();
  const ModalResult result = form_.ShowModal();
  if (form_.DoNotShow && CurrentUser) {
    notifyWhenDifficulties_ = false;
    CurrentUser->SetInteger("NotifyWhenDifficulties", 0);
    CurrentUser->SetInteger("NotifyAfterPages", 0);
    pagesSetting_ = 0;
  }
  if (result == ModalResult::BeginTraining) {
    tray_.ReviewClick();
  } else if (result == ModalResult::Customise) {
    tray_.ChooseAppsClick();
    NotifyNow();
  }
}

}  // namespace strevo
