#include "support/LoopbackHttpServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

namespace strevo::test {

namespace {

// The few calls that differ between Winsock and POSIX sockets.
#ifdef _WIN32
using Native = SOCKET;
constexpr int kNoSignal = 0;
void CloseSocket(std::intptr_t s) { ::closesocket(static_cast<Native>(s)); }
int Poll(pollfd* p, int ms) { return ::WSAPoll(p, 1, ms); }
#else
using Native = int;
constexpr int kNoSignal = MSG_NOSIGNAL;
void CloseSocket(std::intptr_t s) { ::close(static_cast<Native>(s)); }
int Poll(pollfd* p, int ms) { return ::poll(p, 1, ms); }
#endif
long SendSome(std::intptr_t s, const char* data, size_t size) {
  return ::send(static_cast<Native>(s), data, static_cast<int>(size), kNoSignal);
}

// Bounds that keep a misbehaving client from holding the server thread.
constexpr int kReadWaitMs = 2000;
constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;

// Appends what the peer sends within the wait; false on end, error or time-out.
bool ReceiveMore(std::intptr_t connection, std::string& data) {
  pollfd p{static_cast<Native>(connection), POLLIN, 0};
  if (Poll(&p, kReadWaitMs) <= 0) return false;
  char buffer[4096];
  const long n = ::recv(static_cast<Native>(connection), buffer, sizeof buffer, 0);
  if (n <= 0) return false;
  data.append(buffer, static_cast<size_t>(n));
  return true;
}

// False when the peer went before all was sent.
bool SendAll(std::intptr_t connection, const std::string& data) {
  for (size_t sent = 0; sent < data.size();) {
    const long n = SendSome(connection, data.data() + sent, data.size() - sent);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  for (size_t row = 0, end; (end = head.find("\r\n", row)) != std::string::npos; row = end + 2) {
    const size_t colon = head.find(':', row);
    const auto same = [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); };
    if (colon >= end || colon - row != name.size() ||
        !std::equal(name.begin(), name.end(), head.begin() + static_cast<long>(row), same))
      continue;
    const size_t value = head.find_first_not_of(' ', colon + 1);
    return value < end ? head.substr(value, end - value) : std::string();
  }
  return {};
}

LoopbackHttpServer::LoopbackHttpServer() = default;

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

bool LoopbackHttpServer::Start() {
#ifdef _WIN32
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = static_cast<std::intptr_t>(::socket(AF_INET, SOCK_STREAM, 0));
#else
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#endif
  if (listener_ < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks a free port
  socklen_t length = sizeof address;
  const Native listener = static_cast<Native>(listener_);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseSocket(listener_);
    listener_ = -1;
    return false;
  }
  port_ = ntohs(address.sin_port);
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void LoopbackHttpServer::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  for (std::intptr_t connection : silent_) CloseSocket(connection);
  silent_.clear();
  if (listener_ < 0) return;
  CloseSocket(listener_);
  listener_ = -1;
#ifdef _WIN32
  ::WSACleanup();
#endif
}

void LoopbackHttpServer::Serve(const std::string& path, Mode mode, const std::string& body, int pauseMs) {
  std::lock_guard lock(mutex_);
  routes_[path] = {mode, body, pauseMs};
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::Run() {
  while (!stopping_) {
    pollfd p{static_cast<Native>(listener_), POLLIN, 0};
    if (Poll(&p, 20) <= 0) continue;
#ifdef _WIN32
    const auto connection = static_cast<std::intptr_t>(::accept(p.fd, nullptr, nullptr));
#else
    const int connection = ::accept4(p.fd, nullptr, nullptr, SOCK_CLOEXEC);
#endif
    if (connection >= 0) Handle(connection);
  }
}

void LoopbackHttpServer::Handle(std::intptr_t connection) {
  std::string data;
  size_t headerEnd;
  while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > kMaxHeaderBytes || stopping_ || !ReceiveMore(connection, data)) {
      CloseSocket(connection);
      return;
    }
    if (data[0] == '\x16') {  // a TLS handshake: recorded as it came, never answered
      std::lock_guard lock(mutex_);
      requests_.push_back({{}, {}, data, {}, {}});
      silent_.push_back(connection);
      return;
    }
  }
  RecordedRequest request;
  const size_t lineEnd = data.find("\r\n");
  request.requestLine = data.substr(0, lineEnd);
  request.head = data.substr(lineEnd + 2, headerEnd + 2 - (lineEnd + 2));
  const size_t firstBlank = request.requestLine.find(' ');
  request.method = request.requestLine.substr(0, firstBlank);
  if (firstBlank != std::string::npos)
    request.target = request.requestLine.substr(firstBlank + 1, request.requestLine.find(' ', firstBlank + 1) - firstBlank - 1);
  size_t contentLength = 0;
  const std::string lengthText = request.Header("Content-Length");
  if (!lengthText.empty())
    contentLength = std::min<size_t>(std::strtoul(lengthText.c_str(), nullptr, 10), kMaxBodyBytes);
  std::string body = data.substr(headerEnd + 4);
  while (body.size() < contentLength && !stopping_ && ReceiveMore(connection, body)) {
  }
  request.body = body.substr(0, contentLength);

  Route route{Mode::NotFound, {}, 0};
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    auto it = routes_.find(request.target.substr(0, request.target.find('?')));
    if (it != routes_.end()) route = it->second;
  }
  const auto answer = [connection](const std::string& status, size_t length, const std::string& body) {
    SendAll(connection, "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                            std::to_string(length) + "\r\nConnection: close\r\n\r\n" + body);
  };
  switch (route.mode) {
    case Mode::Ok:
      answer("200 OK", route.body.size(), route.body);
      break;
    case Mode::CutShort:
      answer("200 OK", route.body.size(), route.body.substr(0, route.body.size() / 2));
      break;
    case Mode::Trickle:
    case Mode::TrickleAll: {
      std::string slow = route.body;
      if (route.mode == Mode::Trickle) answer("200 OK", route.body.size(), "");
      else slow = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(slow.size()) + "\r\n\r\n" + slow;
      for (char byte : slow) {
        if (SendSome(connection, &byte, 1) != 1) break;
        for (int waited = 0; waited < route.pauseMs && !stopping_; waited += 10)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (stopping_) break;
      }
      break;
    }
    case Mode::NotFound:
      answer("404 Not Found", 8, "not here");
      break;
    case Mode::CloseEarly:
      break;
    case Mode::Endless:
      SendAll(connection, "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
      while (!stopping_ && SendAll(connection, route.body)) {
      }
      break;
    case Mode::NeverAnswer: {
      std::lock_guard lock(mutex_);
      silent_.push_back(connection);
      return;
    }
  }
  ::shutdown(static_cast<Native>(connection), 1);  // no more sending
  CloseSocket(connection);
}

}  // namespace strevo::test
