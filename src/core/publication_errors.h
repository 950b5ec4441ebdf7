#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"
#include "velmora/xml/document.h"

// The publication error log: a failure that concerns one document and one receiving partner is
// recorded as a PUBLICATIONERRORS row with its label code and the placeholder values (the
// "replacements") as XML, so that the error box can show it in the reader's language:
//   <REPS><REP name="[%DOCID%]">12</REP>...</REPS>
namespace velmora::core {

using XmlDocumentRef = std::shared_ptr<xml::Document>;

// DOCUMENTTYPEID of document `docId`, trimmed; "" when the row is absent or the type is NULL.
// Raises database failures.
std::string DocumentTypeOfDocument(int32_t docId);

// Appends a PUBLICATIONERRORS row and returns its PUBLICATIONERRORID, or 0 without writing
// when the document does not exist (or has no type). SOURCE keeps its first 255 characters;
// LABEL is left NULL for an empty code, REPLACEMENTS NULL without a document. Failures are
// reported as "Velmora.General.LogPublicationError" and raised.
int32_t LogPublicationError(int32_t docId, int32_t number, const std::string& description,
                            const std::string& source, const std::string& code,
                            const XmlDocumentRef& replacements);
// The same without replacements; reported again as
// "Velmora.PublicationErrorHandlingLogPublicationError".
int32_t LogPublicationError(int32_t docId, int32_t number, const std::string& description,
                            const std::string& source, const std::string& code);

// A new document holding an empty REPS root.
XmlDocumentRef NewReplacementsXml();
// Appends <REP name="key">value</REP> to the document element.
void AddReplacement(xml::Document& doc, const std::string& key, const std::string& value);
// Appends one REP per dictionary entry in order; a missing document, or one whose document
// element is not REPS, is replaced by a new one first. Existing REP elements stay.
void FillReplacementsXml(XmlDocumentRef& doc, const Dictionary& replacements);

// Adds the stored replacements of row `id` of `table` to `dictionary` (created when null), in
// document order. NULL, blank or malformed REPLACEMENTS add nothing; two REP elements with the
// same name raise (the dictionary refuses the second). `table` must be a plain table name.
void GetAllReplacementsFromTable(std::shared_ptr<Dictionary>& dictionary, const std::string& table,
                                 int32_t id);

}  // namespace velmora::core
