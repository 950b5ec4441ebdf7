#include "velmora/delivery/method_call.h"

namespace velmora {

bool IMethodCall::MethodCall(Variant& /*i_vDocumentData*/) { return false; }

bool IMethodCall::GetExcelWorkBook(ObjectRef& /*i_oExcelWorkBook*/) { return false; }

void IMethodCall24::setBusinessPartnerID(int32_t /*i_lBPID*/) {}

void IMethodCall24::setDocumentID(int32_t /*i_lDocID*/) {}

void IMethodCall24::setDocumentAttachments(std::vector<std::string>& /*i_asAttachments*/) {}

void IMethodCall24::setDocumentXML(std::string /*i_sDocumentData*/) {}

void IMethodCall24::setExcelWorkBook(ObjectRef /*i_oExcelWorkBook*/) {}

void IMethodCall24::Process() {}

}  // namespace velmora
