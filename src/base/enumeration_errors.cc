#include "velmora/base/enumeration_errors.h"

#include <array>
#include <string_view>
#include <utility>

namespace velmora {
namespace {

constexpr std::array<std::string_view, 54> kNames = {
    "ReferentialAdd",
    "ReferentialInsert",
    "ReferentialDelete",
    "MissingBusinessPartnerID",
    "MissingUserID",
    "MissingDocumentTypeID",
    "ErrorFunctionUserExist",
    "ErrorFunctionDocTypeExist",
    "MissingXMLFileString",
    "MissingParameter",
    "TagNotPresentError",
    "TagIsEmptyError",
    "MissingEmailSenderError",
    "MissingEmailReceiverError",
    "MissingXMLFile",
    "PushByHTTPError",
    "PushByFTPError",
    "HTMLXSLFileError",
    "XSLParseError",
    "XMLLoadError",
    "DocumentIDNotInDatabase",
    "InvalidXSLPatternError",
    "PushDocumentError",
    "ProcessDocumentError",
    "PublishDocumentError",
    "NotAnExcelFile",
    "InvalidObiObject",
    "InvalidObiLanguage",
    "InvalidObiVersion",
    "MissingInput",
    "AttachmentsSupported",
    "CannotLoadFile",
    "NewerVersionAvailable",
    "SendMethodProtocolNotSupported",
    "SendMethodFormatNotSupported",
    "WrongIOMode",
    "AlreadyPresent",
    "NotPresent",
    "EmailImportError",
    "CDOProcessMessagesError",
    "CDOProcessMessageError",
    "CDOProcessAttachmentsError",
    "CDOProcessAttachmentError",
    "MissingFileLocation",
    "InValidDataTypeForExcel",
    "ExcelNotInstalled",
    "InValidExcelAddress",
    "InsertExcelError",
    "InValidFileFormat",
    "ExcelOpeningsError",
    "InvalidParamValue",
    "CannotExecuteSendMethod",
    "DefaultTemplateNotFound",
    "FileError",
};

static_assert(ErrNumber(EnumerationErrors::FileError) -
                  ErrNumber(EnumerationErrors::ReferentialAdd) + 1 ==
              static_cast<int32_t>(kNames.size()));

}  // namespace

std::string EnumerationErrorName(int32_t number) {
  const int64_t offset =
      static_cast<int64_t>(number) - ErrNumber(EnumerationErrors::ReferentialAdd);
  if (offset < 0 || offset >= static_cast<int64_t>(kNames.size())) {
    return {};
  }
  return std::string(kNames[static_cast<size_t>(offset)]);
}

void RaiseError(EnumerationErrors number, std::string source, std::string description) {
  throw Error(ErrNumber(number), std::move(source), std::move(description));
}

}  // namespace velmora
