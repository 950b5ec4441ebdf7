// Utility: lookups on the publication table, the publication errors, the send history and the
// document types.
#include <optional>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/sql_literals.h"
#include "velmora/base/text.h"
#include "velmora/base/variant.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// True when `sql` returns a row.
bool ReturnsRow(const std::string& sql) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  try {
    const bool found = !connection->Query(sql)->IsEOF();
    core::CloseConnection(connection);
    return found;
  } catch (...) {
    core::CloseConnection(connection);
    throw;
  }
}

// Column `column` of the publication of `docId` to `userId` as a 16-bit value widened, or -1
// when there is no row.
int32_t PublicationColumn(const char* column, int32_t docId, const std::string& userId) {
  const std::optional<Variant> value =
      core::FirstField(std::string("SELECT ") + column + " FROM PUBLICATION WHERE DOCUMENTID = " +
                           core::SqlLong(docId) + " AND USERID = " + core::SqlText(userId) + " ",
                       column);
  return value ? value->ToInt16() : -1;
}

}  // namespace

int32_t Utility::GetPublicationStatus(int32_t& iDocID, std::string& iUserID) {
  try {
    return PublicationColumn("STATUS", iDocID, iUserID);
  } catch (...) {
    core::ReportError("Velmora.Utility.GetPublicationStatus");
  }
  return -1;
}

int32_t Utility::GetForwardFlag(int32_t& iDocID, std::string& iUserID) {
  try {
    return PublicationColumn("FORWARD", iDocID, iUserID);
  } catch (...) {
    core::ReportError("Velmora.Utility.GetForwardFlag");
  }
  return -1;
}

PUBLICATIONSTATUS Utility::ConvertPublicationStatusFromStringToEnum(std::string& sStatus) {
  struct Spelling {
    const char* text;
    PUBLICATIONSTATUS status;
  };
  static constexpr Spelling kSpellings[] = {
      {"New", PUBLICATIONSTATUS::PUBLICATIONNEW},
      {"new", PUBLICATIONSTATUS::PUBLICATIONNEW},
      {"NEW", PUBLICATIONSTATUS::PUBLICATIONNEW},
      {"Accepted", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"accepted", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"ACCEPTED", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"Accept", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"accept", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"ACCEPT", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"Rejected", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"rejected", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"REJECTED", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"Reject", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"reject", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"REJECT", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"Viewed", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"viewed", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"VIEWED", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"View", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"view", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"VIEW", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"DownLoaded", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"DownLoad", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"downloaded", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"download", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"DOWNLOADED", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"DOWNLOAD", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"Downloaded", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"Download", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
  };
  try {
    sStatus = text::Trim(sStatus);
    for (const Spelling& spelling : kSpellings) {
      if (sStatus == spelling.text) {
        return spelling.status;
      }
    }
  } catch (...) {
    core::ReportError("Velmora.Utility.ConvertPublicationStatusFromStringToEnum");
  }
  return PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS;
}

bool Utility::CheckPublicationErrors(int32_t iDocID) {
  try {
    return ReturnsRow("SELECT PUBLICATIONERRORID FROM PUBLICATIONERRORS WHERE DOCUMENTID = " +
                      core::SqlLong(iDocID) + " AND CLOSED = 0");
  } catch (...) {
    core::ReportError("Velmora.Utility.CheckPublicationErrors",
                      Variant("DocumentID: '" + std::to_string(iDocID) + "'"));
  }
  return false;
}

bool Utility::CheckSentLog(const std::string& iDocTypeID, const std::string& iSender, int32_t iBPID,
                           int32_t iDocID) {
  try {
    std::string sql =
        std::string("SELECT SENDMETHODHISTORY.HISTORYID FROM SENDMETHODHISTORY LEFT OUTER JOIN ") +
        "DOCUMENT " + "ON SENDMETHODHISTORY.DOCUMENTID = DOCUMENT.DOCUMENTID " +
        "WHERE ((SENDMETHODHISTORY.DOCUMENTTYPEID = " + core::SqlText(iDocTypeID) + " " +
        "AND BUSINESSPARTNERID = " + core::SqlLong(iBPID) + ") " +
        "OR (DOCUMENT.SENDER = " + core::SqlText(text::Trim(iSender)) + ")) ";
    if (iDocID != 0) {
      sql += "AND (SENDMETHODHISTORY.DOCUMENTID = " + core::SqlLong(iDocID) + ")";
    }
    return ReturnsRow(sql);
  } catch (...) {
    core::ReportError("Velmora.Utility.CheckSentLog");
  }
  return false;
}

bool Utility::DocTypeFoundInTable(std::string& iDocTypeID) {
  try {
    return ReturnsRow(
        "SELECT * FROM documenttype WHERE documenttypeid = " + core::SqlText(iDocTypeID) + " ");
  } catch (...) {
    core::ReportError("Velmora.Utility.DocTypeFoundInTable");
  }
  return false;
}

std::string Utility::GetDocumentTypeDescription(std::string& iDocTypeID) {
  try {
    const std::optional<Variant> description = core::FirstField(
        "SELECT DESCRIPTION FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = " + core::SqlText(iDocTypeID) +
            " ",
        "DESCRIPTION");
    return description && !description->IsNull() ? description->ToText() : std::string();
  } catch (...) {
    core::ReportError("Velmora.Utility.GetDocTypeDescription");
  }
  return "";
}

}  // namespace velmora
