#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/net/transfer_client.h"

// A transfer client that keeps what it is asked in memory and fails where a test says. Posts
// are answered with `reply`; an FTP server is a set of directories ("" the login directory)
// holding files. Safe to use from several threads.
namespace velmora::testing {

class FakeTransferClient : public net::TransferClient {
 public:
  // One file stored on the fake FTP server.
  struct Upload {
    std::string host;
    long port = 0;
    std::string user;
    std::string directory;
    std::string name;
    std::string bytes;
    bool ascii = false;
  };

  net::HttpReply Post(const net::HttpPost& request) override;
  std::unique_ptr<net::FtpSession> ConnectFtp(const net::FtpLogin& login) override;

  // What the next transfers do.
  void Reply(net::HttpReply reply);
  // Every transfer fails at `stage` (nullopt: none fails).
  void FailAt(std::optional<net::TransferStage> stage);
  // Directories the FTP server has besides the login directory.
  void AddDirectory(const std::string& directory);
  // Puts a file on the FTP server of `host` (also listed by uploads()).
  void PlaceFile(const std::string& host, const std::string& directory, const std::string& name,
                 const std::string& bytes);

  std::vector<net::HttpPost> posts() const;
  std::vector<Upload> uploads() const;
  int logins() const;

 private:
  friend class FakeFtpSession;
  // Raises TransferError(number, stage) when transfers fail at `stage`.
  void MaybeFail(int32_t number, net::TransferStage stage) const;

  mutable std::mutex mutex_;
  net::HttpReply reply_{200, "OK", "OK"};
  std::optional<net::TransferStage> fail_at_;
  std::set<std::string> directories_{""};
  std::vector<net::HttpPost> posts_;
  std::vector<Upload> uploads_;
  int logins_ = 0;
};

}  // namespace velmora::testing
