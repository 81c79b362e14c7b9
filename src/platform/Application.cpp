#include "platform/Application.h"

#include "platform/Platform.h"

namespace strevo {

TApplication& Application() {
  static TApplication application;
  return application;
}

void TApplication::Terminate() {
  terminated_ = true;
  if (onTerminate) onTerminate();
}

void TApplication::ProcessMessages() {
  if (onProcessMessages) onProcessMessages();
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (onTitle) onTitle(title);
}

std::string TApplication::ExeName() const { return System().ExecutablePath(); }

}  // namespace strevo
