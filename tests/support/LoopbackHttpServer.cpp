#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace strevo::test {

namespace {

// Bounds that keep a misbehaving client from holding the server thread.
constexpr int kReadWaitMs = 2000;
constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;

bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Appends what the peer sends within the wait; false on end, error or time-out.
bool ReceiveMore(int connection, std::string& data) {
  pollfd p{connection, POLLIN, 0};
  if (::poll(&p, 1, kReadWaitMs) <= 0) return false;
  char buffer[4096];
  const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
  if (n <= 0) return false;
  data.append(buffer, static_cast<size_t>(n));
  return true;
}

void SendAll(int connection, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

std::string Trim(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return text.substr(first, last - first);
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (same_name(key, name)) return value;
  return {};
}

LoopbackHttpServer::LoopbackHttpServer() = default;

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

bool LoopbackHttpServer::Start() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks a free port
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 8) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener_);
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
  if (listener_ >= 0) ::close(listener_);
  listener_ = -1;
  std::lock_guard lock(mutex_);
  for (int connection : silent_) ::close(connection);
  silent_.clear();
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
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) Handle(connection);
  }
}

void LoopbackHttpServer::Handle(int connection) {
  std::string data;
  size_t headerEnd;
  while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > kMaxHeaderBytes || stopping_ || !ReceiveMore(connection, data)) {
      ::close(connection);
      return;
    }
  }
  RecordedRequest request;
  const std::string head = data.substr(0, headerEnd);
  size_t lineEnd = head.find("\r\n");
  request.requestLine = head.substr(0, lineEnd);
  const size_t firstBlank = request.requestLine.find(' ');
  const size_t secondBlank = request.requestLine.find(' ', firstBlank + 1);
  request.method = request.requestLine.substr(0, firstBlank);
  if (firstBlank != std::string::npos) {
    request.target = request.requestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    if (secondBlank != std::string::npos) request.version = request.requestLine.substr(secondBlank + 1);
  }
  while (lineEnd != std::string::npos) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    const size_t colon = line.find(':');
    if (colon != std::string::npos)
      request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
  }
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
  const std::string okHead = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                             std::to_string(route.body.size()) + "\r\nConnection: close\r\n\r\n";
  switch (route.mode) {
    case Mode::Ok:
      SendAll(connection, okHead + route.body);
      break;
    case Mode::CutShort:
      SendAll(connection, okHead + route.body.substr(0, route.body.size() / 2));
      break;
    case Mode::Trickle:
      SendAll(connection, okHead);
      for (char byte : route.body) {
        if (::send(connection, &byte, 1, MSG_NOSIGNAL) != 1) break;
        for (int waited = 0; waited < route.pauseMs && !stopping_; waited += 10) ::usleep(10 * 1000);
        if (stopping_) break;
      }
      break;
    case Mode::NotFound: {
      const std::string text = "not here";
      SendAll(connection, "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: " +
                              std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text);
      break;
    }
    case Mode::CloseEarly:
      break;
    case Mode::Endless:
      SendAll(connection, "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
      while (!stopping_ && ::send(connection, route.body.data(), route.body.size(), MSG_NOSIGNAL) > 0) {
      }
      break;
    case Mode::NeverAnswer: {
      std::lock_guard lock(mutex_);
      silent_.push_back(connection);
      return;
    }
  }
  ::shutdown(connection, SHUT_WR);
  ::close(connection);
}

}  // namespace strevo::test
