// Outgoing: the message files of each drop folder merged into one batch and handed to the
// network's OUT folder; the messages are deleted only after the batch has arrived.
#include <memory>
#include <string>
#include <vector>

#include "convert/edi_internal.h"
#include "core/file_service.h"
#include "core/general.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/base/text_encoding.h"
#include "velmora/core/file_handling.h"

namespace velmora::edi {
namespace {

constexpr const char* kTakeCare =
    "TAKE CARE: if individual EDI message files cannot "
    "be removed, you risk that they are sent again to "
    "the backend; Please, solve this problem as soon as possible!";

// One batch being built: the merge folder's messages appended to `batch`, their names to `log`.
struct Batch {
  std::string name;
  std::string folder;
  std::string batch;
  std::string log;
  bool unicode = false;
  DateTime run_time;
  std::vector<std::string> merged;
};

// The bytes a message adds to the batch: as they are for a single-byte batch; for a Unicode
// batch UTF-16LE without byte-order mark (a UTF-16LE file as it is, other text decoded first).
std::string BatchBytes(const std::string& bytes, bool unicode) {
  if (!unicode) {
    return bytes;
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    return bytes.substr(2);
  }
  return text::Utf8ToUtf16Le(text::DecodeTextFile(bytes), false);
}

// A message the EDI send method is still writing has a "~" name for moments; one that keeps it
// for an hour was left by a write that never finished and is never sent on its own.
void WarnIfAbandoned(const std::string& path, const DateTime& modified, const DateTime& run_time,
                     Run& run) {
  if (Seconds(run_time) - Seconds(modified) < 3600) {
    return;
  }
  const std::string line = "The message file '" + path +
                           "' has kept its \"~\" name for more than an hour; it is not sent";
  core::LogWarning(Error(ErrNumber(EnumerationErrors::FileError), Path("mergeFilesInFolder"), line),
                   Path("mergeFilesInFolder"));
  run.Warn(line);
}

void MergeFilesInFolder(files::FileSystem& fs, const std::string& folder, bool top, Batch& batch,
                        Run& run) {
  for (const files::FolderEntry& entry : fs.List(folder)) {
    const std::string path = JoinPath(folder, entry.name);
    if (!entry.is_file) {
      MergeFilesInFolder(fs, path, false, batch, run);
      continue;
    }
    const bool marker = top && (entry.name == "ASCII" || entry.name == "Unicode");
    if (marker || path == batch.batch || path == batch.log) {
      continue;
    }
    if (entry.name.front() == '~') {
      WarnIfAbandoned(path, entry.modified, batch.run_time, run);
      continue;
    }
    ++run.report.found;
    if (ChangedTooLate(entry.modified, batch.run_time)) {
      ++run.report.left;
      continue;
    }
    fs.WriteFile(batch.batch, BatchBytes(fs.ReadFile(path), batch.unicode),
                 files::WriteMode::kAppend);
    fs.WriteFile(batch.log, path + "\r\n", files::WriteMode::kAppend);
    batch.merged.push_back(path);
  }
}

// Hands the batch file to the OUT folder under the batch's name; never over an existing file.
void TransferBatch(const Network& network, files::FileSystem& fs, const Batch& batch) {
  if (network.protocol == kFileProtocol) {
    fs.MoveFile(batch.batch, JoinPath(JoinPath(network.root, network.out_folder), batch.name));
    return;
  }
  if (network.protocol != kFtpProtocol) {
    RaiseError(EnumerationErrors::InvalidParamValue, Path("moveFilesFromB2BToEDINetwork"),
               "Unknown protocol: " + std::to_string(network.protocol));
  }
  const FtpPlace place = ReadServerAndFolderFromFTPAddress(network.root, network.out_folder);
  FtpConnection connection(place.server, network.ftp_port, network.ftp_user, network.ftp_password,
                           place.folder);
  if (connection.Exists(batch.name)) {
    RaiseError(EnumerationErrors::PushByFTPError, Path("moveFilesFromB2BToEDINetwork"),
               "The OUT folder still holds a file '" + batch.name + "'");
  }
  connection.Put(batch.batch, batch.name, fs.ReadFile(batch.batch),
                 network.ftp_transfer_type == kAsciiTransfer);
}

void DeleteMergedFiles(files::FileSystem& fs, const Batch& batch, Run& run) {
  for (const std::string& path : batch.merged) {
    try {
      fs.DeleteFile(path);
    } catch (const Error& failure) {
      const std::string info = "Could not delete file '" + path + "'\r\n" +
                               "Error description: " + failure.description() + "\r\n" + kTakeCare;
      try {
        throw;
      } catch (...) {
        WarnFailure(run, "moveFilesFromB2BToEDINetwork", info);
      }
    }
  }
}

void SendBatch(const Network& network, files::FileSystem& fs, const std::string& messages,
               const std::string& name, Run& run) {
  Batch batch;
  batch.name = name;
  batch.folder = JoinPath(messages, name);
  batch.run_time = CurrentClock().Now();
  batch.unicode = fs.FileExists(JoinPath(batch.folder, "Unicode"));
  batch.batch = JoinPath(batch.folder, "~" + name);
  const std::string log_folder = JoinPath(network.temp_folder, "Log");
  FileHandling files;
  if (!files.FolderExists(log_folder)) {
    files.CreateFolderTree(log_folder);
  }
  batch.log = JoinPath(log_folder, StampText(batch.run_time) + "_" + name + ".log");
  fs.WriteFile(batch.batch, batch.unicode ? "\xFF\xFE" : "", files::WriteMode::kReplace);
  fs.WriteFile(batch.log, "", files::WriteMode::kReplace);
  try {
    MergeFilesInFolder(fs, batch.folder, true, batch, run);
    if (batch.merged.empty()) {
      RemoveWorkFile(fs, batch.batch);
      RemoveWorkFile(fs, batch.log);
      return;
    }
    TransferBatch(network, fs, batch);
  } catch (...) {
    RemoveWorkFile(fs, batch.batch);
    RemoveWorkFile(fs, batch.log);
    run.report.left += static_cast<int32_t>(batch.merged.size());
    throw;
  }
  RemoveWorkFile(fs, batch.batch);
  ++run.report.moved;
  DeleteMergedFiles(fs, batch, run);
}

}  // namespace

void MoveFilesFromB2BToEDINetwork(const Network& network, Run& run) {
  try {
    const std::string messages = JoinPath(network.temp_folder, "Messages");
    if (network.temp_folder.empty() || !FileHandling().FolderExists(messages)) {
      return;
    }
    const std::unique_ptr<files::FileSystem> fs = core::NewSiteFileSystem();
    for (const files::FolderEntry& entry : fs->List(messages)) {
      if (entry.is_file) {
        continue;
      }
      if (run.stop.stop_requested()) {
        return;
      }
      try {
        SendBatch(network, *fs, messages, entry.name, run);
      } catch (...) {
        WarnFailure(run, "moveFilesFromB2BToEDINetwork",
                    "Batch '" + entry.name + "' of EDI Network '" + network.id + "'");
      }
    }
  } catch (...) {
    WarnFailure(run, "moveFilesFromB2BToEDINetwork");
  }
}

}  // namespace velmora::edi
