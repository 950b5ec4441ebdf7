#include "delivery/plugin_methods.h"

#include <memory>

#include "core/components.h"
#include "delivery/plugin_call.h"
#include "delivery/plugin_source.h"
#include "routing/xml_files.h"
#include "velmora/delivery/method_call.h"
#include "velmora/sheet/workbook_object.h"

namespace velmora::delivery::plugin_methods {
namespace {

// The position of the second "." of `text`, or npos.
size_t SecondDot(const std::string& text) {
  const size_t first = text.find('.');
  return first == std::string::npos ? std::string::npos : text.find('.', first + 1);
}

// Closes the workbook on the way out of a failure; a failure to close is dropped so that the
// plug-in's error is the one raised.
void CloseQuietly(const ObjectRef& workbook) noexcept {
  try {
    if (auto book = std::dynamic_pointer_cast<sheet::WorkbookObject>(workbook)) {
      book->Close();
    }
  } catch (...) {
    return;
  }
}

}  // namespace

std::string ComponentOf(const std::string& method_string) {
  return method_string.substr(0, SecondDot(method_string));
}

std::string MethodOf(const std::string& method_string) {
  const size_t dot = SecondDot(method_string);
  return dot == std::string::npos ? std::string() : method_string.substr(dot + 1);
}

bool Call(const std::string& method_string, Variant& arguments) {
  InstallPluginSource();
  return CallPluginTwoWay(
      ComponentOf(method_string), MethodOf(method_string), "IMethodCall_MethodCall", arguments,
      [&arguments](IMethodCall& plugin) { return plugin.MethodCall(arguments); });
}

bool CallWithWorkbook(const std::string& method_string, ObjectRef& workbook,
                      const std::string& template_file) {
  try {
    InstallPluginSource();
    // The workbook reference the plug-in hands back replaces the caller's.
    Variant handed(workbook);
    const bool result =
        CallPluginTwoWay(ComponentOf(method_string), MethodOf(method_string),
                         "IMethodCall_GetExcelWorkBook", handed, [&](IMethodCall& plugin) {
                           const bool answer = plugin.GetExcelWorkBook(workbook);
                           handed = Variant(workbook);
                           return answer;
                         });
    workbook = handed.IsObject() ? handed.AsObject() : nullptr;
    if (!template_file.empty()) {
      routing::xml_files::Delete(template_file);
    }
    return result;
  } catch (...) {
    CloseQuietly(workbook);
    throw;
  }
}

bool Creatable(const std::string& method_string) {
  InstallPluginSource();
  const std::string progid = ComponentOf(method_string);
  try {
    core::ComponentRegistry::Global().Create(progid);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace velmora::delivery::plugin_methods
