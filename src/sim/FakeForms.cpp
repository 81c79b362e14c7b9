#include "sim/FakeForms.h"

#include <algorithm>

#include "core/TrayMain.h"
#include "platform/Application.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/NotifyFrm.h"
#include "ui/ULoginForm.h"

namespace strevo {

FakeApplicationWindow::FakeApplicationWindow(FakeWindows& windows)
    : windows_(windows), handle_(windows.AddWindow("")) {}

void FakeTrayIcon::PopupMenu(int, int) {
  ++popups;
  if (beforePopup) beforePopup();
  if (menuChoices.empty()) return;
  const int choice = menuChoices.front();
  menuChoices.pop_front();
  Choose(choice);
}

bool FakeTrayIcon::Choose(int position) {
  if (position < 0 || position >= static_cast<int>(menu.size())) return false;
  const MenuItem item = menu[position];
  if (!item.enabled || !item.onClick) return false;
  item.onClick();
  return true;
}

void FakeWidgetView::Redraw(const TInfoOnTop& widget) {
  ++redraws;
  words = widget.WordsText;
  time = widget.TimeText;
  speed = widget.SpeedText;
  status = widget.StatusText;
  average = widget.AverageSpeedText;
  paused = widget.Paused;
}

// The modal loop of a scripted window: takes the person's steps in order
// until a step closes the window, the window is ended from outside (the
// tutor's DISABLE during "pump"), the program ends or the script runs out
// (which cancels, so no test ever waits).
ModalResult FakeModalView::RunModal(const std::function<bool(const ModalAction&, ModalResult& result)>& act) {
  ++shows;
  showing_ = true;
  ended_ = false;
  ModalResult result = ModalResult::Cancel;
  while (true) {
    if (ended_) {
      result = endResult_;
      break;
    }
    if (Application().Terminated() || script.empty()) {
      result = whenScriptEnds_;
      break;
    }
    const ModalAction step = script.front();
    script.pop_front();
    if (step.action == "pump") {
      if (pump) pump();
    } else if (step.action == "do") {
      if (runEvent) runEvent(step.text);
    } else if (act(step, result)) {
      break;
    }
  }
  showing_ = false;
  return result;
}

ModalResult FakeLogonView::ShowModal(TLogForm& form) {
  prompts.push_back(form.InfoText);
  return RunModal([&form](const ModalAction& step, ModalResult& result) {
    if (step.action == "type") {
      form.NameText = step.text;
      return false;
    }
    if (step.action == "dontshow") {
      form.DontShowAgainChecked = true;
      return false;
    }
    const std::string control = step.action == "go"        ? "GoBtn"
                                : step.action == "cancel"   ? "CancelBtn"
                                : step.action == "newuser"  ? "NewUserBtn"
                                : step.action == "back"     ? "BackBtn"
                                                            : step.action;
    if (!form.Click(control)) return false;
    result = form.Result;
    return true;
  });
}

void FakeSettingsView::CheckApplication(TChooseApplications& dialog, const std::string& key, bool checked) {
  for (size_t row = 0; row < dialog.CheckList.size(); ++row)
    if (dialog.CheckList[row].Key == key) dialog.AppsCheckListClickCheck(row, checked);
}

ModalResult FakeSettingsView::ShowModal(TChooseApplications& dialog) {
  return RunModal([this, &dialog](const ModalAction& step, ModalResult&) {
    if (edit) edit(dialog);
    applications.clear();
    for (const IApplicationList::Offer& row : dialog.CheckList)
      applications +=
          (applications.empty() ? "" : ",") + row.Key + ":" + row.DisplayName + ":" + (row.Monitored ? "on" : "off");
    if (step.action == "ok") dialog.OkClick();
    else if (step.action == "logoff") dialog.LogoffClick();
    else if (step.action == "center") dialog.CenterClick();
    else if (step.action == "all") dialog.ViewAllChkClick();
    else if (step.action == "running") dialog.ViewActiveChkClick();
    else if (step.action == "on" || step.action == "off") CheckApplication(dialog, step.text, step.action == "on");
    else EndModal(ModalResult::Cancel);
    return false;  // the buttons end the loop through EndModal
  });
}

ModalResult FakeNotifyView::ShowModal(TNotifyForm& form) {
  shown.push_back({form.Label1, form.PractiseCommentLbl, form.KeyInfoLbl, form.CapitalInfoLbl, form.WordInfoLbl,
                   form.KeyIndexGraph.progress, form.CapitalIndexGraph.progress, form.WordIndexGraph.progress});
  return RunModal([&form](const ModalAction& step, ModalResult&) {
    if (step.action == "begin") form.ReviewNowClick();
    else if (step.action == "skip") form.DonotReviewBtn2Click();
    else if (step.action == "customise") form.SettingsBtnClick();
    else if (step.action == "dontshow") form.DoNotShow = true;
    else if (step.action == "enter") form.FormShortCut(13);
    else if (step.action == "escape") form.FormShortCut(27);
    return false;  // the buttons end the loop through EndModal
  });
}

ModalResult FakeCloseDialog::ShowModal(CloseDialogState& state) {
  if (permanentAnswer >= 0 && state.permanentEnabled) state.permanentChecked = permanentAnswer != 0;
  shown.push_back(state);
  return RunModal([](const ModalAction& step, ModalResult& result) {
    result = step.action == "no" ? ModalResult::Cancel : ModalResult::Ok;
    return true;
  });
}

int FakeThreads::Start(uint32_t periodMs, std::function<uint32_t()> body, bool suspended) {
  threads_.push_back({periodMs, std::move(body), !suspended, true, now_ + periodMs, now_});
  return static_cast<int>(threads_.size()) - 1;
}

void FakeThreads::Resume(int thread) {
  if (thread < 0 || thread >= static_cast<int>(threads_.size())) return;
  Thread& t = threads_[thread];
  if (!t.running) {
    t.running = true;
    t.beat = now_;
    t.due = now_ + t.period;
  }
}

void FakeThreads::Wake(int thread) {
  if (thread < 0 || thread >= static_cast<int>(threads_.size())) return;
  Thread& t = threads_[thread];
  if (!t.alive || !t.running) return;
  t.due = std::min(t.due, t.beat + t.period * ((now_ - t.beat) / t.period + 1));
}

void FakeThreads::Terminate(int thread) {
  if (thread < 0 || thread >= static_cast<int>(threads_.size())) return;
  threads_[thread].alive = false;
  threads_[thread].running = false;
}

int FakeThreads::Running() const {
  int n = 0;
  for (const Thread& t : threads_) n += t.alive && t.running;
  return n;
}

void FakeThreads::Advance(uint64_t ms) {
  const uint64_t target = now_ + ms;
  while (true) {
    Thread* next = nullptr;
    for (Thread& t : threads_)
      if (t.alive && t.running && t.due <= target && (!next || t.due < next->due)) next = &t;
    if (!next) break;
    clock_.Advance(next->due - now_);
    now_ = next->due;
    next->beat = now_;
    next->due = kNever;  // a Wake during the body brings it forward
    const size_t index = static_cast<size_t>(next - threads_.data());
    const uint32_t periods = next->body();  // may start or stop threads: `next` is not used after this
    Thread& t = threads_[index];
    if (periods != kUntilWoken) t.due = std::min(t.due, t.beat + uint64_t{t.period} * periods);
  }
  clock_.Advance(target - now_);
  now_ = target;
}

void FakeThreads::Sleep(uint64_t ms) {
  clock_.Advance(ms);
  now_ += ms;
  for (Thread& t : threads_) t.due = std::max(t.due, now_);
}

bool FakeMessageLoop::HandleOne(const std::function<void(const PostedMessage&, bool& handled)>& hook) {
  while (true) {
    while (!windows_.queue.empty()) {
      const PostedMessage message = windows_.queue.front();
      windows_.queue.pop_front();
      if (message.window != application_) continue;  // other windows have no loop here
      bool done = false;
      hook(message, done);
      ++handled;
      return true;
    }
    if (!onIdle || !onIdle()) return false;
  }
}

void FakeMessageLoop::Pump(const std::function<void(const PostedMessage&, bool& handled)>& hook) {
  while (!windows_.queue.empty()) {
    const PostedMessage message = windows_.queue.front();
    windows_.queue.pop_front();
    if (message.window != application_) continue;
    bool done = false;
    hook(message, done);
    ++handled;
  }
}

FakeForms::FakeForms(FakePlatform& platform)
    : application(platform.windows), threads(platform.clock), loop(platform.windows, application.Handle()) {
  Application().onTitle = [this](const std::string& title) { application.SetTitle(title); };
  auto pumpTray = [this] {
    if (TrayMain) loop.Pump([](const PostedMessage& m, bool& h) { TrayMain->AppMessage(m, h); });
  };
  logon.pump = pumpTray;
  settings.pump = pumpTray;
  notify.pump = pumpTray;
  closeDialog.pump = pumpTray;
}

Forms FakeForms::Get() {
  Forms forms;
  forms.application = &application;
  forms.trayIcon = &trayIcon;
  forms.widget = &widget;
  forms.logon = &logon;
  forms.settings = &settings;
  forms.notify = &notify;
  forms.closeDialog = &closeDialog;
  forms.taskbar = &taskbar;
  forms.threads = &threads;
  forms.loop = &loop;
  return forms;
}

}  // namespace strevo
