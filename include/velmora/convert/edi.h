#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

#include "velmora/core/job_run.h"

namespace velmora {

// Velmora.EDI: the exchange with the EDI networks of table EDINETWORK, run by a scheduled job.
//
// For every network, in ascending SEQUENCE, after the semaphore handshake in its command folder
// (when USESEMAPHORE is set): each subfolder of TEMPFOLDER\Messages (the EDI send method's drop
// folders) is merged into one batch file named like the subfolder, in the encoding of its
// marker ("Unicode": UTF-16LE with a byte-order mark; otherwise the bytes as they are), and
// handed to ROOTFOLDER\OUTFOLDER (PROTOCOL 30: a folder; 40: an FTP server, ROOTFOLDER
// "ftp://server/folder"); the merged files are listed in TEMPFOLDER\Log\<run time>_<batch>.log
// and deleted once the batch has arrived. Then every file of ROOTFOLDER\INFOLDER is fetched into
// the first import folder (parameter "XMLPath1") as <name up to its first ".">_<network>_<time
// yyyy-mm-dd-hh-mm-ss>.xml (with "_1", "_2" ... before ".xml" when that name is taken) and only
// then removed from the network.
//
// Files wait for a later run when their name begins with "~" or when they were
// changed less than two seconds before the run looked at their folder or later (file times of
// shares and FTP servers may be rounded to two seconds); an FTP server's time of a file (MDTM)
// is compared with this machine's clock, and a file whose time the server does not report is
// fetched. A message that keeps its "~" name for an hour is named in a warning of every run. The
// marker files "ASCII" and "Unicode" are never merged or deleted. A batch is never written over a
// file of its name in the OUT folder: that transfer fails and the messages wait. Names of incoming
// files that are not plain file names (a separator, "..", control characters) are refused, logged
// and left on the network.
//
// Errors of FTP calls are described as "Error '<n>' occured in the following WinInet command :
// WinInet.<call>" with the call's arguments, the server, port, folder and user, and the reason
// after " - ", where <n> is the transfer library's error number; passwords appear as "********".
// One object per thread.
class EDI {
 public:
  // Exchanges with every network; never raises (failures are logged).
  void Run();
  // What Run does, with the counts of the run. Takes the installation's lock "edi": when
  // another run holds it, logs a warning and returns with `skipped` set. Between networks and
  // between files it checks `stop` and returns once a stop is requested (the current file is
  // finished).
  JobRunReport RunOnce(std::stop_token stop);
  // Whether the FTP folder `folder` of `server` holds the file `file`.
  bool filePresentViaFTP(const std::string& file, const std::string& folder,
                         const std::string& server, int32_t port, const std::string& user,
                         const std::string& password);
  // Deletes the file `file` of the FTP folder `folder` of `server`.
  void deleteFileViaFTP(const std::string& file, const std::string& folder,
                        const std::string& server, int32_t port, const std::string& user,
                        const std::string& password);
  // "" when no EDI send method (protocol 80) names network `networkID` in its ADDRESS or its
  // NETWORKID, else
  // Array("<label ZODAR5852 in language `languageID`>").
  std::string checkEdiReferences(const std::string& networkID, int32_t languageID = 1033);
};

}  // namespace velmora
