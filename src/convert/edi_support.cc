// The network row, names, paths and times of the EDI exchange.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "convert/edi_internal.h"
#include "core/general.h"
#include "core/logged.h"
#include "core/secrets.h"
#include "platform/files/file_system.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/db/recordset.h"

namespace velmora::edi {
namespace {

std::string TextField(const db::Recordset& row, const char* column) {
  const Variant value = row.Field(column);
  return value.IsNull() || value.IsEmpty() ? std::string() : value.ToText();
}

int32_t NumberField(const db::Recordset& row, const char* column) {
  const Variant value = row.Field(column);
  return value.IsNull() || value.IsEmpty() ? 0 : value.ToInt32();
}

std::string TrimSlashes(const std::string& text) {
  const size_t first = text.find_first_not_of('/');
  if (first == std::string::npos) {
    return "";
  }
  return text.substr(first, text.find_last_not_of('/') - first + 1);
}

}  // namespace

int64_t Seconds(const DateTime& time) {
  const std::chrono::sys_days day = std::chrono::year_month_day(
      std::chrono::year(time.year), std::chrono::month(static_cast<unsigned>(time.month)),
      std::chrono::day(static_cast<unsigned>(time.day)));
  return static_cast<int64_t>(day.time_since_epoch().count()) * 86400 + time.hour * 3600 +
         time.minute * 60 + time.second;
}

Network ReadNetwork(const db::Recordset& row) {
  Network network;
  network.id = TextField(row, "NETWORKID");
  network.use_semaphore = NumberField(row, "USESEMAPHORE") != 0;
  network.start_file = TextField(row, "STARTFILE");
  network.stop_file = TextField(row, "STOPFILE");
  network.semaphore = TextField(row, "SEMAPHORE");
  network.root = TextField(row, "ROOTFOLDER");
  network.com_folder = TextField(row, "COMFOLDER");
  network.out_folder = TextField(row, "OUTFOLDER");
  network.in_folder = TextField(row, "INFOLDER");
  network.protocol = NumberField(row, "PROTOCOL");
  network.ftp_port = NumberField(row, "FTPPORT");
  network.ftp_user = TextField(row, "FTPUSERID");
  network.ftp_password = core::UnsealSecret(TextField(row, "FTPPASSWORD"), "Velmora.EDI");
  network.ftp_transfer_type = NumberField(row, "FTPTRANSFERTYPE");
  network.temp_folder = TextField(row, "TEMPFOLDER");
  return network;
}

std::string Path(std::string_view step) { return "Velmora.EDI." + std::string(step); }

void WarnFailure(Run& run, std::string_view step, const std::string& info) {
  Error error;
  try {
    throw;
  } catch (const Error& failure) {
    error = failure;
  } catch (const std::exception& failure) {
    error = Error(kErrUnexpected, Path(step), failure.what());
  }
  const core::Info logged = info.empty() ? core::Info() : core::Info(Variant(info));
  core::LogWarning(error, Path(step), logged);
  run.Warn(Path(step) + ": " + (info.empty() ? "" : info + ": ") + error.description());
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') {
    return folder + name;
  }
  return folder + "\\" + name;
}

void RemoveWorkFile(files::FileSystem& fs, const std::string& path) {
  if (!path.empty()) {
    core::LogAndContinue(Path("RemoveWorkFile"), [&] {
      if (fs.FileExists(path)) {
        fs.DeleteFile(path);
      }
    });
  }
}

std::string StampText(const DateTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d-%02d-%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

bool ChangedTooLate(const DateTime& modified, const DateTime& run_time) {
  return Seconds(modified) > Seconds(run_time) - 2;
}

bool IsSafeIncomingName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find("..") != std::string::npos) {
    return false;
  }
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':';
  });
}

FtpPlace ReadServerAndFolderFromFTPAddress(const std::string& address,
                                           const std::string& sub_folder) {
  if (!text::IStartsWith(address, "ftp://")) {
    RaiseError(EnumerationErrors::InValidFileFormat, Path("readServerAndFolderFromFTPAddress"),
               "Invalid FTP folder " + address);
  }
  FtpPlace place;
  const size_t slash = address.find('/', 6);
  place.server = address.substr(6, slash == std::string::npos ? std::string::npos : slash - 6);
  std::string sub = sub_folder;
  std::replace(sub.begin(), sub.end(), '\\', '/');
  const std::string rest = slash == std::string::npos ? "" : address.substr(slash);
  const std::string base = TrimSlashes(rest);
  const std::string tail = TrimSlashes(sub);
  const std::string lead = rest.empty() ? "" : "/";
  place.folder = base.empty() ? lead + tail : lead + base + (tail.empty() ? "" : "/" + tail);
  return place;
}

}  // namespace velmora::edi
