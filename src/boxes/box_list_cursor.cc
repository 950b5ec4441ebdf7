// The cursor of Velmora.BoxList: the key of the last row of a page as an opaque text,
// "D<creation date in hex>-<document id>" or "N-<document id>" for a document without a date.
#include <cstdint>
#include <regex>
#include <string>

#include "boxes/box_list_query.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::boxes {
namespace {

constexpr char kHex[] = "0123456789abcdef";

[[noreturn]] void Refuse(const std::string& cursor, const std::string& source) {
  RaiseError(EnumerationErrors::InvalidParamValue, source,
             "The cursor '" + cursor.substr(0, 100) +
                 "' is not one that BoxList.List handed out: pass the o_sNext of the previous "
                 "page, or \"\" for the first page.");
}

}  // namespace

std::string WriteCursor(const BoxListKey& key) {
  if (!key.created) {
    return "N-" + std::to_string(key.id);
  }
  std::string cursor = "D";
  for (unsigned char c : *key.created) {
    cursor += kHex[c >> 4];
    cursor += kHex[c & 15];
  }
  return cursor + "-" + std::to_string(key.id);
}

BoxListKey ReadCursor(const std::string& cursor, const std::string& source) {
  static const std::regex kShape(R"(^(N|D((?:[0-9a-f]{2}){1,40}))-([0-9]{1,10})$)");
  // The date texts the engines give: digits, "-", ":", ".", "T", "+" and blanks.
  static const std::regex kDate(R"(^[0-9][0-9 :.T+\-]*$)");
  std::smatch match;
  int64_t id = 0;
  if (!std::regex_match(cursor, match, kShape) || !text::ParseInt64(match[3].str(), id) ||
      id > INT32_MAX) {
    Refuse(cursor, source);
  }
  BoxListKey key;
  key.id = static_cast<int32_t>(id);
  if (match[1].str() == "N") {
    return key;
  }
  const std::string hex = match[2].str();
  std::string date;
  for (size_t i = 0; i < hex.size(); i += 2) {
    date += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  if (!std::regex_match(date, kDate)) {
    Refuse(cursor, source);
  }
  key.created = date;
  return key;
}

}  // namespace velmora::boxes
