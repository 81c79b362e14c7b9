// A small HTTP server on 127.0.0.1 for tests of the program's HTTP client.
// It listens on a port the system picks, serves canned answers per path on
// its own thread, and records every request it receives. Stop (or the
// destructor) ends the thread and closes every connection. A TLS handshake
// is recorded as it came (in requestLine) and never answered.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace strevo::test {

struct RecordedRequest {
  std::string method;       // "GET", "POST"
  std::string target;       // the path as sent, with its query
  std::string requestLine;  // the whole first row
  std::string head;         // the rows after it, each ending in CR LF
  std::string body;

  // The value of a header (name without regard to case), empty when absent.
  std::string Header(const std::string& name) const;
};

class LoopbackHttpServer {
 public:
  enum class Mode {
    Ok,          // 200 with the body
    NotFound,    // 404 with a short body
    CloseEarly,  // reads the request, then closes without answering
    NeverAnswer,  // reads the request and keeps the connection silent until Stop
    Endless,      // 200 without a length, the body sent again and again until the client goes
    CutShort,     // 200 with the body's length, then half the body, then closes
    Trickle,      // 200 with the body's length, then the body a byte at a time, pauseMs apart
    TrickleAll    // as Trickle, the head too
  };

  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // Opens the listening socket and starts the thread; false when the system
  // refused the socket.
  bool Start();
  void Stop();

  // The answer for a path (the target before any "?"); paths without one
  // get 404.
  void Serve(const std::string& path, Mode mode, const std::string& body = "", int pauseMs = 0);

  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path) const;
  std::vector<RecordedRequest> Requests();

 private:
  struct Route {
    Mode mode;
    std::string body;
    int pauseMs;
  };
  void Run();
  void Handle(std::intptr_t connection);

  std::intptr_t listener_ = -1;  // a socket of either system; -1 when closed
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::intptr_t> silent_;  // connections held open by NeverAnswer and TLS
};

}  // namespace strevo::test
