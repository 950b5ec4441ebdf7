#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmora/base/variant.h"

namespace velmora {

// Velmora.IMethodCall: the interface of older plug-ins, operations in slot order. The
// library's own class answers every call with false; a plug-in component created by ProgID
// implements it when its library says so (see velmora/plugin/method_call.h).
class IMethodCall {
 public:
  virtual ~IMethodCall() = default;
  // Receives the document text; the plug-in may change the argument.
  virtual bool MethodCall(Variant& i_vDocumentData);
  // Receives a workbook; the plug-in may hand back another one.
  virtual bool GetExcelWorkBook(ObjectRef& i_oExcelWorkBook);
};

// Velmora.IMethodCall24: the interface of current plug-ins, operations in slot order. The
// library's own class does nothing.
class IMethodCall24 {
 public:
  virtual ~IMethodCall24() = default;
  virtual void setBusinessPartnerID(int32_t i_lBPID);
  virtual void setDocumentID(int32_t i_lDocID);
  // Full paths of the document's attachment files.
  virtual void setDocumentAttachments(std::vector<std::string>& i_asAttachments);
  virtual void setDocumentXML(std::string i_sDocumentData);
  virtual void setExcelWorkBook(ObjectRef i_oExcelWorkBook);
  virtual void Process();
};

}  // namespace velmora
