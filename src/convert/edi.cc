// Velmora.EDI: the run over the EDI networks and the published helpers.
#include "velmora/convert/edi.h"

#include <memory>
#include <string>

#include "convert/edi_internal.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/job_lock.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "velmora/db/recordset.h"

namespace velmora {
namespace {

// Whether `sql` gives a row whose `column` is not null.
bool Referenced(const std::string& sql, const char* column) {
  const auto rows = core::getDisconnectedReadOnlyRecordSet(sql);
  return !rows->IsEOF() && !rows->Field(column).IsNull();
}

void ProcessEdiNetwork(const edi::Network& network, edi::Run& run) {
  core::Guarded(
      edi::Path("processEdiNetwork"),
      [&] {
        if (!edi::CommunicationAllowed(network)) {
          return;
        }
        edi::MoveFilesFromB2BToEDINetwork(network, run);
        edi::MoveFilesFromEDINetworkToB2B(network, run);
        if (network.use_semaphore) {
          edi::RemoveSemaphoreFile(network);
        }
      },
      [&] {
        return Variant(std::string("Could not finish exchanging EDI messages properly for ") +
                       " EDI Network '" + network.id + "' ");
      });
}

void ProcessEdiNetworks(edi::Run& run) {
  auto networks =
      core::getDisconnectedReadOnlyRecordSet("SELECT * FROM EDINETWORK ORDER BY SEQUENCE");
  for (; !networks->IsEOF() && !run.stop.stop_requested(); networks->MoveNext()) {
    try {
      ProcessEdiNetwork(edi::ReadNetwork(*networks), run);
    } catch (...) {
      edi::WarnFailure(run, "processEDINetworks");
    }
  }
}

}  // namespace

void EDI::Run() {
  core::Guarded(edi::Path("Run"), [&] { RunOnce({}); });
}

JobRunReport EDI::RunOnce(std::stop_token stop) {
  JobRunReport report;
  edi::Run run{report, std::move(stop)};
  try {
    const auto lock = core::TryLockJob("edi");
    if (!lock) {
      const std::string line = "Another EDI run holds the lock; this run is skipped";
      core::LogWarning(Error(0, edi::Path("startRun"), line), edi::Path("startRun"));
      report.skipped = true;
      run.Warn(line);
      return report;
    }
    ProcessEdiNetworks(run);
  } catch (...) {
    edi::WarnFailure(run, "startRun");
  }
  return report;
}

bool EDI::filePresentViaFTP(const std::string& file, const std::string& folder,
                            const std::string& server, int32_t port, const std::string& user,
                            const std::string& password) {
  return core::Guarded(edi::Path("filePresentViaFTP"), [&] {
    return edi::FtpConnection(server, port, user, password, folder).Exists(file);
  });
}

void EDI::deleteFileViaFTP(const std::string& file, const std::string& folder,
                           const std::string& server, int32_t port, const std::string& user,
                           const std::string& password) {
  core::Guarded(edi::Path("deleteFileViaFTP"),
                [&] { edi::FtpConnection(server, port, user, password, folder).Delete(file); });
}

std::string EDI::checkEdiReferences(const std::string& networkID, int32_t languageID) {
  return core::Guarded(edi::Path("checkEdiReferences"), [&] {
    const bool by_address =
        Referenced(std::string("SELECT TOP 1 ADDRESS FROM SENDMETHODPROPERTY ") +
                       "WHERE PROTOCOL = " + core::SqlLong(80) + " " +
                       "AND ADDRESS = " + core::SqlText(networkID),
                   "ADDRESS");
    const bool referenced =
        by_address ||
        Referenced("SELECT TOP 1 NETWORKID FROM SENDMETHODPROPERTY WHERE PROTOCOL = " +
                       core::SqlLong(80) + " AND NETWORKID = " + core::SqlText(networkID),
                   "NETWORKID");
    if (!referenced) {
      return std::string();
    }
    return "Array(\"" + core::GetLabel("ZODAR5852", languageID) + "\")";
  });
}

}  // namespace velmora
