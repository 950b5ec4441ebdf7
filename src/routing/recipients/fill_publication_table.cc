// Resolving a document's recipients into PUBLICATION rows; and Utility's published forms.
#include <memory>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "routing/node_queries.h"
#include "routing/recipients/obi_document_info.h"
#include "routing/recipients/resolution.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

// The routing elements that RemoveRoutingElements blanks, in this order.
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

std::string FirstText(const xml::Document& document, const char* query) {
  return routing::node_queries::FirstText(document, query);
}

}  // namespace

namespace recipients {

int32_t ResolveRecipients(int32_t doc_id, const std::string& type, const std::string& xml) {
  Document documents;
  const std::string text = xml.empty() ? documents.GetXmlDocument(doc_id) : xml;
  const std::string doc_type = type.empty() ? documents.GetDocumentTypeOfDocument(doc_id) : type;
  if (doc_type.empty() || doc_id == 0 || text.empty()) {
    return 0;
  }
  const std::shared_ptr<xml::Document> dom = ParseRoutingDocument(text);
  if (UsesWholeList(FirstText(*dom, "//USESDISTLIST"))) {
    const int32_t result = FillFromDistributionList(doc_id, doc_type, 0, "") > 0 ? 1 : 0;
    RemoveRoutingElements(doc_id, *dom);
    return result;
  }
  const ObiDocumentInfo obi = GetObiDocumentInfo(dom);
  if (obi.is_obi) {
    return FillFromDistributionList(doc_id, doc_type, 0, obi.receiver_user) > 0 ? 1 : 0;
  }
  const auto resolve = [&](const char* query) {
    return ResolveRoutingElement(doc_id, doc_type, *dom, query);
  };
  bool resolved = resolve("//RECEIVER");
  if (!FirstText(*dom, "//BUSINESSPARTNER").empty()) {
    resolved = resolve("//BUSINESSPARTNER") || resolved;
  } else {
    resolved = resolve("//BUS-PART-C") || resolved;
    resolved = resolve("//BUS-PART-S") || resolved;
  }
  return resolved ? 1 : 0;
}

int32_t FillFromDistributionList(db::Connection& connection, int32_t doc_id,
                                 const std::string& type, int32_t partner,
                                 const std::string& user) {
  std::string sql = std::string("INSERT INTO PUBLICATION ") + "SELECT " + std::to_string(doc_id) +
                    ", DISTRIBUTIONLIST.USERID, 0, 0, NULL " + "FROM DISTRIBUTIONLIST " +
                    "WHERE DISTRIBUTIONLIST.DOCUMENTTYPEID = " + core::SqlText(type) + " ";
  if (partner != 0) {
    sql += " AND BUSINESSPARTNERID = " + core::SqlLong(partner);
  }
  if (!user.empty()) {
    sql += " AND USERID = " + core::SqlText(user) + " ";
  }
  sql += std::string(" AND DISTRIBUTIONLIST.USERID NOT IN (SELECT PUBLICATION.USERID FROM ") +
         "PUBLICATION WHERE PUBLICATION.USERID = DISTRIBUTIONLIST.USERID AND DOCUMENTID = " +
         core::SqlLong(doc_id) + ")";
  return static_cast<int32_t>(connection.Execute(sql));
}

int32_t FillFromDistributionList(int32_t doc_id, const std::string& type, int32_t partner,
                                 const std::string& user) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  const int32_t inserted = FillFromDistributionList(*connection, doc_id, type, partner, user);
  core::CloseConnection(connection);
  return inserted;
}

void RemoveRoutingElements(int32_t doc_id, xml::Document& document) {
  for (const char* query : kRoutingQueries) {
    ClearAndStore(doc_id, document, query);
  }
}

void ClearAndStore(int32_t doc_id, xml::Document& document, const std::string& query) {
  const std::shared_ptr<xml::NodeList> nodes = routing::node_queries::AllNodes(document, query);
  if (nodes && !nodes->Empty()) {
    for (const xml::Node& node : *nodes) {
      node.SetText("");
    }
    Document().UpdateDocumentWithXmlBody(doc_id, document.Xml());
  }
}

std::string DefaultReceiverOf(const xml::Document& document) {
  if (!FirstText(document, "//REQUISITIONER").empty()) {
    return FirstText(document, "//RECEIVER");
  }
  return "";
}

}  // namespace recipients

int32_t Utility::GetRecipientsAndFillPublicationTable(int32_t iDocID, const std::string& iDocTypeID,
                                                      const std::string& iXML) {
  return core::Guarded("Velmora.Utility.GetRecipientsAndFillPublicationTable",
                       [&] { return recipients::ResolveRecipients(iDocID, iDocTypeID, iXML); });
}

int32_t Utility::FillPublicationTable(int32_t iDocID, const std::string& iDocTypeID, int32_t iBPID,
                                      const std::string& iUserID) {
  return core::Guarded("Velmora.Utility.FillPublicationTable", [&] {
    return recipients::FillFromDistributionList(iDocID, iDocTypeID, iBPID, iUserID);
  });
}

void Utility::RemoveAllRoutingInfoFromDocument(int32_t iDocID, xml::Document& oXmlDoc) {
  core::Guarded("Velmora.Utility.RemoveAllRoutingInfoFromDocument",
                [&] { recipients::RemoveRoutingElements(iDocID, oXmlDoc); });
}

bool Utility::ClearTagsAndWriteDocToDB(int32_t iDocID, xml::Document& oXmlDoc,
                                       const std::string& sXslPattern) {
  return core::Guarded("Velmora.Utility.ClearTagsAndWriteDocToDB", [&] {
    recipients::ClearAndStore(iDocID, oXmlDoc, sXslPattern);
    return false;
  });
}

std::string Utility::GetDefaultReceiver(const std::string& sXML) {
  return core::Guarded("Velmora.Utility.GetDefaultReceiver",
                       [&] { return recipients::DefaultReceiverOf(*ParseRoutingDocument(sXML)); });
}

}  // namespace velmora
