#include "storage/InetSupport.h"

#include "storage/DebugLog.h"

namespace strevo {

bool ParseUrl(const std::string& url, TUrlInfo& info) {
  if (url.size() >= kMaxUrlLength) return false;
  if (!CurrentPlatform().http) return false;
  return Http().CrackUrl(url, info);
}

int HttpRequest(std::string url, const std::string& postData, TStream& stream, bool reload) {
  if (url.find("..") != std::string::npos) {
    for (size_t at; (at = url.find("data/../")) != std::string::npos;) url.erase(at, 8);
  }
  TUrlInfo info;
  if (!ParseUrl(url, info)) return 0;
  std::string body;
  constexpr auto kLimit = static_cast<size_t>(kLargestTextFile);
  const int status = Http().Send(info, postData, reload, kLimit, body);
  if (status == kHttpTransferFailed) DebugLog(1, "HttpRequest: the answer did not come whole: " + url);
  if (status == 200 && body.size() > kLimit) {
    DebugLog(1, "HttpRequest: the answer is larger than " + std::to_string(kLimit) + " bytes and is refused: " + url);
    return 0;
  }
  if (status == 200 && !body.empty()) {
    stream.Seek(0, SeekOrigin::End);
    stream.Write(body.data(), static_cast<int64_t>(body.size()));
  }
  return status;
}

void AllowMessage(uint32_t message) { Windows().AllowMessage(message); }

}  // namespace strevo
