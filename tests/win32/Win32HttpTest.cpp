// HTTP through WinINet against a loopback server that the test runs itself
// (Winsock, one thread), under Wine.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "storage/InetSupport.h"
#include "storage/Streams.h"
#include "win32/Win32Platform.h"

namespace strevo {
namespace {

// Answers by path: /ok... 200 with a body, /missing 404, /close closes at
// once, /silent never answers, /endless sends a body until the client goes,
// /cut sends half the body it announces, /trickle sends its body and
// /slowhead its whole answer a byte every 200 ms. Records each request's
// head and body; a TLS handshake (first byte 0x16) is recorded as it came
// and never answered.
class LoopbackServer {
 public:
  LoopbackServer() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    ::listen(listener_, 8);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stopping_ = true;
    ::closesocket(listener_);
    thread_.join();
    for (SOCKET s : held_) ::closesocket(s);
    ::WSACleanup();
  }
  std::string Url(const std::string& path, const std::string& scheme = "http") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::vector<std::string> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  // All at once, or a byte every pauseMs; false when the client went.
  bool Send(SOCKET client, const std::string& text, int pauseMs = 0) {
    if (!pauseMs) return ::send(client, text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size());
    for (char byte : text) {
      if (stopping_ || ::send(client, &byte, 1, 0) != 1) return false;
      ::Sleep(pauseMs);
    }
    return true;
  }
  void Serve() {
    while (!stopping_) {
      SOCKET client = ::accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[4096];
      size_t expected = std::string::npos;
      while (true) {
        const int n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
        if (request[0] == '\x16') break;  // a TLS handshake: no HTTP server here
        const size_t head = request.find("\r\n\r\n");
        if (head != std::string::npos && expected == std::string::npos) {
          size_t body = 0;
          const size_t at = request.find("Content-Length: ");
          if (at != std::string::npos && at < head) body = std::stoul(request.substr(at + 16));
          expected = head + 4 + body;
        }
        if (expected != std::string::npos && request.size() >= expected) break;
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      if (!request.empty() && request[0] == '\x16') {
        held_.push_back(client);  // a TLS client waits for an answer that never comes
        continue;
      }
      const std::string path = request.substr(request.find(' ') + 1);
      const auto is = [&path](const char* prefix) { return path.rfind(prefix, 0) == 0; };
      if (is("/silent")) {
        held_.push_back(client);  // never answered, closed at the end
        continue;
      }
      const std::string ok = "HTTP/1.0 200 OK\r\n";
      if (is("/slowhead")) {
        Send(client, ok + "Content-Length: 5\r\n\r\nhello", 200);
      } else if (is("/endless")) {
        Send(client, ok + "\r\n");
        while (!stopping_ && Send(client, std::string(4096, 'x'))) {
        }
      } else if (is("/trickle")) {
        Send(client, ok + "Content-Length: 20\r\n\r\n");
        Send(client, std::string(20, 't'), 200);
      } else if (is("/cut")) {
        Send(client, ok + "Content-Length: 10\r\n\r\nhello");
      } else if (is("/missing")) {
        Send(client, "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!");
      } else if (!is("/close")) {
        Send(client, ok + "Content-Length: 5\r\n\r\nhello");
      }
      ::shutdown(client, SD_BOTH);
      ::closesocket(client);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<SOCKET> held_;
};

class Win32HttpTest : public ::testing::Test {
 protected:
  Win32Platform platform_;
  LoopbackServer server_;
};

// WinINet sends what the client builds: a GET whose body is appended, the
// parent step after "data" taken away, a POST of a form, and a reload with
// an empty body as a GET. A 404, a server closing at once and an over-long
// address leave the stream as it was.
TEST_F(Win32HttpTest, RequestsGoAsBuiltAndFailuresLeaveTheStreamUntouched) {
  TMemoryStream stream(std::string("x"));
  EXPECT_EQ(HttpRequest(server_.Url("/a/data/../ok.txt"), "", stream, false), 200);
  EXPECT_EQ(stream.Data(), "xhello");
  EXPECT_EQ(HttpRequest(server_.Url("/ok"), "a=1&b=2", stream, false), 200);
  EXPECT_EQ(HttpRequest(server_.Url("/ok"), "", stream, true), 200);
  const std::vector<std::string> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].rfind("GET /a/ok.txt HTTP/1.0\r\n", 0), 0u) << requests[0];
  EXPECT_EQ(requests[1].rfind("POST /ok HTTP/1.0\r\n", 0), 0u);
  EXPECT_NE(requests[1].find("Content-type: application/x-www-form-urlencoded"), std::string::npos);
  EXPECT_EQ(requests[1].substr(requests[1].size() - 7), "a=1&b=2");
  EXPECT_EQ(requests[2].rfind("GET /ok HTTP/1.0\r\n", 0), 0u);

  TMemoryStream old(std::string("old"));
  EXPECT_EQ(HttpRequest(server_.Url("/missing"), "", old, false), 404);
  EXPECT_NE(HttpRequest(server_.Url("/close"), "", old, false), 200);
  EXPECT_EQ(HttpRequest("http://127.0.0.1:1/" + std::string(2100, 'a'), "", old, false), 0) << "over-long address";
  EXPECT_EQ(old.Data(), "old");
}

TEST_F(Win32HttpTest, EndlessBodyIsCutOneByteAfterTheLimit) {
  TUrlInfo info;
  ASSERT_TRUE(platform_.http.CrackUrl(server_.Url("/endless"), info));
  std::string body;
  EXPECT_EQ(platform_.http.Send(info, "", false, 5000, body), 200);
  EXPECT_EQ(body.size(), 5001u);
}

TEST_F(Win32HttpTest, SilentServerGivesUpWithinTheTimeOut) {
  platform_.http.receiveTimeoutMs = 1500;
  TMemoryStream stream(std::string("old"));
  const DWORD start = ::GetTickCount();
  EXPECT_NE(HttpRequest(server_.Url("/silent"), "", stream, false), 200);
  EXPECT_LT(::GetTickCount() - start, 15000u);
  EXPECT_EQ(stream.Data(), "old");
}

// What came of a body that did not come whole is never taken for the
// document; a server that sends a byte now and then, never long enough
// apart for the receive time-out, is left at the deadline.
TEST_F(Win32HttpTest, AnswersThatDoNotComeWholeByTheDeadlineAreFailures) {
  platform_.http.deadlineMs = 1000;
  const struct {
    const char* path;
    int status;
  } cases[] = {{"/cut", kHttpTransferFailed}, {"/trickle", kHttpTransferFailed}, {"/slowhead", 0}};
  for (const auto& c : cases) {
    TMemoryStream stream(std::string("old"));
    EXPECT_EQ(HttpRequest(server_.Url(c.path), "", stream, false), c.status) << c.path;
    EXPECT_EQ(stream.Data(), "old") << c.path;
  }
}

// The loopback server speaks no TLS: what reaches it must be the start of a
// TLS handshake (a handshake record, 0x16), never the request in plain
// text. The handshake's answer never comes; the deadline ends the wait.
TEST_F(Win32HttpTest, HttpsAddressesAreSentOverTls) {
  platform_.http.deadlineMs = 1000;
  TMemoryStream stream(std::string("old"));
  EXPECT_EQ(HttpRequest(server_.Url("/ok", "https"), "", stream, false), 0);
  EXPECT_EQ(stream.Data(), "old");
  const std::vector<std::string> requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].substr(0, 1), "\x16") << requests[0];
}

}  // namespace
}  // namespace strevo
