// The program's two small threads (icon revert, widget refresh): each calls
// its body, sleeps its period (or rests as the body answers, woken by Wake,
// at no cost) and starts again until terminated. Their
// callbacks reach the main thread through Synchronize, a message sent to a
// hidden window of the main thread, which the system delivers whenever the
// main thread takes messages, also inside modal loops and menus.
#pragma once

#include <atomic>
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
  struct Thread {
    uint32_t periodMs = 0;
    std::function<uint32_t()> body;
    std::mutex lock;
    std::condition_variable wake;
    bool running = false, terminated = false;
    // Wake counts; the thread rests only when none came since its body
    // began, and is notified only while it rests.
    std::atomic<uint32_t> wakes{0};
    std::atomic<bool> resting{false};
    KernelObject finished;  // an event set when the thread function ends
    std::thread thread;
  };
  void Run(Thread& thread, int index);
  // After a body that answered `periods`; false when terminated meanwhile.
  static bool Rest(Thread& thread, std::unique_lock<std::mutex>& lock, uint32_t periods, uint32_t wakesBefore,
                   std::chrono::steady_clock::time_point beat);
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Waits for the thread to end while the main thread keeps answering sent
  // messages (the thread may be waiting in Synchronize).
  bool WaitFinished(Thread& thread, uint32_t timeoutMs);

  std::vector<std::unique_ptr<Thread>> threads_;
  uint32_t mainThreadId_ = 0;
  // Threads whose synchronized callback runs on the main thread right now.
  std::vector<int> serving_;
};

}  // namespace strevo
