#include "support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace velmora::testing {
namespace {

std::string Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

int BindLoopback(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    throw std::runtime_error("socket failed");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    throw std::runtime_error("bind failed");
  }
  socklen_t length = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(std::map<std::string, Route> routes)
    : routes_(std::move(routes)) {
  listener_ = BindLoopback(port_);
  if (::listen(listener_, 16) != 0) {
    ::close(listener_);
    throw std::runtime_error("listen failed");
  }
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackHttpServer::requested_paths() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requested_;
}

void LoopbackHttpServer::Serve() {
  while (!stop_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) {
      continue;
    }
    int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      continue;
    }
    Answer(connection);
    ::close(connection);
  }
}

void LoopbackHttpServer::Answer(int connection) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    pollfd waiting{connection, POLLIN, 0};
    if (::poll(&waiting, 1, 2000) <= 0) {
      return;
    }
    ssize_t count = ::recv(connection, buffer, sizeof(buffer), 0);
    if (count <= 0) {
      return;
    }
    request.append(buffer, static_cast<size_t>(count));
  }
  size_t start = request.find(' ');
  size_t end = start == std::string::npos ? start : request.find(' ', start + 1);
  std::string path =
      end == std::string::npos ? std::string("/") : request.substr(start + 1, end - start - 1);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requested_.push_back(path);
  }
  Route route;
  auto found = routes_.find(path);
  if (found != routes_.end()) {
    route = found->second;
  } else {
    route.status = 404;
    route.body = "not found";
    route.content_type = "text/plain";
  }
  std::string reply = "HTTP/1.1 " + std::to_string(route.status) + " " + Reason(route.status) +
                      "\r\nContent-Type: " + route.content_type +
                      "\r\nContent-Length: " + std::to_string(route.body.size()) +
                      "\r\nConnection: close\r\n";
  if (!route.location.empty()) {
    reply += "Location: " + route.location + "\r\n";
  }
  reply += "\r\n" + route.body;
  size_t sent = 0;
  while (sent < reply.size()) {
    ssize_t count = ::send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) {
      return;
    }
    sent += static_cast<size_t>(count);
  }
}

int UnusedLoopbackPort() {
  int port = 0;
  int fd = BindLoopback(port);
  ::close(fd);
  return port;
}

}  // namespace velmora::testing
