// The application object: its title (the caption of the hidden application
// window that other processes find), the terminate request that ends the one
// message loop, and message processing during long work.
#pragma once

#include <functional>
#include <string>

namespace strevo {

class TApplication {
 public:
  // Requests the end of the application: takes effect when the message loop
  // next takes a message.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Dispatches waiting messages (progress windows, long index rebuilds).
  void ProcessMessages();
  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  std::string ExeName() const;

  // Bindings the entry point installs (Win32: post the quit request, pump the
  // queue, set the hidden window's caption). Natively they stay empty.
  std::function<void()> onTerminate;
  std::function<void()> onProcessMessages;
  std::function<void(const std::string&)> onTitle;

  // Tests start from a fresh state.
  void Reset() { *this = TApplication(); }

 private:
  bool terminated_ = false;
  std::string title_;
};

TApplication& Application();

}  // namespace strevo
