#include "win32/Win32KeyboardFocus.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "win32/Win32Handles.h"

namespace strevo {

namespace {

// The entries of UI Automation's client interfaces used here, in their
// places in the interfaces' tables (the compiler's headers lack them).
struct UiaElement : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** id) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirst(int scope, IUnknown* condition, IUnknown** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAll(int scope, IUnknown* condition, IUnknown** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int scope, IUnknown* condition, IUnknown* cache,
                                                        IUnknown** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int scope, IUnknown* condition, IUnknown* cache,
                                                      IUnknown** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUnknown* cache, IUnknown** updated) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int property, VARIANT* value) = 0;
};

struct UiaClient : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CompareElements(UiaElement* first, UiaElement* second, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY* first, SAFEARRAY* second, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRootElement(UiaElement** root) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, UiaElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT point, UiaElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(UiaElement** element) = 0;
};

// CUIAutomation and its IUIAutomation.
constexpr CLSID kAutomationClass = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID kAutomationInterface = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr int kIsPasswordProperty = 30019;  // UIA_IsPasswordPropertyId

constexpr size_t kKeptChanges = 64;  // for keys still waiting in the queue
constexpr size_t kKeptAnswers = 16;

#ifdef STREVO_HOOK_TIMING
// Durations of the last reports, in performance-counter ticks; written on
// the watching thread, read by whoever measures. Only the measuring build
// (bench/win32) keeps them.
constexpr int kTimingSlots = 256;
std::atomic<int64_t> g_reportTimings[kTimingSlots];
std::atomic<int64_t> g_reports{0};
#endif

bool OwnWindow(HWND window) {
  DWORD process = 0;
  return window && ::GetWindowThreadProcessId(window, &process) && process == ::GetCurrentProcessId();
}

// The control with the keyboard focus in the window's thread (the
// foreground thread's for none).
HWND FocusedControl(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = window ? ::GetWindowThreadProcessId(window, nullptr) : 0;
  return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// An edit control with the password style; rich edit controls know the
// style too. The style bit means other things for other classes.
bool IsPasswordEdit(HWND control) {
  char name[32] = {};
  if (!control || !::RealGetWindowClassA(control, name, sizeof name)) return false;
  const bool edit = ::_stricmp(name, "Edit") == 0 || ::_strnicmp(name, "RichEdit", 8) == 0;
  return edit && (::GetWindowLongPtrA(control, GWL_STYLE) & ES_PASSWORD) != 0;
}

bool AskAutomation(UiaClient* client) {
  if (!client) return false;
  // This program's own windows are judged by their style alone: UI
  // Automation would have to wait for the main thread, which may be waiting
  // for this answer.
  if (OwnWindow(::GetForegroundWindow())) return false;
  ComPointer<UiaElement> element;
  if (FAILED(client->GetFocusedElement(element.Receive())) || !element.Valid()) return false;
  VARIANT value;
  ::VariantInit(&value);
  const bool password = SUCCEEDED(element.Get()->GetCurrentPropertyValue(kIsPasswordProperty, &value)) &&
                        value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE;
  ::VariantClear(&value);
  return password;
}

// UI Automation on a thread of its own, in the multithreaded apartment: it
// answers about the newest change wanted, one question at a time. Changes
// are numbered by the watcher; 0 is the focus before the first change.
class AutomationThread {
 public:
  AutomationThread() = default;
  AutomationThread(const AutomationThread&) = delete;
  AutomationThread& operator=(const AutomationThread&) = delete;
  ~AutomationThread();
  void Request(uint32_t change);
  // The answer about a requested change, waiting at most limitMs for it;
  // not known when it does not come, or the change was passed over for a
  // newer one.
  FieldAnswer Answer(uint32_t change, uint32_t limitMs);

 private:
  struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    int64_t wanted = -1, working = -1, answered = -1;
    std::deque<std::pair<int64_t, bool>> answers;  // the last few
    bool stop = false, ended = false;
  };
  static void Run(const std::shared_ptr<Shared>& shared);
  static void Serve(Shared& shared, UiaClient* client);

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

AutomationThread::~AutomationThread() {
  if (!shared_) return;
  std::unique_lock<std::mutex> guard(shared_->lock);
  shared_->stop = true;
  shared_->changed.notify_all();
  // A question to a program that does not answer can take long: the thread
  // is then let go, with the state it shares.
  const bool ended = shared_->changed.wait_for(guard, std::chrono::seconds(1), [this] { return shared_->ended; });
  guard.unlock();
  if (ended) thread_.join();
  else thread_.detach();
}

void AutomationThread::Request(uint32_t change) {
  if (!shared_) {
    shared_ = std::make_shared<Shared>();
    thread_ = std::thread(Run, shared_);
  }
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (shared_->wanted < change) {
    shared_->wanted = change;
    shared_->changed.notify_all();
  }
}

FieldAnswer AutomationThread::Answer(uint32_t change, uint32_t limitMs) {
  if (!shared_) return FieldAnswer::NotPassword;
  const int64_t number = change;
  std::unique_lock<std::mutex> guard(shared_->lock);
  Shared& s = *shared_;
  s.changed.wait_for(guard, std::chrono::milliseconds(limitMs), [&] {
    return s.answered >= number || (s.wanted > number && s.working != number) || s.ended;
  });
  for (const auto& [asked, password] : s.answers)
    if (asked == number) return password ? FieldAnswer::Password : FieldAnswer::NotPassword;
  // Not answered in time (a hung application): nobody knows yet.
  return s.ended ? FieldAnswer::NotPassword : FieldAnswer::NotKnown;
}

void AutomationThread::Run(const std::shared_ptr<Shared>& shared) {
  {
    // Without UI Automation (or COM) every answer is no. The client goes
    // before COM ends.
    const ComInitialization com(COINIT_MULTITHREADED);
    ComPointer<UiaClient> client;
    if (com.Succeeded())
      ::CoCreateInstance(kAutomationClass, nullptr, CLSCTX_INPROC_SERVER, kAutomationInterface,
                         reinterpret_cast<void**>(client.Receive()));
    Serve(*shared, client.Get());
  }
  std::lock_guard<std::mutex> guard(shared->lock);
  shared->ended = true;
  shared->changed.notify_all();
}

void AutomationThread::Serve(Shared& s, UiaClient* client) {
  std::unique_lock<std::mutex> guard(s.lock);
  for (;;) {
    s.changed.wait(guard, [&] { return s.stop || s.wanted > s.answered; });
    if (s.stop) return;
    const int64_t number = s.wanted;
    s.working = number;
    guard.unlock();
    const bool password = AskAutomation(client);
    guard.lock();
    s.working = -1;
    s.answered = number;
    s.answers.emplace_back(number, password);
    if (s.answers.size() > kKeptAnswers) s.answers.pop_front();
    s.changed.notify_all();
  }
}

}  // namespace

// The changes seen on the main thread, each judged by the focused control's
// style when it came, or left to UI Automation.
class Win32KeyboardFocus::Watcher {
 public:
  Watcher();
  ~Watcher();
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  uint32_t ChangesUntil(uint32_t messageTime);
  FieldAnswer InPasswordField(uint32_t change);

 private:
  // AskedAutomation: asked, not answered in time; later keys look for the
  // answer without waiting again.
  enum class Verdict : uint8_t { No, Yes, AskAutomation, AskedAutomation };
  struct Change {
    uint32_t time;
    Verdict verdict;
  };
  static void CALLBACK Event(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD time);
  void Record(DWORD event, HWND window, DWORD time);
  Verdict Judge(HWND control, uint32_t change);

  static std::atomic<Watcher*> current_;  // the hooks' reports go to it
  uint32_t count_ = 0;          // every change since watching began
  std::deque<Change> changes_;  // the newest of them
  std::optional<Verdict> start_;  // the focus when first asked about, before any change
  AutomationThread automation_;
  WinEventHook focusHook_, foregroundHook_;
};

std::atomic<Win32KeyboardFocus::Watcher*> Win32KeyboardFocus::Watcher::current_{nullptr};

Win32KeyboardFocus::Watcher::Watcher() {
  current_ = this;
  // Out of context: the reports come through this thread's queue.
  focusHook_.Reset(::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, Event, 0, 0, WINEVENT_OUTOFCONTEXT));
  foregroundHook_.Reset(
      ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, Event, 0, 0, WINEVENT_OUTOFCONTEXT));
}

Win32KeyboardFocus::Watcher::~Watcher() {
  focusHook_.Reset();
  foregroundHook_.Reset();
  current_ = nullptr;
}

void CALLBACK Win32KeyboardFocus::Watcher::Event(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD,
                                                 DWORD time) {
  Watcher* watcher = current_;
  if (!watcher) return;
#ifdef STREVO_HOOK_TIMING
  LARGE_INTEGER start, end;
  ::QueryPerformanceCounter(&start);
  watcher->Record(event, window, time);
  ::QueryPerformanceCounter(&end);
  g_reportTimings[g_reports++ % kTimingSlots] = end.QuadPart - start.QuadPart;
#else
  watcher->Record(event, window, time);
#endif
}

void Win32KeyboardFocus::Watcher::Record(DWORD event, HWND window, DWORD time) {
  // A focus report names the control that took the focus; a foreground
  // report the window, whose thread knows its focused control.
  const HWND control = event == EVENT_OBJECT_FOCUS ? window : FocusedControl(window);
  const uint32_t change = ++count_;
  changes_.push_back({static_cast<uint32_t>(time), Judge(control ? control : window, change)});
  if (changes_.size() > kKeptChanges) changes_.pop_front();
}

Win32KeyboardFocus::Watcher::Verdict Win32KeyboardFocus::Watcher::Judge(HWND control, uint32_t change) {
  if (IsPasswordEdit(control)) return Verdict::Yes;
  if (OwnWindow(control)) return Verdict::No;
  automation_.Request(change);
  return Verdict::AskAutomation;
}

uint32_t Win32KeyboardFocus::Watcher::ChangesUntil(uint32_t messageTime) {
  uint32_t seen = count_;
  for (auto c = changes_.rbegin(); c != changes_.rend() && ChangeCameAfter(c->time, messageTime); ++c) --seen;
  return seen;
}

FieldAnswer Win32KeyboardFocus::Watcher::InPasswordField(uint32_t change) {
  Verdict* verdict;
  if (change == 0) {
    if (!start_) start_ = Judge(FocusedControl(::GetForegroundWindow()), 0);
    verdict = &*start_;
  } else {
    const uint32_t dropped = count_ - static_cast<uint32_t>(changes_.size());
    if (change <= dropped || change > count_) return FieldAnswer::NotKnown;
    verdict = &changes_[change - 1 - dropped].verdict;
  }
  if (*verdict == Verdict::AskAutomation || *verdict == Verdict::AskedAutomation) {
    const FieldAnswer answer =
        automation_.Answer(change, *verdict == Verdict::AskAutomation ? kAnswerLimitMs : 0);
    if (answer == FieldAnswer::NotKnown) {
      *verdict = Verdict::AskedAutomation;
      return answer;
    }
    *verdict = answer == FieldAnswer::Password ? Verdict::Yes : Verdict::No;
  }
  return *verdict == Verdict::Yes ? FieldAnswer::Password : FieldAnswer::NotPassword;
}

std::vector<double> Win32KeyboardFocus::ReportTimings() {
#ifndef STREVO_HOOK_TIMING
  return {};
#else
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> microseconds;
  for (int64_t i = 0; i < std::min<int64_t>(g_reports, kTimingSlots); ++i)
    microseconds.push_back(1e6 * static_cast<double>(g_reportTimings[i]) / static_cast<double>(frequency.QuadPart));
  return microseconds;
#endif
}

Win32KeyboardFocus::Win32KeyboardFocus() = default;
Win32KeyboardFocus::~Win32KeyboardFocus() = default;

uint32_t Win32KeyboardFocus::ChangesUntil(uint32_t messageTime) {
  if (!watcher_) watcher_ = std::make_unique<Watcher>();
  return watcher_->ChangesUntil(messageTime);
}

FieldAnswer Win32KeyboardFocus::InPasswordField(uint32_t changes) {
  if (!watcher_) watcher_ = std::make_unique<Watcher>();
  return watcher_->InPasswordField(changes);
}

}  // namespace strevo
