// HTTP through WinINet against the tests' loopback server, under Wine.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/InetSupport.h"
#include "storage/Streams.h"
#include "support/LoopbackHttpServer.h"
#include "win32/Win32Platform.h"

namespace strevo {
namespace {

using Mode = test::LoopbackHttpServer::Mode;

class Win32HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    for (const char* path : {"/a/ok.txt", "/ok"}) server_.Serve(path, Mode::Ok, "hello");
    server_.Serve("/close", Mode::CloseEarly);
    server_.Serve("/silent", Mode::NeverAnswer);
    server_.Serve("/endless", Mode::Endless, std::string(4096, 'x'));
    server_.Serve("/cut", Mode::CutShort, "hellohello");
    server_.Serve("/trickle", Mode::Trickle, std::string(20, 't'), 200);
    server_.Serve("/slowhead", Mode::TrickleAll, "hello", 200);
  }
  Win32Platform platform_;
  test::LoopbackHttpServer server_;
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
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].requestLine, "GET /a/ok.txt HTTP/1.0");
  EXPECT_EQ(requests[1].requestLine, "POST /ok HTTP/1.0");
  EXPECT_EQ(requests[1].Header("Content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[1].body, "a=1&b=2");
  EXPECT_EQ(requests[2].requestLine, "GET /ok HTTP/1.0");

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
  EXPECT_EQ(HttpRequest("https" + server_.Url("/ok").substr(4), "", stream, false), 0);
  EXPECT_EQ(stream.Data(), "old");
  const auto requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].requestLine.substr(0, 1), "\x16") << requests[0].requestLine;
}

}  // namespace
}  // namespace strevo
