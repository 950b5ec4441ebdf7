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
  size_t max_body_bytes = 8 * 1024 * 1024;  // larger requests get 413
  int read_timeout_seconds = 30;
  int write_timeout_seconds = 60;
};

// A small HTTP/1.1 server: one handler for every POST to one path; any other path or method
// is answered 404 with a JSON error, a body over the limit 413. Requests are handled on a pool
// of threads; the handler must be safe to call from several threads.
class HttpServer {
 public:
  using Handler = std::function<HttpResponse(const HttpRequest&)>;
  virtual ~HttpServer() = default;

  // Binds host:port (port 0 picks a free one) and returns the port. Raises an Error with the
  // reason when the address cannot be bound (in use, bad host).
  virtual int Bind(const std::string& host, int port) = 0;
  // Serves POST `path` until Stop(); returns when stopped.
  virtual void Serve(const std::string& path, Handler handler) = 0;
  // Safe to call from another thread or before Serve.
  virtual void Stop() = 0;
};

std::unique_ptr<HttpServer> NewHttpServer(const HttpServerLimits& limits);

}  // namespace velmora::net
