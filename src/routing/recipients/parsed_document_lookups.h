#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

// Internal: Utility's look-ups on a document the caller has parsed already (processing parses
// the received text once). Each behaves and is reported as the Utility method it names.
namespace velmora::recipients {

// Utility::GetDocType on `document` with `partner` as iBPID.
std::string DocTypeOf(Utility& utility, const std::shared_ptr<xml::Document>& document,
                      int32_t partner);

// Utility::GetDefaultReceiver on `document`.
std::string DefaultReceiverOf(Utility& utility, const xml::Document& document);

}  // namespace velmora::recipients
