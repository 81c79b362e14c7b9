// The HTTP client against a real server on the loopback interface that each
// test starts and stops itself.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/posix/NativeHttp.h"
#include "storage/FileObj.h"
#include "storage/InetSupport.h"
#include "support/Fixture.h"
#include "support/LoopbackHttpServer.h"

namespace strevo {
namespace {

using test::LoopbackHttpServer;
using Mode = LoopbackHttpServer::Mode;

class InetSupportTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    if (!NativeHttp::Available()) GTEST_SKIP() << "this build has no HTTP client";
    ASSERT_TRUE(server.Start());
  }
  void TearDown() override { server.Stop(); }

  LoopbackHttpServer server;
};

// An empty body makes the request a GET, a body a form POST; only a reload
// asks every cache to stand aside; decoded blanks go out escaped; only
// "data/.." is taken out of the path. The body is appended to the stream.
TEST_F(InetSupportTest, RequestsGoOutAsWrittenAndTheirBodyIsAppended) {
  struct Case {
    const char* asked;
    const char* body;
    bool reload;
    const char* requestLine;
    const char* contentType;
    const char* noCache;
    int status;
  };
  const Case cases[] = {
      {"/words.txt", "", false, "GET /words.txt HTTP/1.0", "", "", 200},
      {"/form?user=ann", "speed=42&name=Ann+Lee", false, "POST /form?user=ann HTTP/1.0",
       "application/x-www-form-urlencoded", "", 200},
      {"/words.txt", "", true, "GET /words.txt HTTP/1.0", "", "no-cache", 200},
      {"/a%20b.txt", "", false, "GET /a%20b.txt HTTP/1.0", "", "", 200},
      {"/a/data/../b.txt", "", false, "GET /a/b.txt HTTP/1.0", "", "", 200},
      {"/a/x/../b.txt", "", false, "GET /a/x/../b.txt HTTP/1.0", "", "", 404},
  };
  for (const char* path : {"/words.txt", "/form", "/a%20b.txt", "/a/b.txt"}) server.Serve(path, Mode::Ok, path);
  size_t sent = 0;
  for (const Case& c : cases) {
    TMemoryStream stream("old|");
    EXPECT_EQ(HttpRequest(server.Url(c.asked), c.body, stream, c.reload), c.status) << c.asked;
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), ++sent) << c.asked;
    const auto& request = requests.back();
    EXPECT_EQ(request.requestLine, c.requestLine);
    EXPECT_EQ(request.Header("Content-Type"), c.contentType) << c.asked;
    EXPECT_EQ(request.Header("Cache-Control"), c.noCache) << c.asked;
    EXPECT_EQ(request.Header("Pragma"), c.noCache) << c.asked;
    EXPECT_EQ(request.body, c.body) << c.asked;
    EXPECT_EQ(stream.Data(), c.status == 200 ? "old|" + request.target.substr(0, request.target.find('?')) : "old|")
        << c.asked;
  }
}

// Not found, a server closing without an answer, a body cut short or
// trickled past the deadline (a byte every 200 ms never trips the receive
// time-out) and addresses that are no URL all leave the stream untouched:
// what came of a body that did not come whole is never the document.
TEST_F(InetSupportTest, FailedRequestsLeaveTheStreamUntouched) {
  server.Serve("/drop", Mode::CloseEarly);
  server.Serve("/cut", Mode::CutShort, "$version=1\r\n$end\r\nrhythm\r\nyacht\r\n");
  server.Serve("/trickle", Mode::Trickle, std::string(20, 't'), 200);
  fake.http.deadlineMs = 1000;
  const std::pair<std::string, int> cases[] = {
      {server.Url("/missing.txt"), 404},     {server.Url("/drop"), 0}, {server.Url("/cut"), kHttpTransferFailed},
      {server.Url("/trickle"), kHttpTransferFailed}, {"C:\\Strevo\\QVLangs.ini", 0}, {"", 0}, {"http://", 0}};
  for (const auto& [address, status] : cases) {
    TMemoryStream stream("old");
    EXPECT_EQ(HttpRequest(address, "", stream, false), status) << address;
    EXPECT_EQ(stream.Data(), "old") << address;
  }
}

TEST_F(InetSupportTest, SilentServerFailsWithinTheReceiveTimeOut) {
  server.Serve("/slow", Mode::NeverAnswer);
  fake.http.receiveTimeoutMs = 300;
  TMemoryStream stream;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpRequest(server.Url("/slow"), "", stream, false), 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(5));
  EXPECT_EQ(stream.Size(), 0);
}

TEST_F(InetSupportTest, AnswerThatNeverEndsIsCutAtTheLimitAndRefused) {
  // The client takes one byte more than the limit it is given, and stops.
  server.Serve("/page", Mode::Ok, std::string(1000, 'p'));
  server.Serve("/endless", Mode::Endless, std::string(64 * 1024, 'x'));
  TUrlInfo info;
  ASSERT_TRUE(ParseUrl(server.Url("/page"), info));
  std::string body;
  EXPECT_EQ(fake.http.Send(info, "", false, 1000, body), 200);
  EXPECT_EQ(body.size(), 1000u) << "a body of exactly the limit is whole";
  ASSERT_TRUE(ParseUrl(server.Url("/endless"), info));
  body.clear();
  EXPECT_EQ(fake.http.Send(info, "", false, 1000, body), 200);
  EXPECT_EQ(body.size(), 1001u);
  // A request for a document refuses what passes kLargestTextFile.
  TMemoryStream stream("old");
  EXPECT_EQ(HttpRequest(server.Url("/endless"), "", stream, false), 0);
  EXPECT_EQ(stream.Data(), "old");
}

TEST_F(InetSupportTest, AddressesOf2056CharactersOrMoreAreRefused) {
  const std::string base = server.Url("/");
  const std::string accepted = base + std::string(kMaxUrlLength - 1 - base.size(), 'a');
  const std::string refused = base + std::string(kMaxUrlLength - base.size(), 'a');
  ASSERT_EQ(accepted.size(), 2055u);
  ASSERT_EQ(refused.size(), 2056u);
  TUrlInfo info;
  EXPECT_TRUE(ParseUrl(accepted, info));
  EXPECT_FALSE(ParseUrl(refused, info));
  TMemoryStream stream;
  EXPECT_EQ(HttpRequest(refused, "", stream, false), 0);
  EXPECT_TRUE(server.Requests().empty()) << "nothing is sent";
  EXPECT_EQ(HttpRequest(accepted, "", stream, false), 404);
}

TEST_F(InetSupportTest, ParseUrlSplitsHostPortPathAndExtra) {
  TUrlInfo info;
  ASSERT_TRUE(ParseUrl("http://example.test/data/a%20b.txt?x=1#top", info));
  EXPECT_EQ(info.Scheme, "http");
  EXPECT_EQ(info.Host, "example.test");
  EXPECT_EQ(info.Port, 80) << "the scheme's default";
  EXPECT_EQ(info.Path, "/data/a b.txt?x=1#top") << "escapes decoded";
  ASSERT_TRUE(ParseUrl("http://127.0.0.1:8123/", info));
  EXPECT_EQ(info.Port, 8123);
}

// ----------------------------------------------- data files from addresses --

TEST_F(InetSupportTest, StreamFileDownloadsHttpSources) {
  server.Serve("/top100difficultwords.txt", Mode::Ok, "$version=1\r\n$end\r\nrhythm\r\nyacht\r\n");
  TStreamFile file;
  ASSERT_EQ(file.Open(server.Url("/top100difficultwords.txt"), 1, false), 1);
  EXPECT_EQ(file.Version, "1");
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$end");
  file.Close();

  TStreamFile missing;
  EXPECT_EQ(missing.Open(server.Url("/none.txt"), 1, false), -1);

  std::vector<std::string> rows;
  TStreamFile lines;
  EXPECT_EQ(lines.LoadLines(rows, server.Url("/top100difficultwords.txt")), 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"$version=1", "$end", "rhythm", "yacht"}));
  lines.Close();
  TStreamFile notFound;
  EXPECT_EQ(notFound.LoadLines(rows, server.Url("/none.txt")), -1);
}

}  // namespace
}  // namespace strevo
