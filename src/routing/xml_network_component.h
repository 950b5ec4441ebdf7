#pragma once

// Internal to src/routing: the component "D2ORiro.XML", which serves the operations of
// Velmora.XML for style sheets and documents on network paths ("\\server\share\..."). Such
// paths are resolved through the share map of the file layer, so the component gives the same
// results, texts and errors as the XML class.

#include <memory>

#include "core/dispatch.h"

namespace velmora::routing {

inline constexpr const char* kNetworkXmlProgId = "D2ORiro.XML";

// A late-bound object with the methods of Velmora.XML, by the same names and argument orders:
// XmlStringToDomDocument, XmlFileToDomDocument, XslFileToDomDocument,
// ApplyXslStyleSheetToXmlString and ApplyXslStyleSheetToXmlDomDocument. Errors pass through
// unchanged from the XML class. Stateless.
std::shared_ptr<core::Dispatch> NewNetworkXmlComponent();

// Makes "D2ORiro.XML" creatable through the component registry (B2B_getComponent). The XML
// group of Utility calls it once at program start-up (a static initialiser of the file that
// uses the component); calling it again registers it again.
void RegisterNetworkXmlComponent();

}  // namespace velmora::routing
