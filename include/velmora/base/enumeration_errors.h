#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/error.h"

namespace velmora {

// Numbers of the failures the library recognises: the application error base 0x80040000 plus
// 501 ... 554, contiguous and in this order. Callers tell failures apart by these numbers.
inline constexpr int32_t kApplicationErrorBase = static_cast<int32_t>(0x80040000u);

enum class EnumerationErrors : int32_t {
  ReferentialAdd = kApplicationErrorBase + 501,
  ReferentialInsert,
  ReferentialDelete,
  MissingBusinessPartnerID,
  MissingUserID,
  MissingDocumentTypeID,
  ErrorFunctionUserExist,
  ErrorFunctionDocTypeExist,
  MissingXMLFileString,
  MissingParameter,
  TagNotPresentError,
  TagIsEmptyError,
  MissingEmailSenderError,
  MissingEmailReceiverError,
  MissingXMLFile,
  PushByHTTPError,
  PushByFTPError,
  HTMLXSLFileError,
  XSLParseError,
  XMLLoadError,
  DocumentIDNotInDatabase,
  InvalidXSLPatternError,
  PushDocumentError,
  ProcessDocumentError,
  PublishDocumentError,
  NotAnExcelFile,
  InvalidObiObject,
  InvalidObiLanguage,
  InvalidObiVersion,
  MissingInput,
  AttachmentsSupported,
  CannotLoadFile,
  NewerVersionAvailable,
  SendMethodProtocolNotSupported,
  SendMethodFormatNotSupported,
  WrongIOMode,
  AlreadyPresent,
  NotPresent,
  EmailImportError,
  CDOProcessMessagesError,
  CDOProcessMessageError,
  CDOProcessAttachmentsError,
  CDOProcessAttachmentError,
  MissingFileLocation,
  InValidDataTypeForExcel,
  ExcelNotInstalled,
  InValidExcelAddress,
  InsertExcelError,
  InValidFileFormat,
  ExcelOpeningsError,
  InvalidParamValue,
  CannotExecuteSendMethod,
  DefaultTemplateNotFound,
  FileError,
};

constexpr int32_t ErrNumber(EnumerationErrors error) { return static_cast<int32_t>(error); }

// The member name of a number ("MissingParameter"), or "" when it is not a member.
std::string EnumerationErrorName(int32_t number);

// Raises a recognised failure: the number, "Velmora.Class.Method[_Role]" as source, and the
// (localised) description.
[[noreturn]] void RaiseError(EnumerationErrors number, std::string source, std::string description);

// From whose point of view a document or list is shown.
enum class SENDERMODE : int32_t {
  SENDERMODE = 0,
  RECEIVERMODE = 1,
  ERRORMODE = 2,
  UPLOADMODE = 3,
  CHANGEDOCTYPEMODE = 4,
};

}  // namespace velmora
