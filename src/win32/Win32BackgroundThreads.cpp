#include "win32/Win32BackgroundThreads.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <string>

#include "storage/DebugLog.h"

namespace strevo {

namespace {

constexpr UINT kSynchronizeMessage = WM_APP + 1;

}  // namespace

Win32BackgroundThreads::Win32BackgroundThreads() : mainThreadId_(::GetCurrentThreadId()) {
  WindowPlacement placement;
  placement.owner = FromHwnd(HWND_MESSAGE);
  CreateWindowOf({"StrevoSynchronize"}, placement);
  bodyDone_.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
}

Win32BackgroundThreads::~Win32BackgroundThreads() {
  bool idle = true;
  for (size_t i = 0; i < threads_.size(); ++i) {
    Terminate(static_cast<int>(i));
    idle = idle && WaitIdle(static_cast<int>(i), 0);
  }
  if (!worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  // A body that did not end in time keeps its state: the worker is
  // detached and this object's records leaked rather than destroyed under it.
  if (idle) {
    worker_.join();
  } else {
    worker_.detach();
    for (auto& thread : threads_) thread.release();
  }
}

int Win32BackgroundThreads::Start(uint32_t periodMs, std::function<uint32_t()> body, bool suspended) {
  auto thread = std::make_unique<Thread>();
  thread->period = std::chrono::milliseconds(periodMs);
  thread->body = std::move(body);
  thread->running = !suspended;
  thread->beat = std::chrono::steady_clock::now();
  if (!suspended) thread->due = thread->beat + thread->period;
  int index;
  {
    std::lock_guard<std::mutex> lock(lock_);
    index = static_cast<int>(threads_.size());
    threads_.push_back(std::move(thread));
    if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
  return index;
}

void Win32BackgroundThreads::Run() {
  std::unique_lock<std::mutex> lock(lock_);
  while (!stopping_) {
    Thread* next = nullptr;
    int index = -1;
    for (size_t i = 0; i < threads_.size(); ++i) {
      Thread& t = *threads_[i];
      if (t.running && !t.terminated && t.due != kNever && (!next || t.due < next->due)) {
        next = &t;
        index = static_cast<int>(i);
      }
    }
    if (!next) {
      changed_.wait(lock);
      continue;
    }
    const Time now = std::chrono::steady_clock::now();
    if (next->due > now) {
      changed_.wait_until(lock, next->due);
      continue;
    }
    next->beat = now;
    next->due = kNever;  // a Wake during the body brings it forward
    current_ = index;
    lock.unlock();
    const uint32_t periods = next->body();
    lock.lock();
    current_ = -1;
    ::SetEvent(bodyDone_.Get());
    if (next->terminated || !next->running) continue;
    if (periods != kUntilWoken) next->due = std::min(next->due, next->beat + next->period * periods);
  }
}

void Win32BackgroundThreads::Resume(int index) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (index < 0 || index >= static_cast<int>(threads_.size())) return;
    Thread& t = *threads_[index];
    if (t.running || t.terminated) return;
    t.running = true;
    t.beat = std::chrono::steady_clock::now();
    t.due = t.beat + t.period;
  }
  changed_.notify_all();
}

void Win32BackgroundThreads::Wake(int index) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (index < 0 || index >= static_cast<int>(threads_.size())) return;
    Thread& t = *threads_[index];
    if (!t.running || t.terminated) return;
    // At the end of the period the thread is in.
    const auto elapsed = std::chrono::steady_clock::now() - t.beat;
    const Time next = t.beat + t.period * (elapsed / t.period + 1);
    if (next >= t.due) return;
    t.due = next;
  }
  changed_.notify_all();
}

bool Win32BackgroundThreads::Running(int index) {
  std::lock_guard<std::mutex> lock(lock_);
  if (index < 0 || index >= static_cast<int>(threads_.size())) return false;
  return threads_[index]->running && !threads_[index]->terminated;
}

void Win32BackgroundThreads::Terminate(int index) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (index < 0 || index >= static_cast<int>(threads_.size())) return;
    Thread& t = *threads_[index];
    t.terminated = true;
    t.due = kNever;
  }
  changed_.notify_all();
  // Terminated from inside its own synchronized callback: the body waits
  // for this very callback, so it can only end after it.
  if (std::find(serving_.begin(), serving_.end(), index) != serving_.end()) return;
  WaitIdle(index, 5000);
}

bool Win32BackgroundThreads::WaitIdle(int index, uint32_t timeoutMs) {
  const DWORD deadline = ::GetTickCount() + timeoutMs;
  HANDLE done = bodyDone_.Get();
  while (true) {
    {
      std::lock_guard<std::mutex> lock(lock_);
      if (current_ != index) return true;
    }
    const DWORD now = ::GetTickCount();
    if (static_cast<int32_t>(deadline - now) <= 0) return false;
    const DWORD result = ::MsgWaitForMultipleObjects(1, &done, FALSE, deadline - now, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0 + 1) {
      // Delivers the messages sent by other threads, and only those.
      MSG msg;
      ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (result != WAIT_OBJECT_0) {
      return false;
    }
  }
}

void Win32BackgroundThreads::Synchronize(const std::function<void()>& fn) {
  if (::GetCurrentThreadId() == mainThreadId_ || !handle_) {
    if (::GetCurrentThreadId() == mainThreadId_) fn();
    return;
  }
  int index;
  {
    std::lock_guard<std::mutex> lock(lock_);
    index = current_;
  }
  ::SendMessageA(ToHwnd(handle_), kSynchronizeMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&fn));
}

intptr_t Win32BackgroundThreads::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message != kSynchronizeMessage) return DefaultProc(message, wParam, lParam);
  // The callback may open a modal window (the notification window): it runs
  // as an ordinary message of this thread, not inside the other thread's
  // send, which the system lets no window come to the front from. The
  // asking thread is released first, with a copy of its callback.
  const std::function<void()> fn = *reinterpret_cast<const std::function<void()>*>(lParam);
  ::ReplyMessage(0);
  const int index = static_cast<int>(wParam);
  serving_.push_back(index);
  try {
    fn();
  } catch (const std::exception& error) {
    // An error of the callback ends the thread that asked for it.
    DebugLog(0, std::string("Synchronize: ") + error.what());
    std::lock_guard<std::mutex> lock(lock_);
    if (index >= 0 && index < static_cast<int>(threads_.size())) {
      threads_[index]->terminated = true;
      threads_[index]->due = kNever;
    }
  }
  serving_.pop_back();
  return 0;
}

}  // namespace strevo
