#pragma once

#include <string>

// Rendering with style sheets and the style-sheet folders of the installation.
namespace velmora::routing::style_sheets {

// `xml` transformed by the style sheet `style_sheet`: a path beginning with two backslashes
// through the component "D2ORiro.XML" (missing: kErrObjectRequired with source `source`),
// anything else through Velmora.XML (a file, or a URL when it begins with "http"). Failures
// raise as the XML class raises them.
std::string Transform(const std::string& xml, const std::string& style_sheet,
                      const std::string& source);

// Parameter "TransformXSLPath" (resp. "HTMLXSLPath") ending with "/" when its first four
// characters are "http" (any case), with "\" otherwise; a blank parameter gives "\".
std::string TransformFolder();
std::string HtmlFolder();

}  // namespace velmora::routing::style_sheets
