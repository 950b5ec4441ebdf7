// FTP connections of the EDI exchange, with the error texts its operators know.
#include <string>
#include <utility>

#include "convert/edi_internal.h"
#include "core/env.h"
#include "core/transfer_limits.h"
#include "platform/net/transfer_client.h"

namespace velmora::edi {
namespace {

constexpr const char* kHidden = "********";
constexpr const char* kLineEnd = "\r\n";

}  // namespace

template <class Call>
decltype(auto) FtpConnection::Attempt(const char* command, const Arguments& arguments,
                                      Call&& call) {
  try {
    return std::forward<Call>(call)();
  } catch (const net::TransferError& failure) {
    std::string text = "Error '" + std::to_string(failure.library_code()) +
                       "' occured in the following WinInet command : " + command;
    for (const auto& [name, value] : arguments) {
      text += kLineEnd + std::string("\t") + name + "]=" + value;
    }
    text += kLineEnd + std::string("Using: ");
    text += kLineEnd + std::string("FTP Server    : '") + server_ + "'";
    text += kLineEnd + std::string("Port          : '") + std::to_string(port_) + "'";
    text += kLineEnd + std::string("TargetFolder  : '") + folder_ + "'";
    text += kLineEnd + std::string("UserID        : '") + user_ + "'";
    text += " - " + failure.description();
    throw Error(failure.number(), Path("FtpConnection"), text);
  }
}

FtpConnection::FtpConnection(std::string server, int32_t port, std::string user,
                             const std::string& password, std::string folder)
    : server_(std::move(server)),
      port_(port == 0 ? 21 : port),
      user_(std::move(user)),
      folder_(std::move(folder)) {
  Attempt("WinInet.InternetConnect",
          {{"lpszServerName", server_},
           {"nServerPort", std::to_string(port_)},
           {"lpszUserName", user_},
           {"lpszPassword", kHidden}},
          [&] {
            net::FtpLogin login;
            login.host = server_;
            login.port = port_;
            login.user = user_;
            login.password = password;
            login.limits = core::SiteTransferLimits();
            session_ = core::CurrentEnv().Transfer().ConnectFtp(login);
          });
  Attempt("WinInet.FtpSetCurrentDirectory", {{"lpszDirectory", folder_}},
          [&] { session_->ChangeDirectory(folder_); });
}

FtpConnection::~FtpConnection() = default;

std::vector<std::string> FtpConnection::List() {
  return Attempt("WinInet.FtpFindFirstFile", {{"lpszSearchFile", "*"}},
                 [&] { return session_->List(); });
}

bool FtpConnection::Exists(const std::string& name) {
  return Attempt("WinInet.FtpFindFirstFile", {{"lpszSearchFile", name}},
                 [&] { return session_->Exists(name); });
}

std::optional<DateTime> FtpConnection::ModifiedTime(const std::string& name) {
  return Attempt("WinInet.FtpFindFirstFile", {{"lpszSearchFile", name}},
                 [&] { return session_->ModifiedTime(name); });
}

void FtpConnection::Put(const std::string& local_name, const std::string& name,
                        const std::string& bytes, bool ascii) {
  Attempt("WinInet.FtpPutFile", {{"lpszLocalFile", local_name}, {"lpszNewRemoteFile", name}},
          [&] { session_->Put(name, bytes, ascii); });
}

void FtpConnection::Get(const std::string& name, const std::string& local_name,
                        const std::function<void(std::string_view)>& write) {
  Attempt("WinInet.FtpGetFile", {{"lpszRemoteFile", name}, {"lpszNewFile", local_name}},
          [&] { session_->Get(name, write); });
}

void FtpConnection::Delete(const std::string& name) {
  Attempt("WinInet.FtpDeleteFile", {{"lpszFileName", name}}, [&] { session_->Delete(name); });
}

}  // namespace velmora::edi
