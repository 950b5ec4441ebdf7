#include "automation/program_env.h"

#include "core/home_env.h"
#include "core/sheet_engine.h"
#include "platform/sheet/office_engine.h"

namespace velmora::automation {

void InstallProgramEnv(const std::string& home) {
  core::Env env = core::NewHomeEnv(home);
  // The spreadsheet settings are read from the home's site configuration, which the
  // environment of the home locates.
  core::InstallEnv(env);
  env.sheets = sheet::NewOfficeEngine(core::ReadSheetSettings());
  core::InstallEnv(std::move(env));
}

}  // namespace velmora::automation
