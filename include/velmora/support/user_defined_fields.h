#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/db/connection.h"
#include "velmora/xml/document.h"

namespace velmora {

// Velmora.UserDefinedFields: the values of the user-defined fields ("tags") of documents. A
// tag is a row of TAGSCONFIG for a document type, holding a node query; its value for one
// document is the text that query finds in the document's XML, kept in TAGSVALUE (one row per
// document and tag, at most 100 characters: longer values keep their first 100).
//
// Operations that take `iConn` work on that open connection and leave it open (the caller owns
// it and any transaction on it); without one they open their own connection and close it on
// every path. Stateless. Failures are reported as "Velmora.UserDefinedFields.<name>" and
// raised.
class UserDefinedFields {
 public:
  // Replaces the values of document `iDocID` by those of every tag of `iDocTypeID` found in
  // `iXmlDoc` (nullptr is an empty document). A document without XML text keeps no values.
  // On its own connection the replacement is one transaction. Returns true.
  bool FillTagsValueTable(int32_t iDocID, const std::string& iDocTypeID,
                          const std::shared_ptr<xml::Document>& iXmlDoc,
                          db::Connection* iConn = nullptr);
  // Recomputes the values of document `iDocID` from its stored XML body, in one transaction.
  // A body that is not well-formed raises and leaves the values as they were.
  void UpdateValuesInTagsValueTable(int32_t iDocID, const std::string& iDocTypeID);
  // Removes every value of document `iDocID`.
  void DeleteTagsForDocument(int32_t iDocID, db::Connection* iConn = nullptr);
  // Recomputes tag `iTagID` over every document of `iDocTypeID`: its values are removed, then
  // added again (AddTagsValueTable).
  void UpdateTagsValueTable(const std::string& iDocTypeID, int32_t iTagID);
  // Stores the value of tag `iTagID` of `iDocTypeID` for every document of the type whose body
  // is well-formed XML, replacing a value the document already has for the tag. A tag without
  // a definition for the type changes nothing. A document that fails is logged under
  // "Velmora.Utility.AddTagsValueTable" and the next one is processed.
  void AddTagsValueTable(const std::string& iDocTypeID, int32_t iTagID,
                         db::Connection* iConn = nullptr);
};

}  // namespace velmora
