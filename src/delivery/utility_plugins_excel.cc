// Utility::CallMethodForExcel: a workbook handed to a plug-in.
#include <string>

#include "core/guarded.h"
#include "delivery/plugin_methods.h"
#include "velmora/routing/utility.h"

namespace velmora {

bool Utility::CallMethodForExcel(const std::string& iDllClassMethodString,
                                 ObjectRef& i_oExcelWorkBook,
                                 const std::string& i_sFilePathTemplate) {
  return core::Guarded(
      "Velmora.Utility.CallMethod_Excel",
      [&] {
        return delivery::plugin_methods::CallWithWorkbook(iDllClassMethodString, i_oExcelWorkBook,
                                                          i_sFilePathTemplate);
      },
      [&] {
        return Variant("object " + iDllClassMethodString +
                       " not found or method called with wrong number/type of arguments");
      });
}

}  // namespace velmora
