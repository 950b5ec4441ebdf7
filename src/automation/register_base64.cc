#include "automation/registration.h"
#include "velmora/support/base64.h"

namespace velmora::automation {

// Velmora.Base64 with all its methods.
void RegisterBase64Classes(ClassRegistry& registry) {
  registry.Add("Velmora.Base64")
      .Bind("Base64Encode", &Base64::Base64Encode, {"abBytes"})
      .Bind("Base64Decode", &Base64::Base64Decode, {"sText"})
      .Bind("UnicodeStringToByte", &Base64::UnicodeStringToByte, {"sString"})
      .Bind("ByteToUnicodeString", &Base64::ByteToUnicodeString, {"abBytes"})
      .Bind("StripIllegalChars", &Base64::StripIllegalChars, {"sString"})
      .Bind("InsertNewlineChars", &Base64::InsertNewlineChars, {"sString", "lLineLength"});
}

}  // namespace velmora::automation
