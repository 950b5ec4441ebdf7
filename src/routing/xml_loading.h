#pragma once

// Internal to src/routing: the two loaders of Velmora.XML and the texts they raise, shared by
// the XML class and the "D2ORiro.XML" component.

#include <memory>
#include <string>

#include "velmora/xml/document.h"
#include "velmora/xml/parse_error.h"

namespace velmora::routing {

// The description of a failed XML load (see velmora/routing/xml.h for the layout). `file` is
// the file name or URL as the caller wrote it; `from_file` says whether a file was loaded.
std::string XmlLoadFailureText(const xml::ParseError& error, bool from_file,
                               const std::string& file);
// The description of a failed style-sheet load that is not a missing file.
std::string XslLoadFailureText(const xml::ParseError& error, bool from_file,
                               const std::string& file);

// LoadXmlInDomDocument: a new document from `xml_text` when its trimmed form is not empty,
// otherwise from the file or URL `file`. Raises through ReportError
// "Velmora.XML.LoadXmlInDomDocument": XMLLoadError for input that is not well-formed,
// MissingXMLFile for a file or URL that is missing or cannot be read.
std::shared_ptr<xml::Document> LoadXmlInDomDocument(const std::string& xml_text,
                                                    const std::string& file);

// LoadXslInDomDocument: the same for style sheets; a file name whose first four characters are
// "http" (any case) is downloaded. Raises through ReportError
// "Velmora.XML.LoadXslInDomDocument": CannotLoadFile with label "ZODAR0052" for a style sheet
// that is not there, CannotLoadFile with the layout for one that cannot be read, XSLParseError
// for one that is not well-formed.
std::shared_ptr<xml::Document> LoadXslInDomDocument(const std::string& xsl_text,
                                                    const std::string& file);

// The text of label `code` (default language) with "[%FILENAME%]" replaced by `file`, ignoring
// case. When the label cannot be read, "<code> [%FILENAME%]=<file>" stands in, so that the
// failure being described is not replaced by the failure to describe it.
std::string LabelWithFileName(const std::string& code, const std::string& file);

// True when the first four characters of `location`, lower-cased, are "http".
bool IsHttpStyleSheet(const std::string& location);

}  // namespace velmora::routing
