// Utility: resolving a document's recipients into PUBLICATION rows.
#include <memory>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "routing/recipients/obi_document_info.h"
#include "routing/recipients/parsed_document_lookups.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

// The routing elements that RemoveAllRoutingInfoFromDocument blanks, in this order.
constexpr const char* kRoutingQueries[] = {"//USESDISTLIST", "//RECEIVER", "//BUSINESSPARTNER",
                                           "//BUS-PART-C", "//BUS-PART-S"};

// A USESDISTLIST value that sends the document to the whole distribution list.
bool UsesWholeList(const std::string& value) {
  return value == "1" || text::ToUpper(text::Trim(value)) == "TRUE";
}

// A new DOM document holding `xml`; a text that does not parse leaves it empty, so that every
// query on it finds nothing.
std::shared_ptr<xml::Document> ParseRoutingDocument(const std::string& xml) {
  auto document = std::make_shared<xml::Document>();
  document->LoadXml(xml);
  return document;
}

constexpr const char* kDefaultReceiverPath = "Velmora.Utility.GetDefaultReceiver";

// The RECEIVER of a document that names a REQUISITIONER, else "".
std::string DefaultReceiverOfParsed(Utility& utility, const xml::Document& dom) {
  if (!utility.ExecuteXSLPattern(dom, "//REQUISITIONER").empty()) {
    return utility.ExecuteXSLPattern(dom, "//RECEIVER");
  }
  return "";
}

}  // namespace

int32_t Utility::GetRecipientsAndFillPublicationTable(int32_t iDocID, const std::string& iDocTypeID,
                                                      const std::string& iXML) {
  return core::Guarded("Velmora.Utility.GetRecipientsAndFillPublicationTable", [&]() -> int32_t {
    Document documents;
    std::string xml = iXML;
    if (xml.empty()) {
      xml = documents.GetXmlDocument(iDocID);
    }
    std::string type = iDocTypeID;
    if (type.empty()) {
      type = documents.GetDocumentTypeOfDocument(iDocID);
    }
    if (type.empty() || iDocID == 0 || xml.empty()) {
      return 0;
    }
    const std::shared_ptr<xml::Document> dom = ParseRoutingDocument(xml);
    if (UsesWholeList(ExecuteXSLPattern(*dom, "//USESDISTLIST"))) {
      const int32_t result = FillPublicationTable(iDocID, type, 0, "") > 0 ? 1 : 0;
      RemoveAllRoutingInfoFromDocument(iDocID, *dom);
      return result;
    }
    const recipients::ObiDocumentInfo obi = recipients::GetObiDocumentInfo(dom);
    if (obi.is_obi) {
      return FillPublicationTable(iDocID, type, 0, obi.receiver_user) > 0 ? 1 : 0;
    }
    const auto resolve = [&](const char* query) {
      return ExecuteXslPatternAndFillPublicationTable(iDocID, type, *dom, query);
    };
    bool resolved = resolve("//RECEIVER");
    if (!ExecuteXSLPattern(*dom, "//BUSINESSPARTNER").empty()) {
      resolved = resolve("//BUSINESSPARTNER") || resolved;
    } else {
      resolved = resolve("//BUS-PART-C") || resolved;
      resolved = resolve("//BUS-PART-S") || resolved;
    }
    return resolved ? 1 : 0;
  });
}

int32_t Utility::FillPublicationTable(int32_t iDocID, const std::string& iDocTypeID, int32_t iBPID,
                                      const std::string& iUserID) {
  return core::Guarded("Velmora.Utility.FillPublicationTable", [&]() -> int32_t {
    std::unique_ptr<db::Connection> connection;
    std::string sql = std::string("INSERT INTO PUBLICATION ") + "SELECT " + std::to_string(iDocID) +
                      ", DISTRIBUTIONLIST.USERID, 0, 0, NULL " + "FROM DISTRIBUTIONLIST " +
                      "WHERE DISTRIBUTIONLIST.DOCUMENTTYPEID = " + core::SqlText(iDocTypeID) + " ";
    if (iBPID != 0) {
      sql += " AND BUSINESSPARTNERID = " + core::SqlLong(iBPID);
    }
    if (!iUserID.empty()) {
      sql += " AND USERID = " + core::SqlText(iUserID) + " ";
    }
    sql += std::string(" AND DISTRIBUTIONLIST.USERID NOT IN (SELECT PUBLICATION.USERID FROM ") +
           "PUBLICATION WHERE PUBLICATION.USERID = DISTRIBUTIONLIST.USERID AND DOCUMENTID = " +
           core::SqlLong(iDocID) + ")";
    connection = core::GetConnection();
    const int64_t inserted = connection->Execute(sql);
    core::CloseConnection(connection);
    return static_cast<int32_t>(inserted);
  });
}

void Utility::RemoveAllRoutingInfoFromDocument(int32_t iDocID, xml::Document& oXmlDoc) {
  core::Guarded("Velmora.Utility.RemoveAllRoutingInfoFromDocument", [&] {
    for (const char* query : kRoutingQueries) {
      ClearTagsAndWriteDocToDB(iDocID, oXmlDoc, query);
    }
  });
}

bool Utility::ClearTagsAndWriteDocToDB(int32_t iDocID, xml::Document& oXmlDoc,
                                       const std::string& sXslPattern) {
  return core::Guarded("Velmora.Utility.ClearTagsAndWriteDocToDB", [&]() -> bool {
    const std::shared_ptr<xml::NodeList> nodes =
        ExecuteXSLPatternReturnAllNodes(oXmlDoc, sXslPattern);
    if (nodes && !nodes->Empty()) {
      for (const xml::Node& node : *nodes) {
        node.SetText("");
      }
      Document().UpdateDocumentWithXmlBody(iDocID, oXmlDoc.Xml());
    }
    return false;
  });
}

std::string Utility::GetDefaultReceiver(const std::string& sXML) {
  return core::Guarded(kDefaultReceiverPath, [&]() -> std::string {
    return DefaultReceiverOfParsed(*this, *ParseRoutingDocument(sXML));
  });
}

std::string recipients::DefaultReceiverOf(Utility& utility, const xml::Document& document) {
  return core::Guarded(kDefaultReceiverPath,
                       [&]() -> std::string { return DefaultReceiverOfParsed(utility, document); });
}

}  // namespace velmora
