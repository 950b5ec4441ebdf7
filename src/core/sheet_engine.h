#pragma once

#include <functional>
#include <memory>

#include "platform/sheet/office_engine.h"
#include "platform/sheet/workbook.h"

// The spreadsheet engine of the process, reached through a hook so that only the programs that
// link the office adapter carry it: the library part that owns the engine installs a factory
// (automation::RegisterAllClasses installs the office engine), tests install fakes, and
// everything else asks GetSheetEngine().
namespace velmora::core {

using SheetEngineFactory =
    std::function<std::shared_ptr<sheet::Engine>(const sheet::OfficeSettings& settings)>;

// Installs the factory of the process's engine and drops an engine made by an earlier factory
// (its workbooks stay usable until they are closed). An empty factory means "no engine".
void SetSheetEngineFactory(SheetEngineFactory factory);

// Installs `factory` unless a factory is installed already: the default of a program, which
// tests and embedding programs may have replaced before.
void SetDefaultSheetEngineFactory(SheetEngineFactory factory);

// The process's engine, made by the factory on first use with ReadSheetSettings(); shared by
// every thread. nullptr when no factory is installed.
std::shared_ptr<sheet::Engine> GetSheetEngine();

// The settings of section "SPREADSHEET" of the site configuration: "Processes" (office
// processes in the pool; default one per processor core), "StartTimeoutSeconds" (default 60),
// "BusyTimeoutSeconds" (default 60), "ProgramFolder" (the office's program folder) and
// "WorkFolder" (where the processes' profiles live; default $TMPDIR or /tmp). Keys that are
// absent or not positive numbers keep their defaults; an unreadable site configuration gives
// the defaults after a log entry.
sheet::OfficeSettings ReadSheetSettings();

}  // namespace velmora::core
