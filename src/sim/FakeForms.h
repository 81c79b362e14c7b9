// The windows of the user interface as the tests and the simulator see
// them: state that can be inspected, modal windows that answer from a
// script, threads that run on the virtual clock, and a message loop over the
// fake window table.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "ui/Nervgrph.h"
#include "ui/Forms.h"

namespace strevo {

class FakeApplicationWindow : public IApplicationWindow {
 public:
  explicit FakeApplicationWindow(FakeWindows& windows);
  WindowHandle Handle() override { return handle_; }
  void MakeTopmost() override { ++topmostCalls; }
  void HideToolWindow() override { toolWindow = true; }
  void Minimize() override { minimized = true; }
  void Restore() override { minimized = false; }
  WindowHandle FindPreviousWindow() override { return previousWindow; }
  bool WorkArea(Rect& area) override {
    area = workArea;
    return workAreaKnown;
  }
  bool CursorPos(int& x, int& y) override {
    x = cursorX;
    y = cursorY;
    return true;
  }
  void SetTitle(const std::string& title) { windows_.SetCaption(handle_, title); }

  int topmostCalls = 0;
  bool toolWindow = false, minimized = false;
  WindowHandle previousWindow = 0;
  Rect workArea{0, 0, 1280, 800};
  bool workAreaKnown = true;
  int cursorX = 1200, cursorY = 780;

 private:
  FakeWindows& windows_;
  WindowHandle handle_;
};

class FakeTrayIcon : public ITrayIcon {
 public:
  void SetActive(bool value) override { active = value; }
  void SetIcon(int index) override {
    icon = index;
    if (whileTold) whileTold();
  }
  void SetToolTip(const std::string& text) override { toolTip = text.substr(0, 62); }
  void ShowBalloon(const std::string& text, const std::string& title, int timeoutMs) override {
    balloons.push_back({text.substr(0, 255), title.substr(0, 63), timeoutMs});
  }
  void SetMenu(const std::vector<MenuItem>& items) override { menu = items; }
  void EnableItem(int position, bool enabled) override {
    if (position >= 0 && position < static_cast<int>(menu.size())) menu[position].enabled = enabled;
  }
  void CheckItem(int position, bool checked) override {
    if (position >= 0 && position < static_cast<int>(menu.size())) menu[position].checked = checked;
  }
  bool ItemChecked(int position) override {
    return position >= 0 && position < static_cast<int>(menu.size()) && menu[position].checked;
  }
  void PopupMenu(int x, int y) override;
  // Chooses a menu entry as the person would (only when it is enabled).
  bool Choose(int position);

  struct Balloon {
    std::string text, title;
    int timeoutMs;
  };
  // Runs while the icon is changed: telling the notification area is a
  // send to another process, during which the system lets in the work
  // other threads wait to have done on this one.
  std::function<void()> whileTold;
  bool active = false;
  int icon = 0;
  std::string toolTip;
  std::vector<Balloon> balloons;
  std::vector<MenuItem> menu;
  int popups = 0;
  std::deque<int> menuChoices;  // entries chosen when the menu opens (-1: none)
};

class FakeWidgetView : public IInfoOnTopView {
 public:
  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  bool Visible() override { return visible; }
  void Redraw(const TInfoOnTop& widget) override;
  void Repaint() override { ++repaints; }
  Rect Bounds() override { return {left, top, left + width, top + height}; }
  void SetPosition(int x, int y) override {
    left = x;
    top = y;
  }
  void SetAlphaTimer(bool enabled) override { alphaTimer = enabled; }
  void SetAlphaOffTimer(bool enabled) override { alphaOffTimer = enabled; }
  void SetOnOffEnabled(bool enabled) override { onOffEnabled = enabled; }
  void SetupButtonOrigin(int& x, int& y) override {
    x = left + 208;
    y = top + 76;
  }

  bool visible = false;
  int left = 0, top = 0, width = 259, height = 104;
  bool alphaTimer = false, alphaOffTimer = false, onOffEnabled = true;
  int redraws = 0, repaints = 0;
  std::string words, time, speed, status, average;
  bool paused = false;
};

// One step of a person's work in a modal window, or an event while it is up.
struct ModalAction {
  std::string action;  // logon: "type", "go", "cancel", "newuser", "back", "dontshow";
                       // settings: "ok", "logoff", "center", "cancel", "all", "running",
                       // "on"/"off" (text: an application's key); close: "yes", "no";
                       // any window: "pump" (handle the waiting messages), "do" (text is
                       // an event line of the script, run while the window is up)
  std::string text;
};

// What the scripted modal windows share: they take their steps in order
// until a step closes them; the messages that arrive meanwhile are handled
// as the real modal loop would.
class FakeModalView {
 public:
  std::deque<ModalAction> script;
  std::function<void()> pump;                          // processes waiting messages
  std::function<void(const std::string&)> runEvent;    // runs an event line of the script
  int shows = 0;

 protected:
  // The result when the script runs out (so that no test ever waits).
  explicit FakeModalView(ModalResult whenScriptEnds = ModalResult::Cancel) : whenScriptEnds_(whenScriptEnds) {}
  ModalResult RunModal(const std::function<bool(const ModalAction&, ModalResult& result)>& act);
  bool Showing() const { return showing_; }
  void End(ModalResult result) {
    ended_ = true;
    endResult_ = result;
  }

 private:
  bool showing_ = false, ended_ = false;
  ModalResult endResult_ = ModalResult::None;
  ModalResult whenScriptEnds_;
};

class FakeLogonView : public ILogonView, public FakeModalView {
 public:
  ModalResult ShowModal(TLogForm& form) override;
  bool Showing() override { return FakeModalView::Showing(); }
  void EndModal(ModalResult result) override { End(result); }
  std::vector<std::string> prompts;  // the InfoText of each showing
};

class FakeSettingsView : public ISettingsView, public FakeModalView {
 public:
  ModalResult ShowModal(TChooseApplications& dialog) override;
  bool Showing() override { return FakeModalView::Showing(); }
  void EndModal(ModalResult result) override { End(result); }
  void Focus() override { ++focused; }
  // Applied to the dialog's controls before its buttons act.
  std::function<void(TChooseApplications&)> edit;
  int focused = 0;
  // The applications page's rows as the last step found them:
  // "KEY:Display name:on|off", separated by commas.
  std::string applications;

 private:
  // The row of key checked or unchecked, as a click on its check box.
  static void CheckApplication(TChooseApplications& dialog, const std::string& key, bool checked);
};

// The training notification window: steps "begin", "skip", "customise",
// "dontshow", "enter", "escape" (cancel when the script runs out, as the
// close box does).
class FakeNotifyView : public INotifyView, public FakeModalView {
 public:
  ModalResult ShowModal(TNotifyForm& form) override;
  bool Showing() override { return FakeModalView::Showing(); }
  void Hide() override { ++hides; }
  void EndModal(ModalResult result) override { End(result); }
  int hides = 0;
  // The texts and gauges of each showing.
  struct Shown {
    std::string label1, comment, keyInfo, capitalInfo, wordInfo;
    int keyIndex = 0, capitalIndex = 0, wordIndex = 0;
  };
  std::vector<Shown> shown;
};

// The close dialog: "yes" unless the script says otherwise.
class FakeCloseDialog : public ICloseDialog, public FakeModalView {
 public:
  FakeCloseDialog() : FakeModalView(ModalResult::Ok) {}
  ModalResult ShowModal(CloseDialogState& state) override;
  int permanentAnswer = -1;  // -1 keeps the check box as shown, else 0/1
  std::vector<CloseDialogState> shown;
};

// Counts what the graph draws (text 6 pixels a character, a font 11 high).
class CountingGraphCanvas : public IGraphCanvas {
 public:
  void FillRect(const Rect&, uint32_t) override { ++calls; }
  void Line(int, int, int, int, uint32_t, bool) override { ++calls; }
  void Frame(const Rect&, uint32_t, uint32_t) override { ++calls; }
  void SetFont(const std::string&, int, uint32_t) override {}
  int FontHeight() override { return -11; }
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) override { return 13; }
  void Text(int, int, const std::string&) override { ++calls; }
  int64_t calls = 0;
};

class FakeTaskbarWindow : public ITaskbarWindow {
 public:
  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  bool Visible() override { return visible; }
  void SetProgressValue(int value) override { progress = value; }
  void SetOverlayIcon(int index) override { overlay = index; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetGraph(TNervoGraph* shown) override { graph = shown; }
  IGraphCanvas* GraphCanvas() override { return &canvas; }
  bool ToolbarActive(std::string& error) override {
    error = toolbarError;
    return toolbarError.empty();
  }
  bool visible = false;
  int progress = 0, overlay = 0;
  std::string caption;
  TNervoGraph* graph = nullptr;
  CountingGraphCanvas canvas;
  std::string toolbarError;  // not empty: the toolbar cannot be registered
};

// Threads on the virtual clock: each runs its body on the beat of its
// period as the clock is advanced through AdvanceTo/Advance, resting as long
// as the body answers or until woken.
class FakeThreads : public IBackgroundThreads {
 public:
  explicit FakeThreads(FakeClock& clock) : clock_(clock) {}
  int Start(uint32_t periodMs, std::function<uint32_t()> body, bool suspended) override;
  void Resume(int thread) override;
  void Wake(int thread) override;
  void Terminate(int thread) override;
  void Synchronize(const std::function<void()>& fn) override {
    ++crossings;
    fn();
  }
  // Moves the clock forward by ms, running every body that falls due, in
  // time order.
  void Advance(uint64_t ms);
  // The machine sleeps for ms: the clock moves on and no thread runs; on
  // waking, each thread whose wait ran out runs at once, and once.
  void Sleep(uint64_t ms);
  int Running() const;
  int crossings = 0;  // callbacks handed to the main thread

 private:
  static constexpr uint64_t kNever = UINT64_MAX;
  struct Thread {
    uint32_t period;
    std::function<uint32_t()> body;
    bool running;
    bool alive;
    uint64_t due;   // virtual ms since the fake's start; kNever while resting until woken
    uint64_t beat;  // its last run, or its start: runs fall on whole periods after it
  };
  FakeClock& clock_;
  std::vector<Thread> threads_;
  uint64_t now_ = 0;
};

// The message loop over the fake window table: takes the messages posted to
// the application window; when none is waiting, asks onIdle for more work
// (the simulator's next script step) and ends when it has none.
class FakeMessageLoop : public IMessageLoop {
 public:
  FakeMessageLoop(FakeWindows& windows, WindowHandle application) : windows_(windows), application_(application) {}
  bool HandleOne(const std::function<void(const PostedMessage&, bool& handled)>& hook) override;
  // Runs every waiting message through the hook (for modal loops).
  void Pump(const std::function<void(const PostedMessage&, bool& handled)>& hook);
  std::function<bool()> onIdle;
  int handled = 0;

 private:
  FakeWindows& windows_;
  WindowHandle application_;
};

// All of it, wired together for one program run.
class FakeForms {
 public:
  explicit FakeForms(FakePlatform& platform);
  Forms Get();
  // Pumps the waiting messages through the tray core (modal windows do so).
  void PumpThrough(const std::function<void(const PostedMessage&, bool&)>& hook) { loop.Pump(hook); }

  FakeApplicationWindow application;
  FakeTrayIcon trayIcon;
  FakeWidgetView widget;
  FakeLogonView logon;
  FakeSettingsView settings;
  FakeNotifyView notify;
  FakeCloseDialog closeDialog;
  FakeTaskbarWindow taskbar;
  FakeThreads threads;
  FakeMessageLoop loop;
};

}  // namespace strevo
