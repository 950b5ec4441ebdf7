// The SQL of Velmora.BoxList. The keys and count queries select the documents of a list with
// the conditions of the list text, written so that the engines can walk the indexes on
// (DOCUMENTTYPEID, CREATIONDATE, DOCUMENTID) and (SENDER, DOCUMENTTYPEID, CREATIONDATE,
// DOCUMENTID) newest first and stop after a page; the rows query gives the columns of the list
// text for the documents of one page.
#include "boxes/box_list_query.h"

#include <string>

#include "boxes/doc_list_query.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"

namespace velmora::boxes {
namespace {

using core::SqlLong;
using core::SqlText;

std::string TagJoin(const BoxListRequest& request, size_t tag) {
  const std::string alias = "T" + std::to_string(tag);
  return " LEFT OUTER JOIN TAGSVALUE " + alias + " ON " + alias +
         ".DOCUMENTID = DOCUMENT.DOCUMENTID AND " + alias +
         ".TAGID = " + SqlLong(request.tag_ids[tag - 1]);
}

std::string FilteredTagJoins(const BoxListRequest& request) {
  std::string joins;
  for (size_t tag : request.filtered_tags) {
    joins += TagJoin(request, tag);
  }
  return joins;
}

std::string TypeCondition(const BoxListRequest& request) {
  return "DOCUMENT.DOCUMENTTYPEID = " + SqlText(request.doc_type) +
         " AND DOCUMENT.DOCUMENTTYPEID <> ''";
}

// "FROM ... WHERE ..." of the documents of the inbox or the out box.
std::string InOrOutBoxSource(const BoxListRequest& request) {
  if (request.mode == kInBox) {
    // CROSS JOIN keeps the order of the two tables on SQLite; PostgreSQL chooses freely.
    return (request.from_viewer_rows ? " FROM PUBLICATION CROSS JOIN DOCUMENT"
                                     : " FROM DOCUMENT CROSS JOIN PUBLICATION") +
           FilteredTagJoins(request) +
           " WHERE PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID AND PUBLICATION.USERID = " +
           SqlText(request.user) + " AND " + TypeCondition(request) +
           " AND PUBLICATION.STATUS NOT IN " + core::DeletedPublicationStatusList() +
           " AND DOCUMENT.STATUS <> 0"
           " AND DOCUMENT.SHOW = 1" +
           request.conditions;
  }
  std::string source = " FROM DOCUMENT" + FilteredTagJoins(request) +
                       " WHERE DOCUMENT.SENDER = " + SqlText(request.user) + " AND " +
                       TypeCondition(request) + " AND DOCUMENT.STATUS <> 4" + request.conditions;
  if (!request.publication_conditions.empty()) {
    source +=
        " AND EXISTS (SELECT 1 FROM PUBLICATION WHERE PUBLICATION.DOCUMENTID = "
        "DOCUMENT.DOCUMENTID" +
        request.publication_conditions + ")";
  }
  return source;
}

// The two ways into the error box: the viewer's own documents with errors open for the sender,
// and documents published to the viewer with errors of the viewer's partner's deliveries.
std::string ErrorBoxSenderSource(const BoxListRequest& request) {
  return " FROM DOCUMENT" + FilteredTagJoins(request) +
         " WHERE DOCUMENT.SENDER = " + SqlText(request.user) + " AND " + TypeCondition(request) +
         request.conditions +
         " AND EXISTS (SELECT 1 FROM PUBLICATIONERRORS PE WHERE PE.DOCUMENTID = "
         "DOCUMENT.DOCUMENTID AND PE.CLOSED IN " +
         core::ClosedValuesWithout(core::kErrorRemovedFromSenderBox) + ")";
}

std::string ErrorBoxRecipientSource(const BoxListRequest& request) {
  const std::string partner_errors =
      "SELECT PE.DOCUMENTID FROM SENDMETHODHISTORY SMH INNER JOIN PUBLICATIONERRORS PE ON "
      "PE.PUBLICATIONERRORID = SMH.PUBLICATIONERRORID WHERE SMH.BUSINESSPARTNERID = " +
      SqlLong(request.partner) + " AND PE.CLOSED IN " +
      core::ClosedValuesWithout(core::kErrorRemovedFromRecipientBox);
  // Walking the type's documents, each is asked in turn: "LIMIT 1 OFFSET 0" keeps PostgreSQL
  // from turning the questions into joins that read every error of the partner first.
  const std::string each = request.from_viewer_rows ? ")" : " LIMIT 1 OFFSET 0)";
  return " FROM DOCUMENT" + FilteredTagJoins(request) + " WHERE " + TypeCondition(request) +
         " AND DOCUMENT.SHOW = 1" + request.conditions +
         " AND EXISTS (SELECT 1 FROM PUBLICATION P WHERE P.DOCUMENTID = DOCUMENT.DOCUMENTID AND "
         "P.USERID = " +
         SqlText(request.user) + " AND P.STATUS NOT IN " + core::DeletedPublicationStatusList() +
         each +
         (request.from_viewer_rows ? " AND DOCUMENT.DOCUMENTID IN (" + partner_errors + ")"
                                   : " AND EXISTS (" + partner_errors +
                                         " AND PE.DOCUMENTID = DOCUMENT.DOCUMENTID" + each);
}

std::string KeysAfter(bool dated, const std::optional<BoxListKey>& after) {
  if (!dated) {
    return " AND DOCUMENT.CREATIONDATE IS NULL" +
           (after ? " AND DOCUMENT.DOCUMENTID < " + SqlLong(after->id) : std::string());
  }
  std::string keys = " AND DOCUMENT.CREATIONDATE IS NOT NULL";
  if (after && after->created) {
    const std::string date = SqlText(*after->created);
    // The first bound lets the engines start the index walk at the cursor.
    keys += " AND DOCUMENT.CREATIONDATE <= " + date + " AND (DOCUMENT.CREATIONDATE < " + date +
            " OR (DOCUMENT.CREATIONDATE = " + date + " AND DOCUMENT.DOCUMENTID < " +
            SqlLong(after->id) + "))";
  }
  return keys;
}

std::string KeysOrder(bool dated, const std::string& date, const std::string& id) {
  return dated ? " ORDER BY " + date + " DESC, " + id + " DESC" : " ORDER BY " + id + " DESC";
}

std::string OnePageOf(const std::string& source, bool dated, const std::optional<BoxListKey>& after,
                      int32_t limit) {
  return "SELECT DOCUMENT.DOCUMENTID, DOCUMENT.CREATIONDATE AS K" + source +
         KeysAfter(dated, after) +
         KeysOrder(dated, "DOCUMENT.CREATIONDATE", "DOCUMENT.DOCUMENTID") + " LIMIT " +
         std::to_string(limit);
}

std::string RowColumns(const BoxListRequest& request) {
  constexpr const char* kChildAndAttachments =
      " (SELECT MIN(CHILDS.DOC_DOCUMENTID) FROM DOCUMENT CHILDS WHERE CHILDS.DOC_DOCUMENTID = "
      "DOCUMENT.DOCUMENTID) AS CHILDID,"
      " (SELECT COUNT(ATTACHMENT.ATTACHMENTID) FROM ATTACHMENT WHERE ATTACHMENT.DOCUMENTID = "
      "DOCUMENT.DOCUMENTID GROUP BY ATTACHMENT.DOCUMENTID) AS NR,";
  std::string columns;
  if (request.mode == kErrorBox) {
    columns =
        "DOCUMENT.DOCUMENTID, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, DOCUMENT.DOCUMENTTYPEID";
  } else {
    columns = std::string(
                  "DOCUMENT.STATUS AS DSTATUS, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
                  "DOCUMENT.DOCUMENTID, DOCUMENT.DOCUMENTTYPEID,") +
              kChildAndAttachments;
    columns += request.mode == kInBox
                   ? " PUBLICATION.DOCUMENTID, PUBLICATION.USERID, PUBLICATION.STATUS, "
                     "PUBLICATION.FORWARD"
                   : " (SELECT MIN(PUBLICATION.DOCUMENTID) FROM PUBLICATION WHERE "
                     "PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID) AS DOCUMENTID";
  }
  for (size_t tag = 1; tag <= request.tag_ids.size(); ++tag) {
    columns += ", T" + std::to_string(tag) + ".TAGVALUE AS T" + std::to_string(tag);
  }
  return columns;
}

}  // namespace

std::string KeysQuery(const BoxListRequest& request, bool dated,
                      const std::optional<BoxListKey>& after, int32_t limit) {
  if (request.mode != kErrorBox) {
    return OnePageOf(InOrOutBoxSource(request), dated, after, limit);
  }
  return "SELECT DOCUMENTID, K FROM (SELECT * FROM (" +
         OnePageOf(ErrorBoxSenderSource(request), dated, after, limit) +
         ") AS S UNION SELECT * FROM (" +
         OnePageOf(ErrorBoxRecipientSource(request), dated, after, limit) + ") AS R) AS E" +
         KeysOrder(dated, "K", "DOCUMENTID") + " LIMIT " + std::to_string(limit);
}

std::string ViewerRowsQuery(const BoxListRequest& request) {
  const std::string rows =
      request.mode == kInBox
          ? "SELECT PUBLICATION.DOCUMENTID FROM PUBLICATION WHERE PUBLICATION.USERID = " +
                SqlText(request.user)
          : "SELECT SMH.HISTORYID FROM SENDMETHODHISTORY SMH WHERE SMH.BUSINESSPARTNERID = " +
                SqlLong(request.partner);
  return "SELECT COUNT(*) AS N FROM (" + rows + " LIMIT " + std::to_string(kFewViewerRows) +
         ") AS U";
}

std::string CountQuery(const BoxListRequest& request) {
  if (request.mode != kErrorBox) {
    return "SELECT COUNT(*) AS N" + InOrOutBoxSource(request);
  }
  return "SELECT COUNT(*) AS N FROM (SELECT DOCUMENT.DOCUMENTID" + ErrorBoxSenderSource(request) +
         " UNION SELECT DOCUMENT.DOCUMENTID" + ErrorBoxRecipientSource(request) + ") AS E";
}

std::string RowsQuery(const BoxListRequest& request, const std::vector<int32_t>& ids) {
  std::string query = "SELECT " + RowColumns(request) + " FROM DOCUMENT";
  if (request.mode == kInBox) {
    query +=
        " INNER JOIN PUBLICATION ON PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID AND "
        "PUBLICATION.USERID = " +
        SqlText(request.user);
  }
  for (size_t tag = 1; tag <= request.tag_ids.size(); ++tag) {
    query += TagJoin(request, tag);
  }
  std::string listed;
  for (int32_t id : ids) {
    listed += (listed.empty() ? "" : ",") + SqlLong(id);
  }
  query += listed.empty() ? " WHERE 0 = 1" : " WHERE DOCUMENT.DOCUMENTID IN (" + listed + ")";
  return query +
         " ORDER BY CASE WHEN DOCUMENT.CREATIONDATE IS NULL THEN 1 ELSE 0 END,"
         " DOCUMENT.CREATIONDATE DESC, DOCUMENT.DOCUMENTID DESC";
}

}  // namespace velmora::boxes
