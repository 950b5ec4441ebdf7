// Incoming: the translator's files of a network's IN folder fetched into the first import
// folder; a file leaves the network only once its copy is complete.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/edi_internal.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/logged.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/core/file_handling.h"

namespace velmora::edi {
namespace {

constexpr const char* kStep = "moveFilesFromEDINetworkToB2B";

// `name` with control characters written as "\xNN", for log lines.
std::string Printable(const std::string& name) {
  std::string shown;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string XmlPath1Folder() {
  return core::Guarded(
      Path(kStep),
      [] {
        FileHandling files;
        const std::string folder = files.GetFolderName(EFolderType::XmlPath1Folder);
        if (!files.FolderExists(folder)) {
          files.CreateFolderTree(folder);
        }
        return folder;
      },
      [] { return Variant(std::string("Could not retrieve or create XMLPATH1 folder")); });
}

// The file of the import folder that receives `name`: its part before the first ".", "_",
// the network, "_", the time stamp, ".xml"; made unique within the folder.
std::string IncomingPath(const std::string& destination, const Network& network,
                         const std::string& name) {
  const std::string file = name.substr(0, name.find('.')) + "_" + network.id + "_" +
                           StampText(CurrentClock().Now()) + ".xml";
  return FileHandling().GetUniqueFileName(destination, file);
}

// The work name of a file being received: "~" in front of its name, which the folder import
// leaves alone.
std::string WorkPath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "~" + path
                                    : path.substr(0, slash + 1) + "~" + path.substr(slash + 1);
}

// Whether `name` may be fetched; a refused name is logged and stays on the network. A "~" name
// is a file still being written (and one the folder import would never take): it waits.
bool Acceptable(const std::string& name, const Network& network, Run& run) {
  ++run.report.found;
  if (!name.empty() && name.front() == '~') {
    ++run.report.left;
    return false;
  }
  if (IsSafeIncomingName(name)) {
    return true;
  }
  ++run.report.left;
  const std::string line = "Refused the file name '" + Printable(name) + "' in the IN folder of " +
                           "EDI Network '" + network.id + "': not a plain file name";
  core::LogWarning(Error(ErrNumber(EnumerationErrors::InvalidParamValue), Path(kStep), line),
                   Path(kStep));
  run.Warn(line);
  return false;
}

void WarnFile(Run& run, const std::string& source, const std::string& destination) {
  ++run.report.left;
  WarnFailure(run, kStep, "Error in moving file '" + source + "' to '" + destination + "'");
}

// Moves a file claimed under a work name back to the network, when there is one; a file that
// cannot be moved back stays under its work name and the failure is logged.
void PutBack(files::FileSystem& fs, const std::string& claimed, const std::string& source) {
  if (!claimed.empty()) {
    core::LogAndContinue(Path(kStep), [&] { fs.MoveFile(claimed, source); });
  }
}

void FromFolder(const Network& network, const std::string& folder, const std::string& destination,
                Run& run) {
  const std::unique_ptr<files::FileSystem> fs = core::NewSiteFileSystem();
  const DateTime list_time = CurrentClock().Now();
  for (const files::FolderEntry& entry : fs->List(folder)) {
    if (run.stop.stop_requested()) {
      return;
    }
    if (!entry.is_file || !Acceptable(entry.name, network, run)) {
      continue;
    }
    if (ChangedTooLate(entry.modified, list_time)) {
      ++run.report.left;
      continue;
    }
    const std::string source = JoinPath(folder, entry.name);
    std::string target = destination;
    std::string claimed;
    try {
      target = IncomingPath(destination, network, entry.name);
      const std::string work = WorkPath(target);
      fs->MoveFile(source, work);
      claimed = work;
      fs->MoveFile(work, target);
      ++run.report.moved;
    } catch (...) {
      WarnFile(run, source, target);
      PutBack(*fs, claimed, source);
    }
  }
}

void FromFtp(const Network& network, const FtpPlace& place, const std::string& destination,
             Run& run) {
  FtpConnection connection(place.server, network.ftp_port, network.ftp_user, network.ftp_password,
                           place.folder);
  const std::unique_ptr<files::FileSystem> fs = core::NewSiteFileSystem();
  const DateTime list_time = CurrentClock().Now();
  for (const std::string& name : connection.List()) {
    if (run.stop.stop_requested()) {
      return;
    }
    if (name == "." || name == ".." || !Acceptable(name, network, run)) {
      continue;
    }
    std::string target = destination;
    std::string work;
    try {
      const std::optional<DateTime> modified = connection.ModifiedTime(name);
      if (modified && ChangedTooLate(*modified, list_time)) {
        ++run.report.left;
        continue;
      }
      target = IncomingPath(destination, network, name);
      work = WorkPath(target);
      fs->WriteFile(work, "", files::WriteMode::kReplace);
      connection.Get(name, work, [&](std::string_view chunk) {
        fs->WriteFile(work, chunk, files::WriteMode::kAppend);
      });
      fs->MoveFile(work, target);
    } catch (...) {
      WarnFile(run, name, target);
      RemoveWorkFile(*fs, work);
      continue;
    }
    ++run.report.moved;
    try {
      connection.Delete(name);
    } catch (...) {
      WarnFailure(run, kStep,
                  "The file '" + name + "' was fetched to '" + target +
                      "' but could not be deleted on the server; it will be fetched again");
    }
  }
}

}  // namespace

void MoveFilesFromEDINetworkToB2B(const Network& network, Run& run) {
  std::string source;
  std::string destination;
  std::string server;
  core::Guarded(
      Path(kStep),
      [&] {
        destination = XmlPath1Folder();
        if (network.protocol == kFileProtocol) {
          source = JoinPath(network.root, network.in_folder);
          FromFolder(network, source, destination, run);
        } else if (network.protocol == kFtpProtocol) {
          const FtpPlace place = ReadServerAndFolderFromFTPAddress(network.root, network.in_folder);
          source = place.folder;
          server = place.server;
          FromFtp(network, place, destination, run);
        } else {
          RaiseError(EnumerationErrors::InvalidParamValue, Path(kStep),
                     "Unknown protocol: " + std::to_string(network.protocol));
        }
      },
      [&] {
        const std::string end = "\r\n";
        return Variant("Error in moving files to Collaboration for : " + end +
                       "EDI Network       : " + network.id + end + "Source Folder     : " + source +
                       end + "Destination Folder: " + destination + end + "Protocol          : " +
                       std::to_string(network.protocol) + end + "FTP Server        : " + server +
                       end + "FTP Server Port   : " + std::to_string(network.ftp_port) + end +
                       "User              : " + network.ftp_user);
      });
}

}  // namespace velmora::edi
