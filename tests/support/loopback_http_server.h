#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::testing {

// A tiny HTTP/1.1 server on 127.0.0.1 with a port chosen by the system, serving fixed replies
// from its own thread until destroyed. Paths without a route get 404. One request per
// connection. For tests only.
class LoopbackHttpServer {
 public:
  struct Route {
    Route() = default;
    Route(int status_code, std::string reply_body, std::string location_header = "")
        : status(status_code), body(std::move(reply_body)), location(std::move(location_header)) {}

    int status = 200;
    std::string body;
    std::string location;  // Location header (redirects)
    std::string content_type = "text/xml";
  };

  explicit LoopbackHttpServer(std::map<std::string, Route> routes);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  // The request paths served so far, in order.
  std::vector<std::string> requested_paths() const;

 private:
  void Serve();
  void Answer(int connection);

  std::map<std::string, Route> routes_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requested_;
  std::thread thread_;
};

// A loopback port on which nothing listens (bound, then closed).
int UnusedLoopbackPort();

}  // namespace velmora::testing
