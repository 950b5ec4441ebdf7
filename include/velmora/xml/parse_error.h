#pragma once

#include <cstdint>
#include <string>

namespace velmora::xml {

// Numbers of malformed-input failures: this base plus the parser's own error number, so that
// they never collide with the runtime's numbers or with EnumerationErrors.
inline constexpr int32_t kXmlParseErrorBase = static_cast<int32_t>(0x80050000u);

// Why the last load of a document failed.
enum class ParseFailure {
  kNone,            // the load succeeded
  kFileNotFound,    // the file (or URL) is not there; callers raise CannotLoadFile
  kFileUnreadable,  // the file exists but cannot be read (permission, folder, transfer failure)
  kMalformed,       // the input was read but is not well-formed (or not namespace-well-formed,
                    // or its entities expand beyond the limit)
};

// The outcome of the last LoadXml/LoadFile/LoadUrl of a Document. Value type.
struct ParseError {
  ParseFailure failure = ParseFailure::kNone;
  // 0 after a successful load. kMalformed: kXmlParseErrorBase + the parser's error number.
  // kFileNotFound: kErrFileNotFound. kFileUnreadable: kErrPermissionDenied when access was
  // refused, otherwise kErrPathNotFound.
  int32_t code = 0;
  std::string reason;       // the parser's (or file system's) message, one line
  int32_t line = 0;         // 1-based line of the failure in the input, 0 when unknown
  int32_t column = 0;       // 1-based position in that line, as the parser counts it; 0 unknown
  std::string url;          // the file path or URL loaded; "" for text
  std::string source_text;  // the input line at `line` when the input is UTF-8 text, else ""

  bool failed() const { return failure != ParseFailure::kNone; }
  bool file_not_found() const { return failure == ParseFailure::kFileNotFound; }
};

}  // namespace velmora::xml
