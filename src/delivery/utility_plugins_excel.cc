// Utility::CallMethodForExcel: a workbook handed to a plug-in.
#include <memory>
#include <string>

#include "core/general.h"
#include "delivery/plugin_call.h"
#include "delivery/plugin_source.h"
#include "velmora/base/error.h"
#include "velmora/delivery/method_call.h"
#include "velmora/routing/utility.h"
#include "velmora/sheet/workbook_object.h"

namespace velmora {
namespace {

// Closes the workbook on the way out of a failure; a failure to close is dropped so that the
// plug-in's error is the one reported.
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

bool Utility::CallMethodForExcel(std::string& iDllClassMethodString, ObjectRef& i_oExcelWorkBook,
                                 const std::string& i_sFilePathTemplate) {
  bool result = false;
  try {
    delivery::InstallPluginSource();
    const std::string progid = GetClass(iDllClassMethodString).ToText();
    const std::string method = GetMethod(iDllClassMethodString).ToText();
    // The workbook reference the plug-in hands back replaces the caller's.
    Variant workbook(i_oExcelWorkBook);
    result = delivery::CallPluginTwoWay(
        progid, method, "IMethodCall_GetExcelWorkBook", workbook, [&](IMethodCall& plugin) {
          const bool answer = plugin.GetExcelWorkBook(i_oExcelWorkBook);
          workbook = Variant(i_oExcelWorkBook);
          return answer;
        });
    i_oExcelWorkBook = workbook.IsObject() ? workbook.AsObject() : nullptr;
    if (!i_sFilePathTemplate.empty()) {
      DeleteXMLFileFromDisk(i_sFilePathTemplate);
    }
  } catch (...) {
    CloseQuietly(i_oExcelWorkBook);
    core::ReportError("Velmora.Utility.CallMethod_Excel",
                      Variant("object " + iDllClassMethodString +
                              " not found or method called with wrong number/type of arguments"));
  }
  return result;
}

}  // namespace velmora
