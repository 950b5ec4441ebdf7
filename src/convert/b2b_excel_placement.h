#pragma once

#include "convert/b2b_excel_position.h"

// The worksheet pass of Velmora.B2BExcel: writes the labels and values of the input XML's
// placement attributes into the sheets they name.
namespace velmora::convert {

// The name of the sheet a new workbook keeps while it is filled (create mode).
inline constexpr const char* kPlaceholderSheet = "R2AVidode";

// Places every element carrying "B2BWORKSHEET", in document order, on the sheet of that name
// (compared without case; added after the last sheet when missing), with its subtree minus the
// children that carry their own "B2BWORKSHEET". In create mode the workbook is first reduced
// to one sheet named kPlaceholderSheet, which is removed again once a sheet was placed. In
// append mode positions are offset by the sheet's used rows. A cell that cannot be written is
// reported as "Velmora.B2BExcel.WriteCell" with label "ZODAR4530" as additional information;
// every failure is reported as "Velmora.B2BExcel.ProcessWorkSheets".
void ProcessWorkSheets(PlacementContext& context);

}  // namespace velmora::convert
