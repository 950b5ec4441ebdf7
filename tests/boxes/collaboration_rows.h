#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/db_utils.h"
#include "core/sql_literals.h"
#include "document/document_rows.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/db/recordset.h"

// Rows for the Collaboration tests on top of the document rows: document types, tags,
// attachments, list entries of a chosen partner, and readers of what the class wrote.
namespace velmora::testing {

// A user id with quotes, blanks and non-ASCII letters.
inline constexpr const char* kOddUser = "O'Brien \"Ü\" ñ";

class CollaborationDbTest : public DocumentDbTest {
 protected:
  void AddType(const std::string& id, const std::string& description) {
    Exec(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION, EXTDESCRIPTION, ICONFILENAME) "
        "VALUES (" +
        core::SqlText(id) + ", " + core::SqlText(description) + ", " +
        core::SqlText(description + " ext") + ", " + core::SqlText(id + ".gif") + ")");
  }
  int32_t AddTag(const std::string& type, const std::string& description, int32_t sequence) {
    Exec(
        "INSERT INTO TAGSCONFIG (DOCUMENTTYPEID, XSLPATTERN, DESCRIPTION, SEQUENCENUMBER) "
        "VALUES (" +
        core::SqlText(type) + ", '//X', " + core::SqlText(description) + ", " +
        std::to_string(sequence) + ")");
    return Scalar("SELECT MAX(TAGID) FROM TAGSCONFIG").ToInt32();
  }
  void AddTagValue(int32_t doc, int32_t tag, const std::string& value) {
    Exec("INSERT INTO TAGSVALUE (DOCUMENTID, TAGID, TAGVALUE) VALUES (" + std::to_string(doc) +
         ", " + std::to_string(tag) + ", " + core::SqlText(value) + ")");
  }
  void AddAttachment(int32_t doc, const std::string& file_name) {
    Exec("INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (" + std::to_string(doc) +
         ", " + core::SqlText(file_name) + ")");
  }
  void AddPartnerListEntry(const std::string& type, const std::string& user, int32_t partner) {
    Exec("INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES (" +
         core::SqlText(type) + ", " + core::SqlText(user) + ", " + std::to_string(partner) + ")");
  }
  void AddHistory(int32_t doc, int32_t partner, int32_t error) {
    Exec(
        "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, DOCUMENTID, "
        "PUBLICATIONERRORID) VALUES (1, " +
        std::to_string(partner) + ", -1, " + std::to_string(doc) + ", " + std::to_string(error) +
        ")");
  }
  // A document of `type` sent by `sender` with a publication of `status` for each recipient
  // (each on the type's distribution list).
  int32_t Published(const std::string& type, const std::string& sender,
                    const std::vector<std::pair<std::string, int16_t>>& recipients,
                    int16_t document_status = 1) {
    const int32_t doc =
        AddDocument(DocumentRow().Type(type).Sender(sender).Status(document_status));
    for (const auto& [user, status] : recipients) {
      if (Count("SELECT COUNT(*) FROM DISTRIBUTIONLIST WHERE DOCUMENTTYPEID = " +
                core::SqlText(type) + " AND USERID = " + core::SqlText(user)) == 0) {
        AddListEntry(type, user);
      }
      AddPublication(doc, user, status);
    }
    return doc;
  }

  // STATUS of the publication, or -1 when there is none.
  int32_t StoredStatus(int32_t doc, const std::string& user) {
    const Variant status =
        Scalar("SELECT STATUS FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(doc) +
               " AND USERID = " + core::SqlText(user));
    return status.IsEmpty() ? -1 : status.ToInt32();
  }
  int32_t Closed(int32_t error) {
    return Count("SELECT CLOSED FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                 std::to_string(error));
  }
  // Every row of `sql` run as a page runs it (on a library connection), each row's fields as
  // texts ("NULL" for null), in the order the query gives.
  static std::vector<std::vector<std::string>> Rows(const std::string& sql) {
    auto recordset = core::getDisconnectedReadOnlyRecordSet(sql);
    std::vector<std::vector<std::string>> rows;
    while (!recordset->IsEOF()) {
      std::vector<std::string> row;
      for (int32_t i = 0; i < recordset->FieldCount(); ++i) {
        const Variant value = recordset->Field(i);
        row.push_back(value.IsNull() ? std::string("NULL") : value.ToText());
      }
      rows.push_back(std::move(row));
      recordset->MoveNext();
    }
    return rows;
  }

  Collaboration collaboration_;
};

}  // namespace velmora::testing
