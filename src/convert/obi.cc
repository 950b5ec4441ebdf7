// Velmora.OBI: packing and unpacking OBI objects, and the check of their version and language.
#include "velmora/convert/obi.h"

#include <string_view>

#include "convert/obi_envelope.h"
#include "convert/obi_failures.h"
#include "core/labels.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"
#include "velmora/support/base64.h"

namespace velmora {
namespace {

using convert::EnvelopeFault;
using convert::ObiEnvelope;
using convert::RaiseObiError;

constexpr uint8_t kSupportedMajorVersion = 3;

// The first two bytes of `version`, 0 for each that is missing, and the code of `language`.
// A language without a code keeps code 0; CheckObiVersionSupported refuses it.
ObiEnvelope VersionSegment(const Bytes& version, EObiLanguage language) {
  ObiEnvelope envelope;
  envelope.major = version.size() > 0 ? version[0] : 0;
  envelope.minor = version.size() > 1 ? version[1] : 0;
  switch (language) {
    case EObiLanguage::X12:
      envelope.language_code = convert::kObiLanguageCodeX12;
      break;
    case EObiLanguage::Edifact:
      envelope.language_code = convert::kObiLanguageCodeEdifact;
      break;
    case EObiLanguage::XML:
      envelope.language_code = convert::kObiLanguageCodeXml;
      break;
  }
  return envelope;
}

// Raises InvalidObiObject ("ZODAR4504") when `content` is not well-formed XML.
void CheckObiObjectContainsValidXml(const std::string& content) {
  xml::Document document;
  if (!document.LoadXml(content)) {
    RaiseObiError(EnumerationErrors::InvalidObiObject, "CheckObiObjectContainsValidXml",
                  "ZODAR4504");
  }
}

// The text of an object's content: UTF-16LE when its second byte is 0 (as UnicodeStringToByte
// writes text outside Windows-1252; a NUL character is never part of XML text), otherwise one
// Windows-1252 character per byte.
std::string ContentText(const Bytes& content) {
  if (content.size() >= 2 && content[1] == 0) {
    return text::Utf16ToUtf8(
        std::string_view(reinterpret_cast<const char*>(content.data()), content.size()), true);
  }
  return Base64().ByteToUnicodeString(content);
}

// The bytes of Base64 text `object`; InvalidObiObject ("ZODAR4503") when it does not decode.
Bytes DecodeObject(const std::string& object) {
  std::string text = object;
  try {
    return Base64().Base64Decode(text);
  } catch (const Error&) {
    RaiseObiError(EnumerationErrors::InvalidObiObject, "DeconstructObiObject", "ZODAR4503");
  }
}

// Raises the failure of ReadObiEnvelope.
[[noreturn]] void RaiseEnvelopeFault(EnvelopeFault fault) {
  if (fault == EnvelopeFault::kUnknownLanguage) {
    Dictionary replacements;
    replacements.Add("[%OBILANGUAGE%]", Variant(core::GetLabelForMessage("ZODAR0033", {})));
    RaiseObiError(EnumerationErrors::InvalidObiObject, "DeconstructObiObject", "ZODAR4501",
                  replacements);
  }
  RaiseObiError(EnumerationErrors::InvalidObiObject, "DeconstructObiObject",
                fault == EnvelopeFault::kTooShort ? "ZODAR4503" : "ZODAR4502");
}

// The label naming `language` in the language check's message.
const char* LanguageLabel(EObiLanguage language) {
  switch (language) {
    case EObiLanguage::X12:
      return "ZODAR4505";
    case EObiLanguage::Edifact:
      return "ZODAR4506";
    default:
      return "ZODAR0033";
  }
}

}  // namespace

void OBI::ConstructObiObject(Bytes& ioVersion, EObiLanguage iLanguage, const std::string& iXml,
                             Bytes& ioSignature, std::string& oObiObject) {
  try {
    ObiEnvelope envelope = VersionSegment(ioVersion, iLanguage);
    CheckObiVersionSupported(Bytes{envelope.major, envelope.minor}, iLanguage);
    CheckObiObjectContainsValidXml(iXml);
    Base64 base64;
    envelope.content = base64.UnicodeStringToByte(text::Trim(iXml));
    envelope.signature = ioSignature;
    Bytes bytes;
    if (!convert::WriteObiEnvelope(envelope, bytes)) {
      RaiseObiError(EnumerationErrors::InvalidObiObject, "LongToByteArray", "ZODAR4507");
    }
    oObiObject = base64.Base64Encode(bytes);
  } catch (...) {
    convert::PassObiErrorOrReport("ConstructObiObject");
  }
}

void OBI::DeconstructObiObject(const std::string& iObiObject, Bytes& oVersion,
                               EObiLanguage& oLanguage, std::string& oXml, Bytes& oSignature) {
  oVersion = Bytes{0, 0};
  oLanguage = static_cast<EObiLanguage>(0);
  oXml.clear();
  oSignature.clear();
  try {
    const Bytes bytes = DecodeObject(iObiObject);
    ObiEnvelope envelope;
    const EnvelopeFault fault = convert::ReadObiEnvelope(bytes, envelope);
    if (fault != EnvelopeFault::kNone) {
      RaiseEnvelopeFault(fault);
    }
    const auto language = static_cast<EObiLanguage>(envelope.language_code + 1);
    std::string content = ContentText(envelope.content);
    if (language == EObiLanguage::XML) {
      CheckObiObjectContainsValidXml(content);
    }
    oVersion = Bytes{envelope.major, envelope.minor};
    oLanguage = language;
    oXml = std::move(content);
    oSignature = std::move(envelope.signature);
  } catch (...) {
    convert::PassObiErrorOrReport("DeconstructObiObject");
  }
}

void OBI::CheckObiVersionSupported(const Bytes& iVersion, EObiLanguage iLanguage) {
  try {
    const uint8_t major = iVersion.empty() ? 0 : iVersion[0];
    if (major != kSupportedMajorVersion) {
      Dictionary replacements;
      replacements.Add("[%VERSION%]", Variant(std::to_string(major)));
      RaiseObiError(EnumerationErrors::InvalidObiVersion, "CheckObiVersionSupported", "ZODAR4500",
                    replacements);
    }
    if (iLanguage != EObiLanguage::XML) {
      Dictionary replacements;
      replacements.Add("[%OBILANGUAGE%]",
                       Variant(core::GetLabelForMessage(LanguageLabel(iLanguage), {})));
      RaiseObiError(EnumerationErrors::InvalidObiLanguage, "CheckObiVersionSupported", "ZODAR4501",
                    replacements);
    }
  } catch (...) {
    convert::PassObiErrorOrReport("CheckObiVersionSupported");
  }
}

}  // namespace velmora
