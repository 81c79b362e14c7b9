// TTrayMain's key path: each key and mouse click the hooks report, through
// the key decoder and the typing run to the analysis, the letter pairs and
// the key totals.
#include "core/TrayMain.h"
#include "input/KeyInfo.h"
#include "input/SpyApps.h"
#include "platform/Application.h"
#include "platform/SystemCodes.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/Nervgrph.h"

namespace strevo {

void TTrayMain::CMKeyInfo(uintptr_t& keyInfo, intptr_t lParam, uint32_t messageTime) {
  notifications_.KeyTyped();
  if (!unsavedSince_) unsavedSince_ = messageTime;
  // Into or out of a password field: the run is abandoned, as for another
  // window, so that no word or letter pair spans the field's edge.
  if (passwordField_.Moved(messageTime)) CancelAnalyse(CancelReason::Interrupted);
  if ((keyInfo & 0xFF) == vk::kTab) passwordField_.FocusMayMove(messageTime);
  // Keys a program sent (auto-type, a macro, a remote tool) are nobody's
  // typing: counted, never analysed, unless the installation's policy says
  // otherwise. Between them and typed keys the run ends, as at a password
  // field's edge.
  const bool sent = (keyInfo & kKeyInfoInjected) && !PolicyAnalyseInjected;
  if (sent != sentKeys_) {
    sentKeys_ = sent;
    CancelAnalyse(CancelReason::Interrupted);
  }
  if (passwordField_.Inside() || sent) {
    PasswordKey(keys_.Decode(keyInfo, KeyTrace::Off));
    return;
  }
  if (ApplicationExcluded(messageTime)) return PasswordKey(keys_.Decode(keyInfo, KeyTrace::Off));
  const DecodedKey key = keys_.Decode(keyInfo);
  if (key.kind != DecodedKey::Kind::Command) ++analyzer_.Efficiency.KeyMessages;
  switch (key.kind) {
    case DecodedKey::Kind::Command:
    case DecodedKey::Kind::NonCharacter:
      NonCharKey(key.virtualKey, messageTime, lParam, key.ctrl, key.shift);
      break;
    case DecodedKey::Kind::Character:
      CharKey(key.character, lParam, messageTime);
      break;
    case DecodedKey::Kind::DeadKey:
      break;  // counted in the key messages only; the next key has no character
  }
}

// The key totals count it as a key press; the analysis, the letter pairs,
// the trace and the widget never see it. Also the keys of a switched-off
// application.
void TTrayMain::PasswordKey(const DecodedKey& key) {
  if (key.kind == DecodedKey::Kind::DeadKey) return;
  ++counters_.totalHits;
  if (key.kind == DecodedKey::Kind::Character) {
    ++counters_.monitoredHits;
    if (key.character == '\b') ++counters_.BackSpaces;
  } else if (key.virtualKey >= vk::kLeft && key.virtualKey <= vk::kDown) {
    ++counters_.ArrowHits;
  }
}

bool TTrayMain::ApplicationExcluded(uint32_t messageTime) {
  const ApplicationIdentity& app = foregroundApp_.At(messageTime);
  TSpyedApps* apps = MonitoredApplications();
  // Joined once per application in front (and list), not at every key.
  if (apps != joined_.list || (apps && apps->Stamp() != joined_.stamp) || foregroundApp_.Asked() != joined_.asked) {
    joined_ = {apps, apps ? apps->Stamp() : 0, foregroundApp_.Asked(), nullptr};
    // The program's own windows are neither joined nor excluded.
    if (apps && !app.executable.empty() && app.processId != System().CurrentProcessId()) {
      joined_.record = &apps->Join(app.executable, app.description);
      joined_.record->NoteProcess(app.processId);
    }
  }
  const bool excluded = joined_.record && !joined_.record->IsEnabled();
  // Into or out of a switched-off application: no word or letter pair spans
  // the edge.
  if (excluded != inExcludedApp_) CancelAnalyse(CancelReason::Interrupted);
  inExcludedApp_ = excluded;
  return excluded;
}

void TTrayMain::CharKey(unsigned char ch, intptr_t, uint32_t messageTime) {
  ++counters_.totalHits;
  if (run_.RepeatedBlank(ch)) {
    CancelAnalyse(CancelReason::Interrupted);
    return;
  }
  if (settings_.Showing()) {
    DebugLog(-2, "} The ChooseApps dialog was visible, cancelling..!");
    CancelAnalyse(CancelReason::Interrupted);
    return;
  }
  SetTrayState(TrayState::Typing);
  const int32_t delay = run_.DelayTo(messageTime);
  if (ch == '\b') {
    ++counters_.BackSpaces;
    run_.Backspace();
  }
  if (run_.WordCounted() && speedGraph_) {
    speedGraph_->Start();
    speedGraph_->RecordKey();
    widget_.GraphPending = true;
  }
  AnalyseChar(ch, delay);
  run_.KeyDone(ch, messageTime);
}

void TTrayMain::AnalyseChar(unsigned char ch, int32_t delay) {
  ++counters_.monitoredHits;
  run_.Analyse(ch, delay);
}

void TTrayMain::NonCharKey(uint32_t virtualKey, uint32_t, intptr_t, bool, bool) {
  ++counters_.totalHits;
  if (virtualKey >= vk::kLeft && virtualKey <= vk::kDown) ++counters_.ArrowHits;
  CancelAnalyse(CancelReason::Interrupted);
}

void TTrayMain::CancelAnalyse(CancelReason reason, std::optional<uint32_t> endedAt) {
  if (reason == CancelReason::IdleTimeout) {
    widget_.View().SetAlphaOffTimer(true);
    if (forms_.taskbar) forms_.taskbar->SetProgressValue(0);
  }
  if (enabled_) SetTrayState(TrayState::Idle);
  if (!Application().Terminated()) NotifyCheck(reason);
  if (DebugLogOn()) DebugLog(0, "Cancel analyse now " + std::to_string(static_cast<int>(reason)));
  if (!endedAt) endedAt = LateRunEnd(iconArming_.load());
  run_.Abandon(reason, endedAt);
  widget_.GraphPending = false;
  // The first pause after five minutes of typing not yet on the disk.
  if (reason == CancelReason::IdleTimeout && unsavedSince_ &&
      Clock().TickCount() - *unsavedSince_ >= checkpointMs_)
    Checkpoint();
}

void TTrayMain::CMMouseClicked(uintptr_t& wParam, intptr_t lParam) {
  TraceBlock trace([&] { return "TTrayMain.CMMouseClicked(  pid" + std::to_string(lParam); },
                   ") TTrayMain.CMMouseClicked");
  if (wParam != winmsg::kLeftButtonDown && wParam != winmsg::kRightButtonDown) return;
  MouseClicked();
  DebugLog(0, "checking pid" + std::to_string(lParam));
  TSpyedApps* apps = MonitoredApplications();
  if (!apps) return;
  TAppSettings* app = apps->find(static_cast<uint32_t>(lParam));
  if (app && !app->Hidden) {
    apps->CurrentPid = static_cast<uint32_t>(lParam);
    DebugLog(0, "TTrayMain.CMMouseClicked() App non hiddenpid" + std::to_string(lParam));
  }
}

void TTrayMain::MouseClicked() {
  DebugLog(0, "TrayMain.MouseClicked()");
  ++counters_.MouseClicks;
  if (!unsavedSince_) unsavedSince_ = Clock().TickCount();
  CancelAnalyse(CancelReason::Interrupted);
}

void TTrayMain::NotifyCheck(CancelReason reason) { notifications_.Check(reason); }

void TTrayMain::NotifyNow() { notifications_.NotifyNow(); }

}  // namespace strevo
