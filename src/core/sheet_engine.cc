#include "core/sheet_engine.h"

#include "core/env.h"
#include "core/general.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

// A positive number of a key, or `fallback`.
int32_t PositiveNumber(const Variant& value, int32_t fallback) {
  int64_t number = 0;
  if (!text::ParseInt64(text::TrimView(value.ToText()), number) || number <= 0 || number > 100000) {
    return fallback;
  }
  return static_cast<int32_t>(number);
}

}  // namespace

std::shared_ptr<sheet::Engine> GetSheetEngine() { return CurrentEnv().sheets; }

sheet::OfficeSettings ReadSheetSettings() {
  sheet::OfficeSettings settings;
  try {
    const std::string file = getSiteConfigFile();
    if (file.empty()) {
      return settings;
    }
    const auto value = [&](const char* key) { return ReadConfigValue(file, "SPREADSHEET", key); };
    settings.processes = PositiveNumber(value("Processes"), settings.processes);
    settings.start_timeout_seconds =
        PositiveNumber(value("StartTimeoutSeconds"), settings.start_timeout_seconds);
    settings.busy_timeout_seconds =
        PositiveNumber(value("BusyTimeoutSeconds"), settings.busy_timeout_seconds);
    settings.program_folder = text::Trim(value("ProgramFolder").ToText());
    settings.work_folder = text::Trim(value("WorkFolder").ToText());
  } catch (...) {
    LogWarning("Velmora.General.ReadSheetSettings",
               Variant("The spreadsheet settings of the site configuration cannot be read; the "
                       "defaults apply."));
    return sheet::OfficeSettings{};
  }
  return settings;
}

}  // namespace velmora::core
