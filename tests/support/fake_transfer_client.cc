#include "support/fake_transfer_client.h"

#include <algorithm>

#include "velmora/base/enumeration_errors.h"

namespace velmora::testing {

class FakeFtpSession : public net::FtpSession {
 public:
  FakeFtpSession(FakeTransferClient& client, net::FtpLogin login)
      : client_(client), login_(std::move(login)) {}

  void ChangeDirectory(const std::string& directory) override {
    client_.MaybeFail(Number(), net::TransferStage::kDirectory);
    std::lock_guard<std::mutex> lock(client_.mutex_);
    if (client_.directories_.count(directory) == 0) {
      throw net::TransferError(Number(), net::TransferStage::kDirectory, "FakeFtp",
                               "550 No such directory: " + directory);
    }
    directory_ = directory;
  }

  void Put(const std::string& name, const std::string& bytes, bool ascii) override {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string::npos) {
      throw net::TransferError(Number(), net::TransferStage::kSend, "FakeFtp",
                               "not a plain file name: " + name);
    }
    client_.MaybeFail(Number(), net::TransferStage::kSend);
    std::lock_guard<std::mutex> lock(client_.mutex_);
    client_.uploads_.push_back(
        {login_.host, login_.port, login_.user, directory_, name, bytes, ascii});
  }

  bool Exists(const std::string& name) override {
    client_.MaybeFail(Number(), net::TransferStage::kReceive);
    std::lock_guard<std::mutex> lock(client_.mutex_);
    for (const auto& upload : client_.uploads_) {
      if (upload.host == login_.host && upload.directory == directory_ && upload.name == name) {
        return true;
      }
    }
    return false;
  }

  std::vector<std::string> List() override {
    client_.MaybeFail(Number(), net::TransferStage::kReceive);
    std::lock_guard<std::mutex> lock(client_.mutex_);
    std::vector<std::string> names{".", ".."};
    for (const auto& upload : client_.uploads_) {
      if (upload.host == login_.host && upload.directory == directory_) {
        names.push_back(upload.name);
      }
    }
    return names;
  }

  void Get(const std::string& name, const std::function<void(std::string_view)>& write) override {
    client_.MaybeFail(Number(), net::TransferStage::kReceive);
    std::string bytes;
    {
      std::lock_guard<std::mutex> lock(client_.mutex_);
      auto found = Find(name);
      if (found == client_.uploads_.end()) {
        throw net::TransferError(Number(), net::TransferStage::kReceive, "FakeFtp",
                                 "550 No such file: " + name, 78);
      }
      bytes = found->bytes;
    }
    write(bytes);
  }

  std::optional<DateTime> ModifiedTime(const std::string&) override {
    client_.MaybeFail(Number(), net::TransferStage::kReceive);
    return std::nullopt;
  }

  void Delete(const std::string& name) override {
    client_.MaybeFail(Number(), net::TransferStage::kSend);
    std::lock_guard<std::mutex> lock(client_.mutex_);
    auto found = Find(name);
    if (found == client_.uploads_.end()) {
      throw net::TransferError(Number(), net::TransferStage::kSend, "FakeFtp",
                               "550 No such file: " + name, 21);
    }
    client_.uploads_.erase(found);
  }

 private:
  // REQUIRES: the client's mutex held.
  std::vector<FakeTransferClient::Upload>::iterator Find(const std::string& name) {
    return std::find_if(client_.uploads_.begin(), client_.uploads_.end(), [&](const auto& upload) {
      return upload.host == login_.host && upload.directory == directory_ && upload.name == name;
    });
  }

  static int32_t Number() { return ErrNumber(EnumerationErrors::PushByFTPError); }

  FakeTransferClient& client_;
  net::FtpLogin login_;
  std::string directory_;
};

net::HttpReply FakeTransferClient::Post(const net::HttpPost& request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posts_.push_back(request);
  }
  for (auto stage :
       {net::TransferStage::kConnect, net::TransferStage::kSend, net::TransferStage::kReceive}) {
    MaybeFail(ErrNumber(EnumerationErrors::PushByHTTPError), stage);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  return reply_;
}

std::unique_ptr<net::FtpSession> FakeTransferClient::ConnectFtp(const net::FtpLogin& login) {
  MaybeFail(ErrNumber(EnumerationErrors::PushByFTPError), net::TransferStage::kConnect);
  std::lock_guard<std::mutex> lock(mutex_);
  ++logins_;
  return std::make_unique<FakeFtpSession>(*this, login);
}

void FakeTransferClient::Reply(net::HttpReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  reply_ = std::move(reply);
}

void FakeTransferClient::FailAt(std::optional<net::TransferStage> stage) {
  std::lock_guard<std::mutex> lock(mutex_);
  fail_at_ = stage;
}

void FakeTransferClient::AddDirectory(const std::string& directory) {
  std::lock_guard<std::mutex> lock(mutex_);
  directories_.insert(directory);
}

void FakeTransferClient::PlaceFile(const std::string& host, const std::string& directory,
                                   const std::string& name, const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  uploads_.push_back({host, 0, "", directory, name, bytes, false});
}

std::vector<net::HttpPost> FakeTransferClient::posts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return posts_;
}

std::vector<FakeTransferClient::Upload> FakeTransferClient::uploads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return uploads_;
}

int FakeTransferClient::logins() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return logins_;
}

void FakeTransferClient::MaybeFail(int32_t number, net::TransferStage stage) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fail_at_ == stage) {
    throw net::TransferError(number, stage, "FakeTransferClient", "injected failure");
  }
}

}  // namespace velmora::testing
