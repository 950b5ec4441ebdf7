// Utility::CallMethodForExcel: a workbook handed to a plug-in.
#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "core/general.h"
#include "delivery/plugin_source.h"
#include "platform/sheet/workbook_object.h"
#include "velmora/base/error.h"
#include "velmora/delivery/method_call.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// Calls `method` of `component` late bound with the workbook as its one by-reference argument;
// the answer as a boolean.
bool CallWithWorkbook(const ObjectRef& component, const std::string& progid,
                      const std::string& method, ObjectRef& workbook) {
  auto dispatch = std::dynamic_pointer_cast<core::Dispatch>(component);
  if (!dispatch) {
    throw Error(kErrUnknownMethod, progid,
                "Object doesn't support this property or method: " + method);
  }
  std::vector<Variant> args{Variant(workbook)};
  const Variant answer = dispatch->Invoke(method, args);
  workbook = args[0].IsObject() ? args[0].AsObject() : nullptr;
  return answer.ToBool();
}

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
    ObjectRef component;
    std::shared_ptr<IMethodCall> early;
    try {
      component = core::ComponentRegistry::Global().Create(progid);
      early = std::dynamic_pointer_cast<IMethodCall>(component);
    } catch (...) {
      early.reset();
    }
    if (early) {
      result = method.empty() ? early->GetExcelWorkBook(i_oExcelWorkBook)
                              : CallWithWorkbook(component, progid, method, i_oExcelWorkBook);
    } else {
      component = core::ComponentRegistry::Global().Create(progid);
      result = CallWithWorkbook(component, progid,
                                method.empty() ? "IMethodCall_GetExcelWorkBook" : method,
                                i_oExcelWorkBook);
    }
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
