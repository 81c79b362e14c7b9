// Reports when another window comes in front or the window in front changes
// its caption, from the system's own events: a thread of its own holds
// out-of-context event hooks and takes their reports from its queue, so that
// nothing runs while nothing changes.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

namespace strevo {

class Win32ForegroundWatch {
 public:
  // Starts watching; Watching() says whether the system's events came.
  explicit Win32ForegroundWatch(std::function<void()> changed);
  ~Win32ForegroundWatch();
  Win32ForegroundWatch(const Win32ForegroundWatch&) = delete;
  Win32ForegroundWatch& operator=(const Win32ForegroundWatch&) = delete;

  bool Watching() const { return watching_; }
  // One report of the system's (on the watching thread).
  void Report(uint32_t event, void* window, long object, long child);

 private:
  void Run(void* started);

  std::function<void()> changed_;
  void* front_ = nullptr;  // the window in front, as last reported (watching thread only)
  bool watching_ = false;
  uint32_t threadId_ = 0;
  std::thread thread_;
};

}  // namespace strevo
