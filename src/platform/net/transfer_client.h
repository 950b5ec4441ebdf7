#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/date_time.h"
#include "velmora/base/error.h"

// HTTP(S) form posts and FTP uploads to business partners: the transfers of the delivery
// transports, behind one interface that tests replace (tests/support/fake_transfer_client.h).
namespace velmora::net {

// Limits and trust of one transfer. Zero time-outs are not allowed: a stalled partner must
// fail its transfer, never hang the caller.
struct TransferLimits {
  long connect_timeout_ms = 30000;
  long timeout_ms = 300000;  // the whole transfer, reply included
  size_t max_reply_bytes = 16u * 1024u * 1024u;
  // PEM file of the certificate authorities trusted for TLS peers; "" for the system's.
  std::string ca_file;
  // FTP data connections: false (the default) opens them from this side's address given with
  // PORT (active mode); true asks the server for one (passive mode), for partners that cannot
  // connect back. (Passive uploads of libcurl 7.88 wait about a second for each data
  // connection.)
  bool ftp_passive = false;
};

// A proxy: "" for a direct connection (proxy variables of the environment are never used).
struct Proxy {
  std::string host;
  long port = -1;  // -1: the proxy's default port
};

// One HTTP POST of a form: HTTP/1.1, no "Expect: 100-continue".
struct HttpPost {
  bool secure = false;  // https: the peer's certificate and name are verified
  std::string host;
  long port = 80;
  std::string page;  // begins with "/"
  std::string content_type;
  std::string body;
  Proxy proxy;
  TransferLimits limits;
};

// The answer of the server, whatever its status.
struct HttpReply {
  long status = 0;
  std::string status_text;  // the reason phrase of the last status line ("Not Found")
  std::string body;
};

// Where a transfer failed; the callers name the step in their own messages.
enum class TransferStage {
  kConnect,    // connecting, TLS, proxy or FTP login
  kDirectory,  // changing the FTP directory
  kSend,       // sending the request or the file
  kReceive,    // reading the reply (time-out, too large, broken connection)
};

// The failure of a transfer: number PushByHTTPError or PushByFTPError, the transport's own
// reason as description, the stage at which it happened and the transport library's own error
// number (0 when the failure did not come from the library). Passwords never appear in it.
class TransferError : public Error {
 public:
  TransferError(int32_t number, TransferStage stage, std::string source, std::string reason,
                int32_t library_code = 0)
      : Error(number, std::move(source), std::move(reason)),
        stage_(stage),
        library_code_(library_code) {}
  TransferStage stage() const { return stage_; }
  int32_t library_code() const { return library_code_; }

 private:
  TransferStage stage_;
  int32_t library_code_;
};

// An FTP server and account. The password is used for the login only.
struct FtpLogin {
  std::string host;
  long port = 21;
  std::string user;
  std::string password;
  Proxy proxy;
  TransferLimits limits;
};

// One logged-in FTP connection. Not safe for concurrent use; the connection closes with the
// object. Every failure raises TransferError (PushByFTPError).
class FtpSession {
 public:
  virtual ~FtpSession() = default;
  // Makes `directory` (absolute, "/in/orders") the current directory; "" is the login
  // directory. Raises at stage kDirectory when the server refuses it.
  virtual void ChangeDirectory(const std::string& directory) = 0;
  // Stores `bytes` as the file `name` of the current directory, replacing one of that name;
  // `ascii` transfers as text (line ends as the server keeps them). `name` must be a plain
  // file name (no "/", not "." or ".."): anything else raises at stage kSend before any
  // transfer.
  virtual void Put(const std::string& name, const std::string& bytes, bool ascii) = 0;
  // Whether a name listing of the current directory holds `name` exactly.
  virtual bool Exists(const std::string& name) = 0;
  // The names of a name listing of the current directory, in the server's order ("." and ".."
  // when the server lists them). The names are the server's own: callers check each one before
  // they use it as a local name. A listing beyond limits.max_reply_bytes raises at kReceive.
  virtual std::vector<std::string> List() = 0;
  // Streams the file `name` of the current directory to `write`, chunk by chunk as it arrives;
  // nothing is kept in memory, so the size of a file is the caller's concern (EDI writes the
  // chunks to a local file). Binary transfer. `name` must be a plain file name without control
  // characters, else raises at kReceive before any transfer. An exception from `write` ends the
  // transfer and is raised as it is; other failures raise at kReceive.
  virtual void Get(const std::string& name, const std::function<void(std::string_view)>& write) = 0;
  // The time of the last change of the file `name` of the current directory as the server
  // reports it (MDTM), in this machine's local time; nullopt when the server does not say.
  // `name` as for Get; raises at kReceive.
  virtual std::optional<DateTime> ModifiedTime(const std::string& name) = 0;
  // Deletes the file `name` of the current directory. `name` as for Get; raises at kSend when
  // the name is refused or the server refuses the deletion.
  virtual void Delete(const std::string& name) = 0;
};

// Carries transfers. Implementations are safe to use from several threads at once; each call
// opens its own connection.
class TransferClient {
 public:
  virtual ~TransferClient() = default;
  // Posts the form. A status other than 200 is not a failure here: it comes back in the reply.
  // Raises TransferError (PushByHTTPError): kConnect or kSend before a status line arrived,
  // kReceive after (a reply beyond limits.max_reply_bytes included).
  virtual HttpReply Post(const HttpPost& request) = 0;
  // Connects and logs in; raises TransferError at stage kConnect.
  virtual std::unique_ptr<FtpSession> ConnectFtp(const FtpLogin& login) = 0;
};

// The transfer client over libcurl.
std::shared_ptr<TransferClient> NewCurlTransferClient();

}  // namespace velmora::net
