#pragma once

#include <string>

#include "velmora/base/variant.h"

// Calls of plug-in methods named by a method string: "component.class" or
// "component.class.method" (the component before the second ".", the method after it). Plug-ins
// are the components named in config/components.xml of the home. Failures raise, unreported.
namespace velmora::delivery::plugin_methods {

// The text before the second "." (the whole string when it holds fewer than two ".").
std::string ComponentOf(const std::string& method_string);

// The text after the second "."; "" when there is none or it is the last character.
std::string MethodOf(const std::string& method_string);

// Calls the plug-in with `arguments`: the named method, else MethodCall of the IMethodCall
// interface, else the late-bound member "IMethodCall_MethodCall"; the answer as a boolean.
// `arguments` holds what the plug-in wrote into it.
bool Call(const std::string& method_string, Variant& arguments);

// Hands `workbook` (a sheet::WorkbookObject) to the plug-in: the named method, else
// GetExcelWorkBook of the IMethodCall interface, else the late-bound member
// "IMethodCall_GetExcelWorkBook"; the answer as a boolean. The workbook the plug-in hands back
// replaces `workbook`. After a successful call the file `template_file` is deleted unless it
// is ""; on failure the workbook is closed before the failure is raised.
bool CallWithWorkbook(const std::string& method_string, ObjectRef& workbook,
                      const std::string& template_file);

// Whether the component of `method_string` can be created; nothing is called.
bool Creatable(const std::string& method_string);

}  // namespace velmora::delivery::plugin_methods
