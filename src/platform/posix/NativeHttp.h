// HTTP for the native builds, with the same rules as the Windows build: 5 s
// receive time-out, 30 s for the whole request, HTTP/1.0, form content type
// for POST, body kept only on status 200 and only whole, never an
// interactive prompt. Over libcurl; the static 32-bit test build has no
// libcurl and no HTTP client: there every address fails to parse and every
// request answers status 0.
#pragma once

#include "platform/Platform.h"

namespace strevo {

class NativeHttp : public IHttp {
 public:
  NativeHttp();
  bool CrackUrl(const std::string& url, TUrlInfo& info) override;
  int Send(const TUrlInfo& info, const std::string& postData, bool reload, size_t bodyLimit,
           std::string& body) override;
  // Whether this build can send requests at all (the tests that need a
  // server skip without).
  static bool Available();
  long receiveTimeoutMs = 5000;
  long deadlineMs = 30000;
};

}  // namespace strevo
