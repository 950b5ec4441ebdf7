#include "routing/style_sheets.h"

#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "routing/xml_loading.h"
#include "routing/xml_network_component.h"
#include "velmora/base/error.h"
#include "velmora/routing/xml.h"

namespace velmora::routing::style_sheets {
namespace {

// "D2ORiro.XML" is creatable from program start-up on.
[[maybe_unused]] const bool kNetworkXmlRegistered = (RegisterNetworkXmlComponent(), true);

bool IsNetworkStyleSheet(const std::string& path) { return path.rfind("\\\\", 0) == 0; }

// `value` ending with the separator of its kind: "/" for a base URL, "\" for a folder.
std::string WithSeparator(std::string value) {
  const char separator = IsHttpStyleSheet(value) ? '/' : '\\';
  if (value.empty() || value.back() != separator) {
    value += separator;
  }
  return value;
}

}  // namespace

std::string Transform(const std::string& xml, const std::string& style_sheet,
                      const std::string& source) {
  if (!IsNetworkStyleSheet(style_sheet)) {
    return XML().ApplyXslStyleSheetToXmlString(xml, style_sheet);
  }
  auto component = core::GetComponent<core::Dispatch>(kNetworkXmlProgId);
  if (!component) {
    throw Error(kErrObjectRequired, source, "Object required");
  }
  std::vector<Variant> args{Variant(xml), Variant(style_sheet)};
  return component->Invoke("ApplyXslStyleSheetToXmlString", args).ToText();
}

std::string TransformFolder() { return WithSeparator(core::GetParameter("TransformXSLPath")); }

std::string HtmlFolder() { return WithSeparator(core::GetParameter("HTMLXSLPath")); }

}  // namespace velmora::routing::style_sheets
