#pragma once

#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/xml/document.h"

namespace velmora {

// Velmora.XML: loads XML text, XML files and style sheets into new DOM documents and applies
// style sheets, with line-and-column error texts when a load fails. Stateless; every call
// creates its own documents, so one object may serve one thread at a time and objects on
// different threads never share anything.
//
// Locations: a file name is a path written the library's way ("\" and "/" separate,
// "\\server\share\..." and "X:\..." go through the share and drive maps of the file layer). An
// XML location beginning with "http://" or "https://" is downloaded; a style-sheet location
// whose first four characters are "http" (any case) is always downloaded over http(s).
//
// Failures are raised as velmora::Error through the error chain: each operation reports under
// "Velmora.XML.<operation>" on top of the loader's own report
// ("Velmora.XML.LoadXmlInDomDocument" or "Velmora.XML.LoadXslInDomDocument"). The loaders'
// descriptions, with "\r\n" line breaks:
//
//   XML that is not well-formed (XMLLoadError), or a file that is missing or unreadable
//   (MissingXMLFile):
//     Unable to parse the XML document: It is not present, invalid or not well-formed\r\n
//     [File/URL    : <file name>\r\n]          (only when a file or URL was loaded)
//     Description : <parser's reason>\r\n
//     Line        : <line>\r\n
//     Column      : <column>                   (decimal; 0 when unknown; no final break)
//
//   A style sheet that is not well-formed (XSLParseError), or a file or URL that cannot be
//   read (CannotLoadFile):
//     Unable to parse the XSL file <file name>: It is not present, invalid or not
//     well-formed. \r\n
//     Description : <reason>\r\nLine        : <line>\r\nColumn      : <column>\r\n
//   A style sheet that is not there at all (a missing file, HTTP 404 or 410) raises
//   CannotLoadFile with the text of label "ZODAR0052", "[%FILENAME%]" replaced by the name.
class XML {
 public:
  // A new document holding `i_sXml`. A text that is blank (spaces only) is taken as an empty
  // file name instead, and fails with the "File/URL    : " line.
  std::shared_ptr<xml::Document> XmlStringToDomDocument(const std::string& i_sXml);
  // A new document loaded from the file or URL `i_sXmlFile`.
  std::shared_ptr<xml::Document> XmlFileToDomDocument(const std::string& i_sXmlFile);
  // A new document holding the style sheet at the file or URL `i_sXslFile` (checked to be
  // well-formed; it is compiled when applied).
  std::shared_ptr<xml::Document> XslFileToDomDocument(const std::string& i_sXslFile);

  // `i_sXml` loaded and transformed by the style sheet `i_sXslFile` (see
  // ApplyXslStyleSheetToXmlDomDocument); the transformed text.
  std::string ApplyXslStyleSheetToXmlString(const std::string& i_sXml,
                                            const std::string& i_sXslFile);
  // `io_oXmlDoc` transformed by the style sheet at `io_vXslFile`, serialised as the style
  // sheet's xsl:output says (as UTF-8 text). A Null, Empty or blank `io_vXslFile` returns the
  // document's own XML text unchanged. Raises MissingInput ("Not a valid Xml DOM document is
  // given") when `io_oXmlDoc` is nothing; XSLParseError ("The XML Object couldn't parse XSL
  // file '<name>'." and the processor's messages) when the style sheet does not compile or the
  // transform fails, including a style sheet that recurses without end (stopped at the
  // processor's depth limit). Neither argument is changed.
  std::string ApplyXslStyleSheetToXmlDomDocument(std::shared_ptr<xml::Document>& io_oXmlDoc,
                                                 Variant& io_vXslFile);
};

}  // namespace velmora
