// Velmora.PublishForwardDocument: forwarding a received document as a new document.
#include "velmora/publish/publish_forward_document.h"

#include <memory>
#include <optional>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/publication_errors.h"
#include "core/sql_literals.h"
#include "publish/forward_attachments.h"
#include "routing/users.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/obi.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

constexpr const char* kMain2 = "Velmora.PublishForwardDocument.Main2";

struct ReceivedDocument {
  std::string type;
  std::string sender;
  std::string xml;
  std::string default_receiver;
};

std::string TextOf(const db::Recordset& row, const char* column) {
  const Variant value = row.Field(column);
  return value.IsNull() ? std::string() : value.ToText();
}

// The type, sender, working XML and default receiver of document `docId`.
ReceivedDocument GetXMLFileAndDocTypeAndDefaultReceiverFromDB(int32_t docId) {
  return core::Guarded("PublishForwardDocument.GetXMLFileAndDocTypeAndDefaultReceiverFromDB", [&] {
    auto connection = core::GetConnection();
    auto row = connection->Query(
        "Select DOCUMENTTYPEID, SENDER, XMLBODY, DEFAULTRECEIVER from DOCUMENT where DOCUMENTID "
        "= " +
        core::SqlLong(docId));
    if (row->IsEOF()) {
      RaiseError(EnumerationErrors::DocumentIDNotInDatabase, "Velmora.PublishForwardDocument",
                 "Document with documentID = " + std::to_string(docId) + "doesn't exist.");
    }
    ReceivedDocument received{TextOf(*row, "DOCUMENTTYPEID"), TextOf(*row, "SENDER"),
                              TextOf(*row, "XMLBODY"), TextOf(*row, "DEFAULTRECEIVER")};
    row->Close();
    core::CloseConnection(connection);
    return received;
  });
}

core::Info LabelInfo(const std::string& code, const Dictionary& replacements) {
  return Variant(core::GetLabelForMessage(code, replacements));
}

Dictionary One(const char* key, const std::string& value) {
  Dictionary replacements;
  replacements.Add(key, Variant(value));
  return replacements;
}

void SetForwardFlagToForwarded(int32_t docId, const std::string& user) {
  core::Guarded("VelmoraPublishForwardDocument.SetForwardFlagToForw", [&] {
    auto connection = core::GetConnection();
    connection->Execute("UPDATE PUBLICATION " + std::string("Set FORWARD = 1 ") +
                        "WHERE (DOCUMENTID = " + std::to_string(docId) +
                        ") AND (USERID = " + core::SqlText(text::Trim(user)) + ")");
    core::CloseConnection(connection);
  });
}

// Runs `body`; its failure becomes a PUBLICATIONERRORS row of `docId` with label `code`, the
// description extended by `detail`.
void RecordFailure(int32_t docId, const std::string& code, const std::string& detail,
                   const std::function<void()>& body) {
  try {
    body();
  } catch (...) {
    const Error failure = CurrentError();
    core::LogPublicationError(docId, failure.number(), failure.description() + detail, kMain2,
                              code);
  }
}

}  // namespace

int32_t PublishForwardDocument::Main(int32_t /*iDocID*/, const std::string& /*iUser*/,
                                     const std::string& /*iAttPath*/) {
  return core::Guarded("Velmora.PublishForwardDocument.Main", [] {
    core::ReportError("Velmora.PublishForwardDocument.Main",
                      Variant(std::string("Function 'Main' is deprecated: instead use 'Main2'")));
    return -1;
  });
}

int32_t PublishForwardDocument::Main2(int32_t iDocID, const std::string& iNewDocTypeID,
                                      const std::string& iUser, const std::string& iAttPath) {
  const std::string old_id = std::to_string(iDocID);
  ReceivedDocument received = core::Guarded(
      kMain2,
      [&] {
        ReceivedDocument read = GetXMLFileAndDocTypeAndDefaultReceiverFromDB(iDocID);
        if (OBI().GetObiDocumentInfo(nullptr, read.xml)) {
          RaiseError(EnumerationErrors::CannotLoadFile, kMain2, core::GetLabel("ZODAR4303"));
        }
        return read;
      },
      [&] { return LabelInfo("ZODAR4307", One("[%DOCTYPEID%]", old_id)); });
  Dictionary partner_values = One("[%ID%]", received.sender);
  partner_values.Add("[%DOCTYPEID%]", Variant(received.type));
  int32_t partner = core::Guarded(
      kMain2, [&] { return routing::users::PartnerOf(received.sender); },
      [&] { return LabelInfo("ZODAR4306", partner_values); });
  Dictionary process_values = One("[%TYPE%]", received.type);
  process_values.Add("[%BP%]", Variant(std::to_string(partner)));
  const int32_t new_id = core::Guarded(
      kMain2,
      [&] {
        std::string original_type = received.type;
        std::string recipient = iUser;
        int32_t doc_id = 0;
        std::string type = iNewDocTypeID;
        std::string sender = iUser;
        std::string default_receiver;
        int16_t status = 0;
        int32_t parent = iDocID;
        Document().ProcessDocument(-1, received.xml, original_type, recipient, doc_id, partner,
                                   type, sender, default_receiver, status, parent);
        return doc_id;
      },
      [&] { return LabelInfo("ZODAR4305", process_values); });
  core::Guarded(
      kMain2,
      [&] {
        RecordFailure(
            new_id, "ZODAR1808",
            "\r\nCopy from document: '" + old_id + "'" + "\r\n" + "Path : '" + iAttPath + "'",
            [&] { publish::CopyAttachments(iDocID, new_id, iAttPath); });
        RecordFailure(new_id, "ZODAR1814", "", [&] { SetForwardFlagToForwarded(iDocID, iUser); });
      },
      [&] { return LabelInfo("ZODAR4308", One("[%DOCID%]", old_id)); });
  return new_id;
}

bool PublishForwardDocument::TransformExist(int32_t& iDocID) {
  return core::Guarded("Velmora.PublishForwardDocument.TransformExist", [&] {
    return core::FirstField("SELECT TABLEID FROM DOCUMENT, DOCTYPETODOCTYPE " +
                                std::string("WHERE DOCUMENTID = ") + core::SqlLong(iDocID) +
                                " AND " +
                                "DOCUMENT.DOCUMENTTYPEID = DOCTYPETODOCTYPE.DOCUMENTTYPEID",
                            "TABLEID")
        .has_value();
  });
}

void PublishForwardDocument::RemoveAllRecipientsForDocument(int32_t& iDocID) {
  core::Guarded("Velmora.PublishForwardDocument.RemoveAllRecipientsForDocument", [&] {
    auto connection = core::GetConnection();
    connection->Execute("DELETE FROM PUBLICATION WHERE DOCUMENTID = " + core::SqlLong(iDocID));
    core::CloseConnection(connection);
  });
}

}  // namespace velmora
