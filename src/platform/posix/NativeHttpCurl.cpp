#include "platform/posix/NativeHttp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace strevo {

namespace {

struct Received {
  std::string body;
  size_t limit = 0;
};

// Keeps at most one byte more than the limit; taking less than offered
// ends the transfer.
size_t append_body(char* data, size_t size, size_t count, void* target) {
  auto& received = *static_cast<Received*>(target);
  const size_t room = received.limit + 1 - received.body.size();
  received.body.append(data, std::min(size * count, room));
  return size * count <= room ? size * count : 0;
}

std::string take(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* value = nullptr;
  std::string out;
  if (curl_url_get(url, part, &value, flags) == CURLUE_OK && value) out = value;
  curl_free(value);
  return out;
}

// The decoded path of TUrlInfo back in a form that can be sent: bytes that
// may not stand in a request line are escaped, the rest is left alone.
std::string EscapePath(const std::string& path) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  for (char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || std::strchr("\"<>\\^`{|}", c)) {
      out += '%';
      out += hex[b >> 4];
      out += hex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool NativeHttp::Available() { return true; }

NativeHttp::NativeHttp() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

bool NativeHttp::CrackUrl(const std::string& text, TUrlInfo& info) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
  // The path is taken as written: "." and ".." parts are the caller's
  // business, as they are for the Windows build.
  if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) return false;
  info = {};
  info.Scheme = take(url.get(), CURLUPART_SCHEME).substr(0, 32);
  info.Host = take(url.get(), CURLUPART_HOST).substr(0, 256);
  const std::string port = take(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  info.Port = port.empty() ? 0 : std::atoi(port.c_str());
  std::string extra = take(url.get(), CURLUPART_QUERY);
  if (!extra.empty()) extra = "?" + extra;
  const std::string fragment = take(url.get(), CURLUPART_FRAGMENT);
  if (!fragment.empty()) extra += "#" + fragment;
  info.Path = take(url.get(), CURLUPART_PATH, CURLU_URLDECODE).substr(0, 2048) + extra.substr(0, 255);
  return !info.Host.empty();
}

int NativeHttp::Send(const TUrlInfo& info, const std::string& postData, bool reload, size_t bodyLimit,
                     std::string& body) {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return 0;
  const std::string scheme = info.Scheme.empty() ? "http" : info.Scheme;
  const std::string address = scheme + "://" + info.Host + ":" + std::to_string(info.Port) + EscapePath(info.Path);
  Received received;
  received.limit = bodyLimit;
  curl_slist* headers = nullptr;
  curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, receiveTimeoutMs);
  // A server that stops sending for the time-out ends the transfer.
  curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, (receiveTimeoutMs + 999) / 1000);
  // A server that sends a little now and then never trips the time-out.
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, deadlineMs);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, append_body);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &received);
  if (!postData.empty()) {
    headers = curl_slist_append(headers, "Content-type: application/x-www-form-urlencoded");
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, postData.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(postData.size()));
  }
  if (reload) {
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
  }
  if (headers) curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
  const CURLcode result = curl_easy_perform(curl.get());
  long status = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  if (status != 200) return static_cast<int>(status);
  const bool cutAtTheLimit = result == CURLE_WRITE_ERROR && received.body.size() > bodyLimit;
  if (result != CURLE_OK && !cutAtTheLimit) return kHttpTransferFailed;
  body += received.body;
  return 200;
}

}  // namespace strevo
