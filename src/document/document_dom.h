#pragma once

#include <memory>
#include <string>

#include "velmora/xml/document.h"

// Loading a stored XML body into an XML document, shared by the working and the temporary body.
namespace velmora::document {

// The source of the error raised for a body that is not well-formed.
enum class DomErrorSource {
  kFixed,       // "Velmora.Document.GetXMLDomDocument"
  kParserText,  // the parser's source text (the input line of the failure)
};

// Runs `sql`, loads the first row's `column` into a new document and returns it; a new, empty
// document when there is no row. A body that does not load raises the parser's number with
// "DOM Error: " + its reason as description, its URL as help file and its line as help context.
// Opens and closes its own connection; reports nothing itself.
std::shared_ptr<xml::Document> LoadBodyIntoDom(const std::string& sql, const std::string& column,
                                               DomErrorSource source);

}  // namespace velmora::document
