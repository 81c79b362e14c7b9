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
thread_local int current_thread_index = -1;

}  // namespace

Win32BackgroundThreads::Win32BackgroundThreads() : mainThreadId_(::GetCurrentThreadId()) {
  WindowPlacement placement;
  placement.owner = FromHwnd(HWND_MESSAGE);
  CreateWindowOf({"StrevoSynchronize"}, placement);
}

Win32BackgroundThreads::~Win32BackgroundThreads() {
  for (size_t i = 0; i < threads_.size(); ++i) Terminate(static_cast<int>(i));
  for (auto& thread : threads_) {
    // A thread that did not end in time keeps its state: it is detached and
    // its record leaked rather than destroyed under it.
    if (thread->thread.joinable()) {
      thread->thread.detach();
      thread.release();
    }
  }
}

int Win32BackgroundThreads::Start(uint32_t periodMs, std::function<uint32_t()> body, bool suspended) {
  auto thread = std::make_unique<Thread>();
  thread->periodMs = periodMs;
  thread->body = std::move(body);
  thread->running = !suspended;
  thread->finished.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const int index = static_cast<int>(threads_.size());
  Thread* record = thread.get();
  threads_.push_back(std::move(thread));
  record->thread = std::thread([this, record, index] { Run(*record, index); });
  return index;
}

void Win32BackgroundThreads::Run(Thread& t, int index) {
  current_thread_index = index;
  {
    std::unique_lock<std::mutex> lock(t.lock);
    while (true) {
      t.wake.wait(lock, [&t] { return t.terminated || t.running; });
      if (t.terminated) break;
      const auto beat = std::chrono::steady_clock::now();
      const uint32_t wakes = t.wakes.load();
      lock.unlock();
      const uint32_t periods = t.body();
      lock.lock();
      if (t.terminated || !Rest(t, lock, periods, wakes, beat)) break;
    }
  }
  ::SetEvent(t.finished.Get());
}

bool Win32BackgroundThreads::Rest(Thread& t, std::unique_lock<std::mutex>& lock, uint32_t periods,
                                  uint32_t wakesBefore, std::chrono::steady_clock::time_point beat) {
  const auto terminated = [&t] { return t.terminated; };
  const std::chrono::milliseconds period(t.periodMs);
  if (periods == kNextPeriod) return !t.wake.wait_for(lock, period, terminated);
  // Resting: announced before the wakes are looked at, which Wake reads in
  // the opposite order, so that a wake is never missed.
  t.resting = true;
  const auto woken = [&t, wakesBefore] { return t.terminated || t.wakes.load() != wakesBefore; };
  if (periods == kUntilWoken) t.wake.wait(lock, woken);
  else t.wake.wait_until(lock, beat + period * periods, woken);
  t.resting = false;
  if (t.terminated) return false;
  if (t.wakes.load() == wakesBefore) return true;
  // Woken: the next run keeps the beat, at the end of the current period.
  const auto elapsed = std::chrono::steady_clock::now() - beat;
  return !t.wake.wait_until(lock, beat + period * (elapsed / period + 1), terminated);
}

void Win32BackgroundThreads::Resume(int index) {
  if (index < 0 || index >= static_cast<int>(threads_.size())) return;
  Thread& t = *threads_[index];
  {
    std::lock_guard<std::mutex> lock(t.lock);
    t.running = true;
  }
  t.wake.notify_all();
}

void Win32BackgroundThreads::Wake(int index) {
  if (index < 0 || index >= static_cast<int>(threads_.size())) return;
  Thread& t = *threads_[index];
  t.wakes.fetch_add(1);
  if (!t.resting.load()) return;
  std::lock_guard<std::mutex> lock(t.lock);
  t.wake.notify_all();
}

bool Win32BackgroundThreads::Running(int index) {
  if (index < 0 || index >= static_cast<int>(threads_.size())) return false;
  Thread& t = *threads_[index];
  std::lock_guard<std::mutex> lock(t.lock);
  return t.running && !t.terminated;
}

void Win32BackgroundThreads::Terminate(int index) {
  if (index < 0 || index >= static_cast<int>(threads_.size())) return;
  Thread& t = *threads_[index];
  {
    std::lock_guard<std::mutex> lock(t.lock);
    t.terminated = true;
  }
  t.wake.notify_all();
  if (!t.thread.joinable()) return;
  // Terminated from inside its own synchronized callback: the thread waits
  // for this very callback, so it can only end after it; it is joined later.
  if (std::find(serving_.begin(), serving_.end(), index) != serving_.end()) return;
  if (WaitFinished(t, 5000)) t.thread.join();
}

bool Win32BackgroundThreads::WaitFinished(Thread& t, uint32_t timeoutMs) {
  const DWORD deadline = ::GetTickCount() + timeoutMs;
  HANDLE finished = t.finished.Get();
  while (true) {
    const DWORD now = ::GetTickCount();
    const DWORD left = static_cast<int32_t>(deadline - now) > 0 ? deadline - now : 0;
    const DWORD result = ::MsgWaitForMultipleObjects(1, &finished, FALSE, left, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    // Delivers the messages sent by other threads, and only those.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void Win32BackgroundThreads::Synchronize(const std::function<void()>& fn) {
  if (::GetCurrentThreadId() == mainThreadId_ || !handle_) {
    if (::GetCurrentThreadId() == mainThreadId_) fn();
    return;
  }
  ::SendMessageA(ToHwnd(handle_), kSynchronizeMessage, static_cast<WPARAM>(current_thread_index),
                 reinterpret_cast<LPARAM>(&fn));
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
    if (index >= 0 && index < static_cast<int>(threads_.size())) {
      std::lock_guard<std::mutex> lock(threads_[index]->lock);
      threads_[index]->terminated = true;
    }
  }
  serving_.pop_back();
  return 0;
}

}  // namespace strevo
