// The windows the tray core talks to, as the core sees them: what each one
// shows and what it answers. Each is implemented by the Win32 adapter (real
// windows) and by the fake (answers from a script, for tests and the
// simulator).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace strevo {

// The results a modal window reports: the system's OK and cancel, and the
// program's own.
enum class ModalResult : int {
  None = 0,
  Ok = 1,
  Cancel = 2,
  ChangeUser = 3,     // the settings dialog: log another user on
  GoPressed = 3,      // the logon window's Go, validated before it closes
  BeginTraining = 5,  // the notification window
  Customise = 7,      // the notification window
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The application's hidden window, captioned with the application title.
class IApplicationWindow {
 public:
  virtual ~IApplicationWindow() = default;
  virtual WindowHandle Handle() = 0;
  // Topmost without moving, sizing, redrawing or activating.
  virtual void MakeTopmost() = 0;
  // Hidden, with the tool-window style (no taskbar button).
  virtual void HideToolWindow() = 0;
  // Gets a taskbar button and is minimised (the widget's minimise button).
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
  // The window reached by walking the window list downwards from the
  // application window: the first visible one with a caption, the window
  // directly after the application window passed over; 0 when none.
  virtual WindowHandle FindPreviousWindow() = 0;
  virtual bool WorkArea(Rect& area) = 0;
  virtual bool CursorPos(int& x, int& y) = 0;

  // The application lost the activation to another one.
  std::function<void()> onDeactivate;
  // The machine woke from sleep, or the session was unlocked: the system
  // may have removed the hooks meanwhile.
  std::function<void(const std::string& what)> onWake;
};

// One entry of the tray pop-up menu.
struct MenuItem {
  std::string caption;   // "-" is a separator
  std::string bitmap;    // resource name, empty for none
  bool enabled = true;
  bool checked = false;
  std::function<void()> onClick;
};

// The notification-area icon with its pop-up menu. The callback message is
// 1025 and the icon re-adds itself when the shell restarts.
class ITrayIcon {
 public:
  virtual ~ITrayIcon() = default;
  virtual void SetActive(bool active) = 0;   // adds or deletes the icon
  virtual void SetIcon(int index) = 0;       // 1, 2 or 3
  virtual void SetToolTip(const std::string& text) = 0;  // cut to 62 characters
  virtual void ShowBalloon(const std::string& text, const std::string& title, int timeoutMs) = 0;
  // The menu; entries are addressed by position.
  virtual void SetMenu(const std::vector<MenuItem>& items) = 0;
  virtual void EnableItem(int position, bool enabled) = 0;
  virtual void CheckItem(int position, bool checked) = 0;
  virtual bool ItemChecked(int position) = 0;
  // Opens the menu at a screen position (brings the application window to
  // the front first, so the menu closes when clicked elsewhere).
  virtual void PopupMenu(int x, int y) = 0;

  std::function<void()> onClick;          // left button released
  std::function<void()> onDblClick;
  std::function<void()> onBalloonClick;
  std::function<void()> onRightClick;     // default: menu at the cursor
  std::function<void()> beforePopup;
};

// The meter widget's window: TInfoOnTop keeps the figures and decides when
// to redraw; the view shows them.
class TInfoOnTop;
class IInfoOnTopView {
 public:
  virtual ~IInfoOnTopView() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() = 0;
  // Draws the meter from the widget's fields now.
  virtual void Redraw(const TInfoOnTop& widget) = 0;
  // Asks the system to repaint the window.
  virtual void Repaint() = 0;
  virtual Rect Bounds() = 0;  // left, top, right, bottom in screen pixels
  virtual void SetPosition(int left, int top) = 0;
  virtual void SetAlphaTimer(bool enabled) = 0;
  virtual void SetAlphaOffTimer(bool enabled) = 0;
  virtual void SetOnOffEnabled(bool enabled) = 0;
  // Screen position of the settings button's top-left corner.
  virtual void SetupButtonOrigin(int& x, int& y) = 0;
};

// The logon window (modal): the logic lives in TLogForm; the view shows it.
class TLogForm;
class ILogonView {
 public:
  virtual ~ILogonView() = default;
  // Shows the window modally until the form's result is set; the view calls
  // the form's handlers for the user's actions.
  virtual ModalResult ShowModal(TLogForm& form) = 0;
  virtual bool Showing() = 0;
  // Closes a showing window with a result (the tutor's DISABLE).
  virtual void EndModal(ModalResult result) = 0;
};

// The settings dialog (modal).
class TChooseApplications;
class ISettingsView {
 public:
  virtual ~ISettingsView() = default;
  virtual ModalResult ShowModal(TChooseApplications& dialog) = 0;
  virtual bool Showing() = 0;
  virtual void EndModal(ModalResult result) = 0;
  virtual void Focus() = 0;
};

// The training notification window (modal).
class TNotifyForm;
class INotifyView {
 public:
  virtual ~INotifyView() = default;
  virtual ModalResult ShowModal(TNotifyForm& form) = 0;
  virtual bool Showing() = 0;
  virtual void Hide() = 0;
  virtual void EndModal(ModalResult result) = 0;
};

// The close dialog (modal): a question, an optional autostart check box.
struct CloseDialogState {
  std::string question;
  bool permanentEnabled = false;
  bool permanentChecked = false;
};
class ICloseDialog {
 public:
  virtual ~ICloseDialog() = default;
  // Returns OK (yes) or cancel (no); the check box state comes back in state.
  virtual ModalResult ShowModal(CloseDialogState& state) = 0;
};

// The taskbar window: hidden normally, carries the typing history; its
// taskbar button shows the progress value and the overlay icon.
// The taskbar window's thumbnail toolbar buttons, by id.
enum ThumbButton {
  kThumbTraining = 0,
  kThumbHistory = 1,    // "Show Typing History", hidden
  kThumbStatistics = 2,
  kThumbSettings = 3,
  kThumbUnused = 4,     // hidden and disabled
  kThumbDisable = 5,
  kThumbEnable = 6,
};

class IGraphCanvas;
class TNervoGraph;
class ITaskbarWindow {
 public:
  virtual ~ITaskbarWindow() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() = 0;
  virtual void SetProgressValue(int value) = 0;  // 0..120
  virtual void SetOverlayIcon(int index) = 0;    // 0 for none, else the icon
  virtual void SetCaption(const std::string& caption) = 0;
  // The typing-history graph the window shows and repaints (none: the
  // window shows no graph), and the canvas the graph draws on.
  virtual void SetGraph(TNervoGraph* graph) = 0;
  virtual IGraphCanvas* GraphCanvas() = 0;
  // The thumbnail toolbar could be registered; error says why not.
  virtual bool ToolbarActive(std::string& error) = 0;
  // A thumbnail toolbar button was clicked: its id.
  std::function<void(int)> onThumbButton;
};

// Runs callbacks on the main thread for the program's two small threads.
// What a thread's body answers: in how many periods it has work again.
inline constexpr uint32_t kNextPeriod = 1;
inline constexpr uint32_t kUntilWoken = 0;  // only when woken

class IBackgroundThreads {
 public:
  virtual ~IBackgroundThreads() = default;
  // A thread that calls body every periodMs or so (body itself runs on the
  // thread) until terminated; created suspended when asked. The body's
  // answer lets the thread rest for that many periods, or until woken:
  // resting costs nothing, and the thread keeps its period's beat.
  virtual int Start(uint32_t periodMs, std::function<uint32_t()> body, bool suspended) = 0;
  virtual void Resume(int thread) = 0;
  // From any thread: a resting thread runs at the end of the period it is
  // in. Cheap for a thread that is not resting.
  virtual void Wake(int thread) = 0;
  virtual void Terminate(int thread) = 0;
  // From a thread: runs fn on the main thread and waits until it has run.
  // On the main thread: runs it at once.
  virtual void Synchronize(const std::function<void()>& fn) = 0;
};

// The one message loop: takes a message (waiting when the queue is empty),
// hands it to the hook, and dispatches it unless the hook handled it.
class IMessageLoop {
 public:
  virtual ~IMessageLoop() = default;
  // False when no message could be taken (the fake's queue is empty).
  virtual bool HandleOne(const std::function<void(const PostedMessage&, bool& handled)>& hook) = 0;
};

// Everything of the user interface that the program start hands to the tray
// core.
struct Forms {
  IApplicationWindow* application = nullptr;
  ITrayIcon* trayIcon = nullptr;
  IInfoOnTopView* widget = nullptr;
  ILogonView* logon = nullptr;
  ISettingsView* settings = nullptr;
  INotifyView* notify = nullptr;
  ICloseDialog* closeDialog = nullptr;
  ITaskbarWindow* taskbar = nullptr;
  IBackgroundThreads* threads = nullptr;
  IMessageLoop* loop = nullptr;
};

}  // namespace strevo
