// The program's small periodic threads (icon revert, widget refresh). Each
// calls its body on the beat of its period, or rests as the body answers
// until woken, until terminated. They share one system thread: their bodies
// are short, and every thread of a process costs memory of its own. Their
// callbacks reach the main thread through Synchronize, a message sent to a
// hidden window of the main thread, which the system delivers whenever the
// main thread takes messages, also inside modal loops and menus.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ui/Forms.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32BackgroundThreads : public IBackgroundThreads, private Win32Window {
 public:
  // Creates the hidden window on the calling thread, which becomes the main
  // thread of Synchronize.
  Win32BackgroundThreads();
  // Terminates the threads still running.
  ~Win32BackgroundThreads() override;

  int Start(uint32_t periodMs, std::function<uint32_t()> body, bool suspended) override;
  void Resume(int thread) override;
  void Wake(int thread) override;
  void Terminate(int thread) override;
  void Synchronize(const std::function<void()>& fn) override;

  bool Running(int thread);

 private:
  using Time = std::chrono::steady_clock::time_point;
  static constexpr Time kNever = Time::max();
  struct Thread {
    std::chrono::milliseconds period{0};
    std::function<uint32_t()> body;
    bool running = false, terminated = false;
    Time beat{};       // its last run, or its start: runs fall on whole periods after it
    Time due = kNever;  // kNever while suspended, running its body, or resting until woken
  };
  void Run();
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Waits until no body of that thread runs, while the main thread keeps
  // answering sent messages (the body may be waiting in Synchronize).
  bool WaitIdle(int thread, uint32_t timeoutMs);

  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Thread>> threads_;
  int current_ = -1;  // the thread whose body runs now
  bool stopping_ = false;
  KernelObject bodyDone_;  // set after every body
  std::thread worker_;
  uint32_t mainThreadId_ = 0;
  // Threads whose synchronized callback runs on the main thread right now.
  std::vector<int> serving_;
};

}  // namespace strevo
