// The semaphore handshake with the EDI translator in a network's command folder.
#include <string>

#include "convert/edi_internal.h"
#include "core/guarded.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/convert/edi.h"
#include "velmora/core/file_handling.h"

namespace velmora::edi {
namespace {

std::string CommandFile(const Network& network, const std::string& file) {
  return JoinPath(JoinPath(network.root, network.com_folder), file);
}

[[noreturn]] void UnknownProtocol(const std::string& text, const char* step) {
  RaiseError(EnumerationErrors::InvalidParamValue, Path(step), text);
}

bool IsFilePresentInCommandFolder(const Network& network, const std::string& file) {
  return core::Guarded(Path("isFilePresentInCommandFolder"), [&] {
    if (network.protocol == kFileProtocol) {
      return FileHandling().FileExists(CommandFile(network, file));
    }
    if (network.protocol == kFtpProtocol) {
      const FtpPlace place = ReadServerAndFolderFromFTPAddress(network.root, network.com_folder);
      return EDI().filePresentViaFTP(file, place.folder, place.server, network.ftp_port,
                                     network.ftp_user, network.ftp_password);
    }
    UnknownProtocol("Unknown protocol : " + std::to_string(network.protocol),
                    "isFilePresentInCommandFolder");
  });
}

void CreateStartFileInCommandFolder(const Network& network) {
  core::Guarded(
      Path("createStartFileInCommandFolder"),
      [&] {
        if (network.protocol == kFileProtocol) {
          FileHandling().createTextFile("", CommandFile(network, network.start_file), false);
        } else if (network.protocol == kFtpProtocol) {
          const FtpPlace place =
              ReadServerAndFolderFromFTPAddress(network.root, network.com_folder);
          FtpConnection(place.server, network.ftp_port, network.ftp_user, network.ftp_password,
                        place.folder)
              .Put(JoinPath(network.temp_folder, network.start_file), network.start_file, "",
                   false);
        } else {
          UnknownProtocol("Unknown protocol: " + std::to_string(network.protocol),
                          "createStartFileInCommandFolder");
        }
      },
      [] { return Variant(std::string("Could not create 'STARTFILE'")); });
}

}  // namespace

bool CommunicationAllowed(const Network& network) {
  return core::Guarded(Path("CommAllowedAccSemaphore"), [&] {
    if (!network.use_semaphore) {
      return true;
    }
    if (IsFilePresentInCommandFolder(network, network.stop_file)) {
      return false;
    }
    if (!IsFilePresentInCommandFolder(network, network.start_file)) {
      CreateStartFileInCommandFolder(network);
    }
    return IsFilePresentInCommandFolder(network, network.semaphore);
  });
}

void RemoveSemaphoreFile(const Network& network) {
  core::Guarded(
      Path("removeSemaphoreFile"),
      [&] {
        if (network.protocol == kFileProtocol) {
          FileHandling().DeleteFileFromDisk(CommandFile(network, network.semaphore));
        } else if (network.protocol == kFtpProtocol) {
          const FtpPlace place =
              ReadServerAndFolderFromFTPAddress(network.root, network.com_folder);
          EDI().deleteFileViaFTP(network.semaphore, place.folder, place.server, network.ftp_port,
                                 network.ftp_user, network.ftp_password);
        } else {
          UnknownProtocol("Unknown protocol: " + std::to_string(network.protocol),
                          "removeSemaphoreFile");
        }
      },
      [&] {
        return Variant("Error in deleting SEMAPHORE file '" + network.semaphore + "' " +
                       "for Edi Network '" + network.id + "'");
      });
}

}  // namespace velmora::edi
