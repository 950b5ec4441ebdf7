// Utility: lookups on the publication table, the publication errors, the send history and the
// document types.
#include "routing/recipients/publication_lookups.h"

#include <optional>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "routing/document_types.h"
#include "velmora/base/text.h"
#include "velmora/base/variant.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

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

int32_t Utility::GetPublicationStatus(int32_t iDocID, const std::string& iUserID) {
  return core::Guarded("Velmora.Utility.GetPublicationStatus",
                       [&]() -> int32_t { return PublicationColumn("STATUS", iDocID, iUserID); });
}

int32_t Utility::GetForwardFlag(int32_t iDocID, const std::string& iUserID) {
  return core::Guarded("Velmora.Utility.GetForwardFlag",
                       [&]() -> int32_t { return PublicationColumn("FORWARD", iDocID, iUserID); });
}

PUBLICATIONSTATUS recipients::StatusNamed(const std::string& text) {
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
  const std::string trimmed = text::Trim(text);
  for (const Spelling& spelling : kSpellings) {
    if (trimmed == spelling.text) {
      return spelling.status;
    }
  }
  return PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS;
}

PUBLICATIONSTATUS Utility::ConvertPublicationStatusFromStringToEnum(std::string& sStatus) {
  try {
    sStatus = text::Trim(sStatus);
    return recipients::StatusNamed(sStatus);
  } catch (...) {
    core::ReportError("Velmora.Utility.ConvertPublicationStatusFromStringToEnum");
  }
  return PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS;
}

bool recipients::HasOpenPublicationErrors(int32_t doc_id) {
  return core::HasRow("SELECT PUBLICATIONERRORID FROM PUBLICATIONERRORS WHERE DOCUMENTID = " +
                      core::SqlLong(doc_id) + " AND CLOSED = 0");
}

bool Utility::CheckPublicationErrors(int32_t iDocID) {
  return core::Guarded(
      "Velmora.Utility.CheckPublicationErrors",
      [&] { return recipients::HasOpenPublicationErrors(iDocID); },
      [&] { return Variant("DocumentID: '" + std::to_string(iDocID) + "'"); });
}

bool Utility::CheckSentLog(const std::string& iDocTypeID, const std::string& iSender, int32_t iBPID,
                           int32_t iDocID) {
  return core::Guarded("Velmora.Utility.CheckSentLog", [&]() -> bool {
    std::string sql =
        std::string("SELECT SENDMETHODHISTORY.HISTORYID FROM SENDMETHODHISTORY LEFT OUTER JOIN ") +
        "DOCUMENT " + "ON SENDMETHODHISTORY.DOCUMENTID = DOCUMENT.DOCUMENTID " +
        "WHERE ((SENDMETHODHISTORY.DOCUMENTTYPEID = " + core::SqlText(iDocTypeID) + " " +
        "AND BUSINESSPARTNERID = " + core::SqlLong(iBPID) + ") " +
        "OR (DOCUMENT.SENDER = " + core::SqlText(text::Trim(iSender)) + ")) ";
    if (iDocID != 0) {
      sql += "AND (SENDMETHODHISTORY.DOCUMENTID = " + core::SqlLong(iDocID) + ")";
    }
    return core::HasRow(sql);
  });
}

bool Utility::DocTypeFoundInTable(const std::string& iDocTypeID) {
  return core::Guarded("Velmora.Utility.DocTypeFoundInTable",
                       [&] { return routing::document_types::Exists(iDocTypeID); });
}

std::string Utility::GetDocumentTypeDescription(const std::string& iDocTypeID) {
  return core::Guarded("Velmora.Utility.GetDocTypeDescription",
                       [&] { return routing::document_types::Description(iDocTypeID); });
}

}  // namespace velmora
