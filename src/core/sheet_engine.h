#pragma once

#include <memory>

#include "platform/sheet/office_engine.h"
#include "velmora/sheet/workbook.h"

// The spreadsheet engine as the library reaches it: the one of the environment (core/env.h),
// which the programs that link the office adapter fill, and tests fill with fakes.
namespace velmora::core {

// The environment's engine; nullptr when it has none.
std::shared_ptr<sheet::Engine> GetSheetEngine();

// The settings of section "SPREADSHEET" of the site configuration: "Processes" (office
// processes in the pool; default one per processor core), "StartTimeoutSeconds" (default 60),
// "BusyTimeoutSeconds" (default 60), "ProgramFolder" (the office's program folder) and
// "WorkFolder" (where the processes' profiles live; default $TMPDIR or /tmp). Keys that are
// absent or not positive numbers keep their defaults; an unreadable site configuration gives
// the defaults after a log entry.
sheet::OfficeSettings ReadSheetSettings();

}  // namespace velmora::core
