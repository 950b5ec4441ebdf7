#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace velmora::net {

struct HttpRequest {
  std::string method;
  std::string path;
  std::string authorization;  // the Authorization header, "" when absent
  std::string content_type;
  std::string body;
};

struct HttpResponse {
  int status = 200;
  std::string content_type = "application/json";
  std::string body;
};

struct HttpServerLimits {
  size_t max_body_bytes = 8 * 1024 * 1024;  // a larger Content-Length gets 413 before any body
  size_t max_head_bytes = 16 * 1024;        // a longer request head gets 431
  int head_timeout_seconds = 10;            // the whole head must arrive within this time
  int body_timeout_seconds = 60;            // the whole body must arrive within this time
  int write_timeout_seconds = 60;
  size_t workers = 8;                 // threads that run the handler
  size_t max_pending_requests = 256;  // complete requests waiting for a worker; more get 503
  size_t max_open_connections = 512;  // the oldest unfinished request is dropped beyond this
  int stop_grace_seconds = 10;        // how long Serve waits for running handlers after Stop
};

// A small HTTP/1.1 server: one handler for every POST to one path; any other path or method
// is answered 404 with a JSON error. Requests are read by one thread that waits on every
// connection at once, so clients that send slowly hold no worker: a head that is not complete
// within the head time-out, or a body within the body time-out, gets 408. A body needs a
// Content-Length (absent, malformed or negative: 400; over the limit: 413, before the body is
// read); the body is handed over whatever its Content-Type. Complete requests run on a fixed
// pool of workers; the handler must be safe to call from several threads. Every response
// closes its connection.
class HttpServer {
 public:
  using Handler = std::function<HttpResponse(const HttpRequest&)>;
  virtual ~HttpServer() = default;

  // Binds host:port (port 0 picks a free one) and returns the port. Raises an Error with the
  // reason when the address cannot be bound (in use, bad host).
  virtual int Bind(const std::string& host, int port) = 0;
  // Serves POST `path` until Stop(). Returns true when every handler had finished, false when
  // handlers were still running after the stop grace time: they go on in detached threads and
  // the caller should end the process without running static destructors.
  virtual bool Serve(const std::string& path, Handler handler) = 0;
  // Safe to call from another thread (not from a signal handler) and before Serve.
  virtual void Stop() = 0;
};

std::unique_ptr<HttpServer> NewHttpServer(const HttpServerLimits& limits);

}  // namespace velmora::net
