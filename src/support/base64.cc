#include "velmora/support/base64.h"

#include <string_view>

#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "platform/json/json_codec.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"

namespace velmora {
namespace {

constexpr int32_t kLineLength = 76;
constexpr const char* kEncodePath = "Velmora.Base64.Base64Encode";
constexpr const char* kDecodePath = "Velmora.Base64.Base64Decode";

[[noreturn]] void RaiseMissingInput(const char* path, const std::string& label) {
  RaiseError(EnumerationErrors::MissingInput, path, core::GetLabelForMessage(label, Dictionary()));
}

bool InAlphabet(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

// Whether `data` (a non-empty multiple of 4 long) is Base64: alphabet characters, with at most
// two pad characters, only at the end.
bool IsBase64Text(const Bytes& data) {
  const size_t size = data.size();
  size_t padding = 0;
  if (data[size - 1] == '=') {
    padding = data[size - 2] == '=' ? 2 : 1;
  }
  for (size_t i = 0; i < size - padding; ++i) {
    if (!InAlphabet(data[i])) {
      return false;
    }
  }
  return true;
}

std::string_view AsText(const Bytes& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

std::string Base64::Base64Encode(Bytes& abBytes) {
  if (abBytes.empty()) {
    RaiseMissingInput(kEncodePath, "ZODAR4551");
  }
  try {
    return InsertNewlineChars(json::EncodeBase64(abBytes), kLineLength);
  } catch (...) {
    core::ReportError(kEncodePath);
  }
  return "";
}

Bytes Base64::Base64Decode(std::string& sText) {
  const Bytes data = UnicodeStringToByte(StripIllegalChars(sText));
  if (data.empty() || data.size() % 4 != 0) {
    RaiseMissingInput(kDecodePath, "ZODAR4550");
  }
  if (!IsBase64Text(data)) {
    RaiseMissingInput(kDecodePath, "ZODAR4552");
  }
  try {
    return json::DecodeBase64(AsText(data));
  } catch (...) {
    core::ReportError(kDecodePath);
  }
  return {};
}

Bytes Base64::UnicodeStringToByte(const std::string& sString) {
  return core::Guarded("Velmora.Base64.UnicodeStringToByte", [&]() -> Bytes {
    const std::string single = text::Utf8ToWindows1252(sString, text::Unmappable::kQuestionMark);
    if (text::Windows1252ToUtf8(single) == sString) {
      return Bytes(single.begin(), single.end());
    }
    const std::string wide = text::Utf8ToUtf16Le(sString, false);
    return Bytes(wide.begin(), wide.end());
  });
}

std::string Base64::ByteToUnicodeString(const Bytes& abBytes) {
  return core::Guarded("Velmora.Base64.ByteToUnicodeString",
                       [&]() -> std::string { return text::Windows1252ToUtf8(AsText(abBytes)); });
}

std::string Base64::StripIllegalChars(const std::string& sString) {
  return core::Guarded("Velmora.Base64.StripIllegalChars", [&]() -> std::string {
    std::string kept;
    kept.reserve(sString.size());
    for (char c : sString) {
      if (c != '\r' && c != '\n' && c != '\t' && c != ' ') {
        kept += c;
      }
    }
    return kept;
  });
}

std::string Base64::InsertNewlineChars(const std::string& sString, int32_t lLineLength) {
  return core::Guarded("Velmora.Base64.InsertNewlineChars", [&]() -> std::string {
    if (lLineLength <= 0) {
      return sString;
    }
    std::string lines;
    std::string_view rest = sString;
    while (true) {
      const std::string line = text::Utf8Left(rest, static_cast<size_t>(lLineLength));
      lines += line;
      rest.remove_prefix(line.size());
      if (rest.empty()) {
        return lines;
      }
      lines += "\r\n";
    }
  });
}

}  // namespace velmora
