#include "routing/recipients/obi_document_info.h"

#include <vector>

#include "core/dispatch.h"
#include "core/general.h"
#include "velmora/base/variant.h"

namespace velmora::recipients {
namespace {

// GetObiDocumentInfo's arguments: DOM document, XML text, then the by-reference outputs
// document type id, sender partner, sender user, receiver partner, receiver user.
constexpr size_t kTypeArgument = 2;
constexpr size_t kReceiverUserArgument = 6;
constexpr size_t kArgumentCount = 7;

}  // namespace

ObiDocumentInfo GetObiDocumentInfo(const std::shared_ptr<xml::Document>& document) {
  ObiDocumentInfo info;
  auto obi = core::GetComponent<core::Dispatch>("Velmora.OBI");
  if (!obi) {
    return info;
  }
  std::vector<Variant> args(kArgumentCount, Variant(std::string()));
  args[0] = Variant(ObjectRef(document));
  info.is_obi = obi->Invoke("GetObiDocumentInfo", args).ToBool();
  if (info.is_obi) {
    info.document_type_id = args[kTypeArgument].ToText();
    info.receiver_user = args[kReceiverUserArgument].ToText();
  }
  return info;
}

}  // namespace velmora::recipients
