// Reports when another window comes in front or the window in front changes
// its caption, from the system's own events, so that nothing runs while
// nothing changes. The event hooks are out of context: their reports come
// through the queue of the thread that made the watch (the main thread,
// whose message loop delivers them).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace strevo {

class Win32ForegroundWatch {
 public:
  // Starts watching; Watching() says whether the system took the hooks.
  explicit Win32ForegroundWatch(std::function<void()> changed);
  ~Win32ForegroundWatch();
  Win32ForegroundWatch(const Win32ForegroundWatch&) = delete;
  Win32ForegroundWatch& operator=(const Win32ForegroundWatch&) = delete;

  bool Watching() const { return watching_; }
  // One report of the system's.
  void Report(uint32_t event, void* window, long object, long child);

 private:
  std::function<void()> changed_;
  void* front_ = nullptr;  // the window in front, as last reported
  struct Hooks;
  std::unique_ptr<Hooks> hooks_;
  bool watching_ = false;
};

}  // namespace strevo
