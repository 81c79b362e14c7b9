// HTTP for the native build, over libcurl, with the same rules as the Windows
// build: 5 s receive time-out, HTTP/1.0, form content type for POST, body
// kept only on status 200, never an interactive prompt.
#pragma once

#include "platform/Platform.h"

namespace strevo {

class CurlHttp : public IHttp {
 public:
  CurlHttp();
  bool CrackUrl(const std::string& url, TUrlInfo& info) override;
  int Send(const TUrlInfo& info, const std::string& postData, bool reload, std::string& body) override;
  long receiveTimeoutMs = 5000;
};

}  // namespace strevo
