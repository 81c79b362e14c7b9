// The one message loop of the main thread, and the modal loops of the
// program's dialogs, which take their messages through the same hook so that
// the tray core sees every message (the tutor's DISABLE can close a modal
// window from inside its own loop).
#pragma once

#include <functional>

#include "ui/Forms.h"

namespace strevo {

class Win32MessageLoop : public IMessageLoop {
 public:
  using Hook = std::function<void(const PostedMessage&, bool& handled)>;
  // Looks at a message after the hook and before dispatching; true when it
  // consumed the message (a dialog's keys).
  using Preview = std::function<bool(const PostedMessage&)>;

  // GetMessage, hook, then TranslateMessage/DispatchMessage unless handled.
  // Remembers the hook for the modal loops. False at the quit request.
  bool HandleOne(const Hook& hook) override;

  // The hook of the main loop; before the main loop has taken its first
  // message, fallbackHook (the tray core is already initializing then).
  Hook CurrentHook() const;
  Hook fallbackHook;

  // Handles the waiting messages through the current hook and returns when
  // the queue is empty; a quit request is put back for the loop that ends.
  void ProcessMessages();

  // A modal loop: takes messages until finished() holds. Returns false when
  // the application ended meanwhile (terminated or quit requested); the quit
  // request stays queued for the main loop.
  bool RunModal(const std::function<bool()>& finished, const Preview& preview);

  // Messages taken by all loops.
  int handled = 0;

 private:
  // One message: false when it was the quit request, which is put back for
  // the enclosing loop when repostQuit is set.
  bool TakeOne(bool wait, const Hook& hook, const Preview& preview, bool repostQuit);
  Hook hook_;
};

}  // namespace strevo
