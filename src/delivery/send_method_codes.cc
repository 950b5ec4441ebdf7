// The enumeration conversions, field clearing and label placeholders of Velmora.SendMethod.
#include <initializer_list>

#include "velmora/delivery/send_method.h"

namespace velmora {
namespace {

template <class E>
int16_t ToNumber(E value, std::initializer_list<E> members) {
  for (E member : members) {
    if (member == value) {
      return static_cast<int16_t>(value);
    }
  }
  return 0;
}

template <class E>
E FromNumber(int16_t value, std::initializer_list<E> members) {
  for (E member : members) {
    if (static_cast<int16_t>(member) == value) {
      return member;
    }
  }
  return E{};
}

constexpr std::initializer_list<ESendMethodProtocol> kProtocols = {
    ESendMethodProtocol::Email,          ESendMethodProtocol::Fax,
    ESendMethodProtocol::FilePath,       ESendMethodProtocol::Ftp,
    ESendMethodProtocol::Http,           ESendMethodProtocol::MethodCall,
    ESendMethodProtocol::ManualDownload, ESendMethodProtocol::EDI};
constexpr std::initializer_list<EWriteMode> kWriteModes = {EWriteMode::Append, EWriteMode::Create,
                                                           EWriteMode::Update};
constexpr std::initializer_list<ESendMethodFormat> kFormats = {
    ESendMethodFormat::Excel, ESendMethodFormat::OBI, ESendMethodFormat::XML};
constexpr std::initializer_list<ESendMethodSuffix> kSuffixes = {ESendMethodSuffix::DocumentID,
                                                                ESendMethodSuffix::None};
constexpr std::initializer_list<ESendMethodFileFormat> kFileFormats = {
    ESendMethodFileFormat::ASCII, ESendMethodFileFormat::Unicode};
constexpr std::initializer_list<ESendMethodFTPTransferType> kTransferTypes = {
    ESendMethodFTPTransferType::ASCII, ESendMethodFTPTransferType::Binary};

}  // namespace

int16_t SendMethod::getSendMethodStatus_SENT() {
  return static_cast<int16_t>(SENDMETHODSTATUS::SENT);
}

int16_t SendMethod::getSendMethodStatus_NOTSENT() {
  return static_cast<int16_t>(SENDMETHODSTATUS::NOTSENT);
}

int16_t SendMethod::SendMethodProtocol_EnumToInteger(ESendMethodProtocol value) {
  return ToNumber(value, kProtocols);
}
int16_t SendMethod::SendMethodWriteMode_EnumToInteger(EWriteMode value) {
  return ToNumber(value, kWriteModes);
}
int16_t SendMethod::SendMethodFormat_EnumToInteger(ESendMethodFormat value) {
  return ToNumber(value, kFormats);
}
int16_t SendMethod::SendMethodSuffix_EnumToInteger(ESendMethodSuffix value) {
  return ToNumber(value, kSuffixes);
}
int16_t SendMethod::SendMethodFileFormat_EnumToInteger(ESendMethodFileFormat value) {
  return ToNumber(value, kFileFormats);
}
int16_t SendMethod::SendMethodFTPTransferType_EnumToInteger(ESendMethodFTPTransferType value) {
  return ToNumber(value, kTransferTypes);
}
ESendMethodProtocol SendMethod::SendMethodProtocol_IntegerToEnum(int16_t value) {
  return FromNumber(value, kProtocols);
}
EWriteMode SendMethod::SendMethodWriteMode_IntegerToEnum(int16_t value) {
  return FromNumber(value, kWriteModes);
}
ESendMethodFormat SendMethod::SendMethodFormat_IntegerToEnum(int16_t value) {
  return FromNumber(value, kFormats);
}
ESendMethodSuffix SendMethod::SendMethodSuffix_IntegerToEnum(int16_t value) {
  return FromNumber(value, kSuffixes);
}
ESendMethodFileFormat SendMethod::SendMethodFileFormat_IntegerToEnum(int16_t value) {
  return FromNumber(value, kFileFormats);
}
ESendMethodFTPTransferType SendMethod::SendMethodFTPTransferType_IntegerToEnum(int16_t value) {
  return FromNumber(value, kTransferTypes);
}

void SendMethod::ClearSendMethodFieldsByProtocol(TSendMethodProperties& io_uSMP) {
  TSendMethodProperties& p = io_uSMP;
  const bool excel = p.nFormat == ESendMethodFormat::Excel;
  const auto clear_account = [&p] {
    p.lPort = 0;
    p.lProxyPort = 0;
    p.sProxy.clear();
    p.sPassword.clear();
    p.sUser.clear();
  };
  const auto clear_file_naming = [&p] {
    p.nSuffix = ESendMethodSuffix{};
    p.sFileExtension.clear();
    p.sFileName.clear();
  };
  switch (p.nProtocol) {
    case ESendMethodProtocol::Email:
    case ESendMethodProtocol::Fax:
      p.nFTPTransferType = ESendMethodFTPTransferType{};
      p.nWriteMode = EWriteMode{};
      clear_account();
      if (p.nProtocol == ESendMethodProtocol::Email && !excel) {
        p.sExcelTemplate.clear();
      }
      break;
    case ESendMethodProtocol::FilePath:
      p.nFTPTransferType = ESendMethodFTPTransferType{};
      clear_account();
      if (!excel) {
        p.nWriteMode = EWriteMode{};
        p.sExcelTemplate.clear();
      } else if (p.nWriteMode != EWriteMode::Create) {
        p.sExcelTemplate.clear();
      }
      break;
    case ESendMethodProtocol::Ftp:
      p.nWriteMode = EWriteMode{};
      if (!excel) {
        p.sExcelTemplate.clear();
      }
      break;
    case ESendMethodProtocol::Http:
      p.nFTPTransferType = ESendMethodFTPTransferType{};
      p.nWriteMode = EWriteMode{};
      p.sExcelTemplate.clear();
      clear_file_naming();
      break;
    case ESendMethodProtocol::MethodCall:
      p.nFTPTransferType = ESendMethodFTPTransferType{};
      p.nWriteMode = EWriteMode{};
      clear_file_naming();
      clear_account();
      p.nFileFormat = ESendMethodFileFormat{};
      if (!excel) {
        p.sExcelTemplate.clear();
      }
      break;
    case ESendMethodProtocol::ManualDownload:
      p.nFTPTransferType = ESendMethodFTPTransferType{};
      p.nWriteMode = EWriteMode{};
      clear_file_naming();
      clear_account();
      break;
    case ESendMethodProtocol::EDI:
      p.nFTPTransferType = ESendMethodFTPTransferType{};
      p.sExcelTemplate.clear();
      clear_account();
      break;
  }
}

std::string SendMethod::GetSendMethodProtocolLabel(ESendMethodProtocol i_nProtocol) {
  switch (i_nProtocol) {
    case ESendMethodProtocol::Email:
      return "[%ZODAR4428%]";
    case ESendMethodProtocol::Fax:
      return "[%ZODAR4429%]";
    case ESendMethodProtocol::FilePath:
      return "[%ZODAR4430%]";
    case ESendMethodProtocol::Ftp:
      return "[%ZODAR4431%]";
    case ESendMethodProtocol::Http:
      return "[%ZODAR4432%]";
    case ESendMethodProtocol::MethodCall:
      return "[%ZODAR4433%]";
    case ESendMethodProtocol::EDI:
      return "[%ZODAR4434%]";
    case ESendMethodProtocol::ManualDownload:
      return "";
  }
  return "";
}

std::string SendMethod::GetSendMethodFormatLabel(ESendMethodProtocol i_nFormat) {
  switch (static_cast<ESendMethodFormat>(i_nFormat)) {
    case ESendMethodFormat::Excel:
      return "[%ZODAR5556%]";
    case ESendMethodFormat::OBI:
      return "[%ZODAR5555%]";
    case ESendMethodFormat::XML:
      return "[%ZODAR5554%]";
  }
  return "";
}

std::string SendMethod::GetSendMethodFileFormatLabel(ESendMethodFileFormat i_nFileFormat) {
  switch (i_nFileFormat) {
    case ESendMethodFileFormat::ASCII:
      return "[%ZODAR5057%]";
    case ESendMethodFileFormat::Unicode:
      return "[%ZODAR5058%]";
  }
  return "";
}

}  // namespace velmora
