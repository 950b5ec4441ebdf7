#include "import/import_rules.h"

#include <chrono>

#include "velmora/base/text.h"

namespace velmora::import {
namespace {

// Seconds of `time` on one continuous count; both times of a comparison are local times.
int64_t Seconds(const DateTime& time) {
  using namespace std::chrono;
  const sys_days day =
      year{time.year} / month{static_cast<unsigned>(time.month)} / static_cast<unsigned>(time.day);
  return day.time_since_epoch().count() * 86400LL + time.hour * 3600LL + time.minute * 60LL +
         time.second;
}

}  // namespace

bool HasImportExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    return false;
  }
  const std::string extension = name.substr(dot + 1);
  return text::IEquals(extension, "xml") || text::IEquals(extension, "xls") ||
         text::IEquals(extension, "obi");
}

bool IsClaimed(const std::string& name) { return !name.empty() && name[0] == '~'; }

bool WaitsForLaterRun(const DateTime& modified, const DateTime& started) {
  return Seconds(modified) > Seconds(started) - kCoarseTimeSeconds;
}

bool IsStaleClaim(const DateTime& modified, const DateTime& started) {
  return Seconds(started) - Seconds(modified) > kStaleClaimSeconds;
}

std::string StripEdiDelimiter(std::string text, const std::string& delimiter) {
  if (delimiter.empty()) {
    return text;
  }
  size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) {
    --end;
  }
  if (end < delimiter.size() ||
      text.compare(end - delimiter.size(), delimiter.size(), delimiter) != 0) {
    return text;
  }
  return text::IReplaceAll(text, delimiter, "");
}

}  // namespace velmora::import
