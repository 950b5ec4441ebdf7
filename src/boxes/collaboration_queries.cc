// Collaboration's SQL texts for the document detail pages; the pages run them unchanged.
#include <string>

#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"
#include "routing/users.h"
#include "velmora/boxes/collaboration.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;

// The detail query of a recipient: only the tags that have a value.
std::string RecipientDetails(int32_t doc, const std::string& user) {
  return std::string("SELECT DOCUMENT.SENDER, DOCUMENT.CREATIONDATE, PUBLICATION.STATUS, ") +
         "PUBLICATION.FORWARD, DOCUMENTTYPE.DESCRIPTION, " +
         "TAGSVALUE.TAGVALUE, TAGSCONFIG.DESCRIPTION AS TAGDESCRIPTION " +
         "FROM DOCUMENT INNER JOIN DOCUMENTTYPE ON DOCUMENT.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID " +
         "INNER JOIN PUBLICATION ON PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID " +
         "LEFT OUTER JOIN TAGSVALUE ON DOCUMENT.DOCUMENTID = TAGSVALUE.DOCUMENTID " +
         "LEFT OUTER JOIN TAGSCONFIG ON TAGSVALUE.TAGID = TAGSCONFIG.TAGID " +
         "WHERE (PUBLICATION.USERID = " + SqlText(user) + ") " +
         "AND (DOCUMENT.DOCUMENTID = " + SqlLong(doc) + ") " + "AND DOCUMENT.STATUS <> " + "0" +
         " " + "ORDER BY TAGSCONFIG.SEQUENCENUMBER";
}

// The detail query of the sender (`sender_view`) or of the error box: every tag configured for
// the type, with a null value where none is stored.
std::string SenderOrErrorDetails(bool sender_view, int32_t doc, const std::string& user) {
  std::string sql = "SELECT ";
  if (!sender_view) {
    sql += "DOCUMENT.SENDER, ";
  }
  sql += std::string("DOCUMENT.CREATIONDATE, ") + "DOCUMENT.STATUS, " +
         "DOCUMENTTYPE.DESCRIPTION, " + "TAGSVALUE.TAGVALUE, " +
         "TAGSCONFIG.DESCRIPTION AS TAGDESCRIPTION " + "From Document " +
         "INNER JOIN DOCUMENTTYPE ON " + "Document.DOCUMENTTYPEID = DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN TAGSCONFIG ON " + "Document.DOCUMENTTYPEID = TAGSCONFIG.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN TAGSVALUE ON " + "TAGSVALUE.TAGID = TAGSCONFIG.TAGID AND " +
         "(TAGSVALUE.DOCUMENTID = " + SqlLong(doc) + ") " + "WHERE ";
  if (sender_view) {
    sql += "(DOCUMENT.SENDER = " + SqlText(user) + ") AND ";
  }
  sql += std::string("(DOCUMENT.DOCUMENTID = ") + SqlLong(doc) + ") AND " + "(DOCUMENT.STATUS <> " +
         "4" + ") " + "ORDER BY TAGSCONFIG.SEQUENCENUMBER";
  return sql;
}

std::string OutBoxTypes(const std::string& user) {
  return std::string("SELECT DISTINCT DOCUMENTTYPE.DESCRIPTION, ") +
         "DOCUMENTTYPE.DOCUMENTTYPEID, " + "DOCUMENTTYPE.ICONFILENAME, " +
         "DOCUMENTTYPE.EXTDESCRIPTION " +
         "FROM DOCUMENTTYPE INNER JOIN DOCUMENT ON DOCUMENTTYPE.DOCUMENTTYPEID = "
         "DOCUMENT.DOCUMENTTYPEID " +
         "WHERE (DOCUMENT.SENDER = " + SqlText(user) + ") " + "AND DOCUMENT.STATUS <> " + "4" +
         " " + "GROUP BY DOCUMENTTYPE.DESCRIPTION, DOCUMENTTYPE.DOCUMENTTYPEID, " +
         "DOCUMENTTYPE.ICONFILENAME, DOCUMENTTYPE.EXTDESCRIPTION " +
         "ORDER BY DOCUMENTTYPE.DESCRIPTION";
}

std::string InboxTypes(const std::string& user) {
  return std::string(
             "SELECT DISTINCT DOCUMENTTYPE.DESCRIPTION, DOCUMENTTYPE.DOCUMENTTYPEID, "
             "DOCUMENTTYPE.ICONFILENAME, DOCUMENTTYPE.EXTDESCRIPTION ") +
         "FROM DOCUMENTTYPE INNER JOIN DOCUMENT ON DOCUMENTTYPE.DOCUMENTTYPEID = "
         "DOCUMENT.DOCUMENTTYPEID " +
         "INNER JOIN PUBLICATION ON DOCUMENT.DOCUMENTID = PUBLICATION.DOCUMENTID " +
         "WHERE (DOCUMENT.STATUS <> 0 AND PUBLICATION.USERID = " + SqlText(user) + " " +
         core::NotDeletedPublicationComparisons("PUBLICATION.STATUS") +
         ") AND (DOCUMENT.SHOW = 1) " +
         "GROUP BY DOCUMENTTYPE.DESCRIPTION, DOCUMENTTYPE.DOCUMENTTYPEID, "
         "DOCUMENTTYPE.ICONFILENAME, DOCUMENTTYPE.EXTDESCRIPTION  " +
         "ORDER BY DOCUMENTTYPE.DESCRIPTION";
}

// The types of the documents with publication errors that `user` sees: as sender, or as a
// current recipient whose partner (`partner`) a failed delivery was meant for.
std::string ErrorBoxTypes(const std::string& user, int32_t partner) {
  return std::string("SELECT   DOCUMENTTYPE.DESCRIPTION,") + " DOCUMENTTYPE.DOCUMENTTYPEID," +
         " DOCUMENTTYPE.ICONFILENAME," + " DOCUMENTTYPE.EXTDESCRIPTION" + " FROM    " +
         core::ErrorsWithDeliveryHistory() + ", " +
         " DOCUMENT D           LEFT OUTER JOIN PUBLICATION       P   ON P.DOCUMENTID = "
         "D.DOCUMENTID, " +
         " DOCUMENTTYPE" + " WHERE " + "     ( " + "(D.SENDER = " + SqlText(user) +
         " AND PE.CLOSED in " + core::ClosedValuesWithout(core::kErrorRemovedFromSenderBox) +
         " ) " + " OR " + "(D.SHOW = 1 AND " + " P.USERID = " + SqlText(user) + " AND " +
         " SMH.BUSINESSPARTNERID = " + SqlLong(partner) + " AND " + " P.STATUS NOT IN " +
         core::DeletedPublicationStatusList() + " AND " + " PE.CLOSED IN " +
         core::ClosedValuesWithout(core::kErrorRemovedFromRecipientBox) + ")" + "      ) " +
         " AND PE.DOCUMENTID = D.DOCUMENTID " +
         " AND D.DOCUMENTTYPEID = DOCUMENTTYPE.DOCUMENTTYPEID " +
         " GROUP BY DOCUMENTTYPE.DESCRIPTION," + " DOCUMENTTYPE.DOCUMENTTYPEID," +
         " DOCUMENTTYPE.ICONFILENAME," + " DOCUMENTTYPE.EXTDESCRIPTION";
}

}  // namespace

std::string Collaboration::GetDocumentDetails2(int16_t iIsSender, int32_t iDocID,
                                               const std::string& iUser) {
  return core::Guarded("Collaboration.GetDocumentDetails2", [&]() -> std::string {
    switch (iIsSender) {
      case 1:
        return RecipientDetails(iDocID, iUser);
      case 0:
      case 2:
        return SenderOrErrorDetails(iIsSender == 0, iDocID, iUser);
      default:
        return "";
    }
  });
}

std::string Collaboration::GetAddresseeStatusQueryStr(int32_t iDocID, const std::string& iUser) {
  return core::Guarded("Velmora.Collaboration.GetAddresseeStatusQueryStr", [&]() -> std::string {
    return std::string(
               "SELECT DISTRIBUTIONLIST.BUSINESSPARTNERID, PUBLICATION.USERID, "
               "PUBLICATION.STATUS ") +
           "FROM PUBLICATION, DOCUMENT, DISTRIBUTIONLIST " +
           "WHERE (PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID) " +
           "  AND (PUBLICATION.DOCUMENTID = " + SqlLong(iDocID) + ")" +
           "  AND (DOCUMENT.SENDER = " + SqlText(iUser) + ")" +
           "  AND (DISTRIBUTIONLIST.DOCUMENTTYPEID = DOCUMENT.DOCUMENTTYPEID) " +
           "  AND (DISTRIBUTIONLIST.USERID = PUBLICATION.USERID) " +
           "ORDER BY DISTRIBUTIONLIST.BUSINESSPARTNERID";
    return "";
  });
}

std::string Collaboration::GetAddresseeStatusQueryStr2(int32_t iDocID, const std::string& iUser) {
  return core::Guarded("Velmora.Collaboration.GetAddresseeStatusQueryStr2", [&]() -> std::string {
    return std::string("SELECT PUBLICATION.USERID, PUBLICATION.STATUS FROM ") +
           "PUBLICATION INNER JOIN DOCUMENT ON PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID " +
           "WHERE (PUBLICATION.DOCUMENTID = " + SqlLong(iDocID) +
           ") AND (DOCUMENT.SENDER = " + SqlText(iUser) + ")";
    return "";
  });
}

std::string Collaboration::GetDocumentAttachmentsQueryStr(bool /*iIsSender*/, int32_t iDocID,
                                                          const std::string& /*iUser*/) {
  return core::Guarded("Collaboration.GetDocumentAttachmentsQueryStr", [&]() -> std::string {
    return std::string("SELECT ATTACHMENT.ATTACHMENTFILENAME, Attachment.ATTACHMENTID ") +
           "FROM ATTACHMENT " + "WHERE (ATTACHMENT.DOCUMENTID = " + SqlLong(iDocID) + ")";
    return "";
  });
}

std::string Collaboration::GetDocumentTypeListQueryStr2(int16_t iMode, const std::string& iUser) {
  return core::Guarded("Collaboration.GetDocumentTypeListQueryStr2", [&]() -> std::string {
    switch (iMode) {
      case 0:
        return OutBoxTypes(iUser);
      case 1:
        return InboxTypes(iUser);
      case 2:
        return ErrorBoxTypes(iUser, routing::users::PartnerOf(iUser));
      default:
        return "";
    }
  });
}

}  // namespace velmora
