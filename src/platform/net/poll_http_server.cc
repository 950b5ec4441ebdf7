#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <list>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/net/http_server.h"
#include "platform/net/request_head.h"
#include "velmora/base/error.h"

namespace velmora::net {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kErrAddressInUse = 10048;
constexpr auto kDrainTime = std::chrono::seconds(2);

// Owns one file descriptor.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }

  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }

 private:
  int fd_ = -1;
};

std::string ReasonPhrase(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 408:
      return "Request Timeout";
    case 413:
      return "Payload Too Large";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

std::string JsonError(int status, const std::string& message) {
  std::string escaped;
  for (char c : message) {
    if (c == '"' || c == '\\') {
      escaped += '\\';
    }
    escaped += c;
  }
  return "{\"error\": {\"number\": " + std::to_string(status) +
         ", \"source\": \"velmora serve\", \"description\": \"" + escaped + "\"}}";
}

std::string Format(const HttpResponse& response) {
  return "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) +
         "\r\nContent-Type: " + response.content_type +
         "\r\nContent-Length: " + std::to_string(response.body.size()) +
         "\r\nConnection: close\r\n\r\n" + response.body;
}

HttpResponse ErrorReply(int status, const std::string& reason) {
  return HttpResponse{status, "application/json", JsonError(status, reason)};
}

// Writes all of `data` to a socket in blocking mode, each send bounded by the socket's send
// time-out. Returns false when the peer is gone or too slow.
bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// One request being read, or a refused one whose remaining input is drained before closing
// (so that the peer reads the refusal instead of a reset).
struct Connection {
  enum class State { kHead, kBody, kDraining };
  Fd fd;
  State state = State::kHead;
  std::string buffer;
  size_t scanned = 0;
  size_t head_end = 0;
  RequestHead head;
  Clock::time_point started;
  Clock::time_point deadline;
};

struct Job {
  Fd fd;
  HttpRequest request;
};

// What the reader and the workers share; workers that outlive Serve keep it alive.
struct WorkQueue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Job> jobs;
  size_t running_workers = 0;
  bool closing = false;
};

void RunWorker(std::shared_ptr<WorkQueue> queue, std::shared_ptr<HttpServer::Handler> handler,
               int write_timeout_seconds) {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(queue->mutex);
      queue->changed.wait(lock, [&] { return queue->closing || !queue->jobs.empty(); });
      if (queue->closing) {
        break;
      }
      job = std::move(queue->jobs.front());
      queue->jobs.pop_front();
    }
    HttpResponse response;
    try {
      response = (*handler)(job.request);
    } catch (...) {
      response = ErrorReply(500, "The call failed unexpectedly");
    }
    const int flags = ::fcntl(job.fd.get(), F_GETFL);
    ::fcntl(job.fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    timeval timeout{write_timeout_seconds, 0};
    ::setsockopt(job.fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    WriteAll(job.fd.get(), Format(response));
  }
  std::lock_guard lock(queue->mutex);
  --queue->running_workers;
  queue->changed.notify_all();
}

class PollHttpServer : public HttpServer {
 public:
  explicit PollHttpServer(const HttpServerLimits& limits) : limits_(limits) {
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      wake_read_ = Fd(pipe_fds[0]);
      wake_write_ = Fd(pipe_fds[1]);
    }
  }

  int Bind(const std::string& host, int port) override {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int resolved = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) {
      Refuse(host, port, ::gai_strerror(resolved));
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    std::string reason = "cannot bind";
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
      Fd socket(::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                         address->ai_protocol));
      int yes = 1;
      ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
      if (socket.get() >= 0 && ::bind(socket.get(), address->ai_addr, address->ai_addrlen) == 0 &&
          ::listen(socket.get(), SOMAXCONN) == 0) {
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&bound), &length);
        listener_ = std::move(socket);
        return ntohs(bound.ss_family == AF_INET6
                         ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                         : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
      }
      reason = std::strerror(errno);
    }
    Refuse(host, port, reason);
  }

  bool Serve(const std::string& path, Handler handler) override {
    path_ = path;
    auto shared_handler = std::make_shared<Handler>(std::move(handler));
    queue_->running_workers = limits_.workers;
    std::vector<std::thread> workers;
    for (size_t i = 0; i < limits_.workers; ++i) {
      workers.emplace_back(RunWorker, queue_, shared_handler, limits_.write_timeout_seconds);
    }
    ReadRequests();
    connections_.clear();
    listener_.Reset();
    return StopWorkers(workers);
  }

  void Stop() override {
    stopping_ = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_write_.get(), &byte, 1);
  }

 private:
  [[noreturn]] static void Refuse(const std::string& host, int port, const std::string& reason) {
    throw Error(kErrAddressInUse, "velmora serve",
                "Cannot listen on " + host + ":" + std::to_string(port) + ": " + reason);
  }

  // The reading loop: reads heads and bodies of every connection at once, hands
  // complete requests to the workers and refuses the rest, until Stop().
  void ReadRequests() {
    std::vector<pollfd> polled;
    std::vector<Connection*> polled_connections;
    while (!stopping_) {
      polled.assign({pollfd{wake_read_.get(), POLLIN, 0}, pollfd{listener_.get(), POLLIN, 0}});
      polled_connections.assign(2, nullptr);
      for (Connection& connection : connections_) {
        polled.push_back(pollfd{connection.fd.get(), POLLIN, 0});
        polled_connections.push_back(&connection);
      }
      ::poll(polled.data(), polled.size(), WaitMilliseconds());
      for (size_t i = 2; i < polled.size(); ++i) {
        if (polled[i].revents != 0) {
          ReadFrom(*polled_connections[i]);
        }
      }
      ExpireAndDispatch();
      if (polled[1].revents & POLLIN) {
        AcceptAll();
      }
    }
  }

  int WaitMilliseconds() const {
    auto wait = std::chrono::milliseconds(1000);
    const auto now = Clock::now();
    for (const Connection& connection : connections_) {
      wait = std::min(
          wait, std::chrono::duration_cast<std::chrono::milliseconds>(connection.deadline - now));
    }
    return static_cast<int>(std::max<int64_t>(wait.count(), 0) + 1);
  }

  void AcceptAll() {
    for (;;) {
      Fd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
      if (fd.get() < 0) {
        return;
      }
      if (connections_.size() >= limits_.max_open_connections) {
        connections_.erase(std::min_element(
            connections_.begin(), connections_.end(),
            [](const Connection& a, const Connection& b) { return a.started < b.started; }));
      }
      Connection& connection = connections_.emplace_back();
      connection.fd = std::move(fd);
      connection.started = Clock::now();
      connection.deadline = connection.started + std::chrono::seconds(limits_.head_timeout_seconds);
    }
  }

  void ReadFrom(Connection& connection) {
    char chunk[16384];
    if (connection.fd.get() < 0) {
      return;
    }
    for (;;) {
      const ssize_t n = ::recv(connection.fd.get(), chunk, sizeof chunk, 0);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
          connection.fd.Reset();
        }
        return;
      }
      if (n == 0) {
        EndOfInput(connection);
        return;
      }
      if (connection.state == Connection::State::kDraining) {
        continue;
      }
      connection.buffer.append(chunk, static_cast<size_t>(n));
      if (!Progress(connection)) {
        return;
      }
    }
  }

  // The peer closed its side: a request it did not finish is refused.
  void EndOfInput(Connection& connection) {
    if (connection.state == Connection::State::kDraining) {
      connection.fd.Reset();
    } else if (connection.state == Connection::State::kBody) {
      Answer(connection, 400, "The request ended before the body its Content-Length announced");
    } else {
      connection.fd.Reset();
    }
  }

  // Moves a connection on after new input; returns false once it needs no more reading.
  bool Progress(Connection& connection) {
    if (connection.state == Connection::State::kHead) {
      connection.head_end = FindHeadEnd(connection.buffer, connection.scanned);
      connection.scanned = connection.buffer.size();
      if (connection.head_end == 0) {
        if (connection.buffer.size() > limits_.max_head_bytes) {
          Answer(connection, 431, "The request head is too large");
          return false;
        }
        return true;
      }
      if (!AcceptHead(connection)) {
        return false;
      }
    }
    return connection.state == Connection::State::kBody && !BodyComplete(connection);
  }

  bool AcceptHead(Connection& connection) {
    if (connection.head_end > limits_.max_head_bytes) {
      Answer(connection, 431, "The request head is too large");
      return false;
    }
    const HeadVerdict verdict = ParseRequestHead(
        std::string_view(connection.buffer).substr(0, connection.head_end), connection.head);
    const RequestHead& head = connection.head;
    if (verdict.status != 0) {
      Answer(connection, verdict.status, verdict.reason);
    } else if (head.method != "POST" || head.path != path_) {
      Answer(connection, 404, "Not found: the service answers POST " + path_ + " only");
    } else if (head.content_length < 0) {
      Answer(connection, 400, "A Content-Length is required");
    } else if (static_cast<uint64_t>(head.content_length) > limits_.max_body_bytes) {
      Answer(connection, 413,
             "Request too large: the body may hold " + std::to_string(limits_.max_body_bytes) +
                 " bytes");
    } else {
      connection.state = Connection::State::kBody;
      connection.deadline = Clock::now() + std::chrono::seconds(limits_.body_timeout_seconds);
      if (head.expect_continue && !BodyComplete(connection)) {
        static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
        ::send(connection.fd.get(), kContinue.data(), kContinue.size(), MSG_NOSIGNAL);
      }
      return true;
    }
    return false;
  }

  bool BodyComplete(const Connection& connection) const {
    return connection.buffer.size() - connection.head_end >=
           static_cast<size_t>(connection.head.content_length);
  }

  // Sends a refusal without waiting for the peer, then drains what it still sends.
  void Answer(Connection& connection, int status, const std::string& reason) {
    const std::string reply = Format(ErrorReply(status, reason));
    ::send(connection.fd.get(), reply.data(), reply.size(), MSG_NOSIGNAL);
    ::shutdown(connection.fd.get(), SHUT_WR);
    connection.state = Connection::State::kDraining;
    connection.buffer.clear();
    connection.deadline = Clock::now() + kDrainTime;
  }

  // Refuses requests past their time, queues complete ones and forgets closed connections.
  void ExpireAndDispatch() {
    const auto now = Clock::now();
    for (auto it = connections_.begin(); it != connections_.end();) {
      Connection& connection = *it;
      if (connection.fd.get() >= 0 && now >= connection.deadline) {
        if (connection.state == Connection::State::kDraining) {
          connection.fd.Reset();
        } else {
          Answer(connection, 408, "The request did not arrive in time");
        }
      }
      if (connection.fd.get() >= 0 && connection.state == Connection::State::kBody &&
          BodyComplete(connection)) {
        Dispatch(connection);
      }
      it = connection.fd.get() < 0 ? connections_.erase(it) : std::next(it);
    }
  }

  void Dispatch(Connection& connection) {
    const RequestHead& head = connection.head;
    Job job{std::move(connection.fd),
            HttpRequest{head.method, head.path, head.authorization, head.content_type,
                        connection.buffer.substr(connection.head_end,
                                                 static_cast<size_t>(head.content_length))}};
    std::unique_lock lock(queue_->mutex);
    if (queue_->jobs.size() >= limits_.max_pending_requests) {
      lock.unlock();
      connection.fd = std::move(job.fd);
      Answer(connection, 503, "The service is busy; try again");
      return;
    }
    queue_->jobs.push_back(std::move(job));
    queue_->changed.notify_one();
  }

  // Drops requests that no worker has begun, lets the running handlers finish within the
  // grace time and joins their threads; detaches them when they do not.
  bool StopWorkers(std::vector<std::thread>& workers) {
    bool finished = false;
    {
      std::unique_lock lock(queue_->mutex);
      queue_->closing = true;
      queue_->jobs.clear();
      queue_->changed.notify_all();
      finished = queue_->changed.wait_for(lock, std::chrono::seconds(limits_.stop_grace_seconds),
                                          [&] { return queue_->running_workers == 0; });
    }
    for (std::thread& worker : workers) {
      if (finished) {
        worker.join();
      } else {
        worker.detach();
      }
    }
    return finished;
  }

  HttpServerLimits limits_;
  Fd listener_;
  Fd wake_read_;
  Fd wake_write_;
  std::atomic<bool> stopping_ = false;
  std::string path_;
  std::list<Connection> connections_;
  std::shared_ptr<WorkQueue> queue_ = std::make_shared<WorkQueue>();
};

}  // namespace

std::unique_ptr<HttpServer> NewHttpServer(const HttpServerLimits& limits) {
  return std::make_unique<PollHttpServer>(limits);
}

}  // namespace velmora::net
