// The HTTP client against a real server on the loopback interface that each
// test starts and stops itself.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/posix/NativeHttp.h"
#include "storage/FileObj.h"
#include "storage/InetSupport.h"
#include "support/Fixture.h"
#include "support/LoopbackHttpServer.h"

// The test programs compile only TestMain.cpp from tests/support; the server
// is built here, in the one test file of this program that needs it first.

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

// An empty body makes the request a GET.
TEST_F(InetSupportTest, GetReturns200AndAppendsTheBody) {
  server.Serve("/words.txt", Mode::Ok, "alpha\r\nbeta\r\n");
  TMemoryStream stream("old|");
  EXPECT_EQ(HttpRequest(server.Url("/words.txt"), "", stream, false), 200);
  EXPECT_EQ(stream.Data(), "old|alpha\r\nbeta\r\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "GET /words.txt HTTP/1.0");
  EXPECT_EQ(requests[0].Header("Content-type"), "");
  EXPECT_EQ(requests[0].Header("Cache-Control"), "") << "only a reload bypasses caches";
}

TEST_F(InetSupportTest, OnlyDataDotDotIsTakenOutOfThePath) {
  server.Serve("/a/b.txt", Mode::Ok, "b");
  TMemoryStream stream;
  EXPECT_EQ(HttpRequest(server.Url("/a/data/../b.txt"), "", stream, false), 200);
  EXPECT_EQ(stream.Data(), "b");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].target, "/a/b.txt");
  HttpRequest(server.Url("/a/x/../b.txt"), "", stream, false);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].target, "/a/x/../b.txt") << "other parent steps are sent as written";
}

TEST_F(InetSupportTest, PostWithBodyCarriesTheFormContentType) {
  server.Serve("/form", Mode::Ok, "stored");
  TMemoryStream stream;
  EXPECT_EQ(HttpRequest(server.Url("/form?user=ann"), "speed=42&name=Ann+Lee", stream, false), 200);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.requestLine, "POST /form?user=ann HTTP/1.0");
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.body, "speed=42&name=Ann+Lee");
  EXPECT_EQ(stream.Data(), "stored");
}

TEST_F(InetSupportTest, ReloadAsksEveryCacheToStandAside) {
  server.Serve("/QVLangs.ini", Mode::Ok, "language=ENG");
  TMemoryStream stream;
  EXPECT_EQ(HttpRequest(server.Url("/QVLangs.ini"), "", stream, true), 200);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(server.Requests()[0].Header("Pragma"), "no-cache");
}

TEST_F(InetSupportTest, NotFoundLeavesTheStreamUntouched) {
  TMemoryStream stream("before");
  EXPECT_EQ(HttpRequest(server.Url("/missing.txt"), "", stream, false), 404);
  EXPECT_EQ(stream.Data(), "before");
}

TEST_F(InetSupportTest, ServerClosingWithoutAnswerGivesStatusZero) {
  server.Serve("/drop", Mode::CloseEarly);
  TMemoryStream stream("x");
  EXPECT_EQ(HttpRequest(server.Url("/drop"), "", stream, false), 0);
  EXPECT_EQ(stream.Data(), "x");
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

// What came of a body that did not come whole is never taken for the
// document.
TEST_F(InetSupportTest, BodyCutShortOrTrickledPastTheDeadlineIsAFailure) {
  server.Serve("/cut", Mode::CutShort, "$version=1\r\n$end\r\nrhythm\r\nyacht\r\n");
  // A byte every 200 ms never trips the receive time-out; only the deadline ends it.
  server.Serve("/trickle", Mode::Trickle, std::string(20, 't'), 200);
  fake.http.deadlineMs = 1000;
  for (const char* path : {"/cut", "/trickle"}) {
    TMemoryStream stream("old");
    EXPECT_EQ(HttpRequest(server.Url(path), "", stream, false), kHttpTransferFailed) << path;
    EXPECT_EQ(stream.Data(), "old") << path;
  }
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

TEST_F(InetSupportTest, AddressesThatAreNoUrlGiveStatusZero) {
  TMemoryStream stream;
  EXPECT_EQ(HttpRequest("C:\\Strevo\\QVLangs.ini", "", stream, false), 0);
  EXPECT_EQ(HttpRequest("", "", stream, false), 0);
  EXPECT_EQ(HttpRequest("http://", "", stream, false), 0);
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

TEST_F(InetSupportTest, DecodedBlanksAreSentEscaped) {
  server.Serve("/a%20b.txt", Mode::Ok, "spaced");
  TMemoryStream stream;
  EXPECT_EQ(HttpRequest(server.Url("/a%20b.txt"), "", stream, false), 200);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].target, "/a%20b.txt");
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
