#include <httplib.h>

#include <cerrno>
#include <cstring>

#include "platform/net/http_server.h"
#include "velmora/base/error.h"

namespace velmora::net {
namespace {

constexpr int kErrAddressInUse = 10048;

std::string JsonError(int status, const std::string& message) {
  std::string escaped;
  for (char c : message) {
    if (c == '"' || c == '\\') {
      escaped += '\\';
    }
    escaped += c;
  }
  return "{\"error\": {\"number\": " + std::to_string(status) +
         ", \"source\": \"velmora serve\", " + "\"description\": \"" + escaped + "\"}}";
}

std::string ReasonOf(int status) {
  switch (status) {
    case 400:
      return "Bad request";
    case 404:
      return "Not found: the service answers POST /v1/call only";
    case 405:
      return "Method not allowed";
    case 413:
      return "Request too large";
    default:
      return "HTTP status " + std::to_string(status);
  }
}

class HttplibServer : public HttpServer {
 public:
  explicit HttplibServer(const HttpServerLimits& limits) {
    server_.set_payload_max_length(limits.max_body_bytes);
    server_.set_read_timeout(limits.read_timeout_seconds, 0);
    server_.set_write_timeout(limits.write_timeout_seconds, 0);
    server_.set_keep_alive_max_count(100);
    // Address reuse only: the library's default also sets port reuse, which would let a second
    // server bind a port in use and take half of its connections.
    server_.set_socket_options([](socket_t socket) {
      int yes = 1;
      setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server_.set_error_handler([](const httplib::Request&, httplib::Response& response) {
      response.set_content(JsonError(response.status, ReasonOf(response.status)),
                           "application/json");
    });
  }

  int Bind(const std::string& host, int port) override {
    errno = 0;
    const int bound = port == 0                          ? server_.bind_to_any_port(host)
                      : server_.bind_to_port(host, port) ? port
                                                         : -1;
    if (bound < 0) {
      const std::string reason = errno != 0 ? std::strerror(errno) : "cannot bind";
      throw Error(kErrAddressInUse, "velmora serve",
                  "Cannot listen on " + host + ":" + std::to_string(port) + ": " + reason);
    }
    return bound;
  }

  void Serve(const std::string& path, Handler handler) override {
    server_.Post(path, [handler = std::move(handler)](const httplib::Request& request,
                                                      httplib::Response& response) {
      HttpRequest in{request.method, request.path, request.get_header_value("Authorization"),
                     request.get_header_value("Content-Type"), request.body};
      HttpResponse out = handler(in);
      response.status = out.status;
      response.set_content(out.body, out.content_type);
    });
    server_.listen_after_bind();
  }

  void Stop() override { server_.stop(); }

 private:
  httplib::Server server_;
};

}  // namespace

std::unique_ptr<HttpServer> NewHttpServer(const HttpServerLimits& limits) {
  return std::make_unique<HttplibServer>(limits);
}

}  // namespace velmora::net
