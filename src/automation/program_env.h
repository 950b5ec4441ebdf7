#pragma once

#include <string>

namespace velmora::automation {

// Builds and installs the environment of a program that serves the public classes from the
// installation at `home`: core's adapters (core::NewHomeEnv) and the office engine, whose
// processes start on the first workbook. Call once, before other threads start.
void InstallProgramEnv(const std::string& home);

}  // namespace velmora::automation
