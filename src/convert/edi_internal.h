#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/date_time.h"
#include "velmora/core/job_run.h"

namespace velmora::db {
class Recordset;
}
namespace velmora::files {
class FileSystem;
}
namespace velmora::net {
class FtpSession;
}

// The steps of Velmora.EDI, shared by its files.
namespace velmora::edi {

inline constexpr int32_t kFileProtocol = 30;
inline constexpr int32_t kFtpProtocol = 40;
inline constexpr int32_t kAsciiTransfer = 10;

// One row of EDINETWORK.
struct Network {
  std::string id;
  bool use_semaphore = false;
  std::string start_file;
  std::string stop_file;
  std::string semaphore;
  std::string root;
  std::string com_folder;
  std::string out_folder;
  std::string in_folder;
  int32_t protocol = 0;
  int32_t ftp_port = 0;
  std::string ftp_user;
  std::string ftp_password;
  int32_t ftp_transfer_type = 0;
  std::string temp_folder;
};

Network ReadNetwork(const db::Recordset& row);

// What one run shares between its steps.
struct Run {
  JobRunReport& report;
  std::stop_token stop;
  // Adds `line` to the report's warnings.
  void Warn(std::string line) { report.warnings.push_back(std::move(line)); }
};

// The EDI path of one step: "Velmora.EDI." + `step`.
std::string Path(std::string_view step);

// Logs the error in flight as a warning under the path of `step`, with `info` when it is not
// empty, and adds a line naming it to the run's warnings. REQUIRES: called inside a catch block.
void WarnFailure(Run& run, std::string_view step, const std::string& info = "");

// `folder` + "\" + `name`, without doubling a separator at the end of `folder`.
std::string JoinPath(const std::string& folder, const std::string& name);

// Removes a work file ("~" name, or a log of a batch not sent) when it is there. One that
// cannot be removed is left and logged: it is never merged or imported, and the next run
// replaces it.
void RemoveWorkFile(files::FileSystem& fs, const std::string& path);

// "yyyy-mm-dd-hh-mm-ss".
std::string StampText(const DateTime& time);

// Seconds since 1970-01-01 00:00:00 of a date and time of the same zone.
int64_t Seconds(const DateTime& time);

// Whether a file last changed at `modified` must wait for a later run that looks at its folder
// at `run_time`: changed within two seconds before `run_time`, or later.
bool ChangedTooLate(const DateTime& modified, const DateTime& run_time);

// Whether `name` from a listing of a network can be used as a local file name: not empty, not
// "." or "..", no separator, no control character.
bool IsSafeIncomingName(const std::string& name);

// The server and folder of an FTP root "ftp://server/folder" joined with `sub_folder`.
struct FtpPlace {
  std::string server;
  std::string folder;
};
FtpPlace ReadServerAndFolderFromFTPAddress(const std::string& address,
                                           const std::string& sub_folder);

// A logged-in FTP connection whose current directory is `folder`. Every failure raises with
// the description of the call that failed, the arguments given (the password as "********"),
// the server, port, folder and user, and the transfer library's reason.
class FtpConnection {
 public:
  FtpConnection(std::string server, int32_t port, std::string user, const std::string& password,
                std::string folder);
  ~FtpConnection();
  FtpConnection(const FtpConnection&) = delete;
  FtpConnection& operator=(const FtpConnection&) = delete;

  std::vector<std::string> List();
  bool Exists(const std::string& name);
  std::optional<DateTime> ModifiedTime(const std::string& name);
  void Put(const std::string& local_name, const std::string& name, const std::string& bytes,
           bool ascii);
  void Get(const std::string& name, const std::string& local_name,
           const std::function<void(std::string_view)>& write);
  void Delete(const std::string& name);

 private:
  using Arguments = std::vector<std::pair<std::string, std::string>>;
  template <class Call>
  decltype(auto) Attempt(const char* command, const Arguments& arguments, Call&& call);

  std::string server_;
  int32_t port_;
  std::string user_;
  std::string folder_;
  std::unique_ptr<net::FtpSession> session_;
};

// The semaphore handshake in the command folder: whether the network may be exchanged with
// now (creating the start file when the network waits for it).
bool CommunicationAllowed(const Network& network);
// Removes the semaphore file from the command folder.
void RemoveSemaphoreFile(const Network& network);

// The outgoing and incoming halves of one exchange.
void MoveFilesFromB2BToEDINetwork(const Network& network, Run& run);
void MoveFilesFromEDINetworkToB2B(const Network& network, Run& run);

}  // namespace velmora::edi
