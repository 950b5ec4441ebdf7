#pragma once

#include <cstdint>
#include <string>

#include "velmora/delivery/send_method.h"
#include "velmora/sheet/workbook.h"
#include "velmora/xml/document.h"

// Where Velmora.B2BExcel writes a label or value: position expressions.
//
// An expression is a sequence of steps separated by "|", applied from left to right to a
// current position (row, column). It starts at row 0 and no column; in update mode without
// template at row 1, column "A". A step is one or more conditions separated by "AND" (an "AND"
// followed by the start of a condition: one inside a value, as in "A=STANDARD", separates
// nothing); its first condition decides what the step does:
//  - a number ("7") sets the row;
//  - column letters set the column, and the row too when digits follow ("C7", "AB12"); letters
//    alone ("C", "AB") set only the column;
//  - left + operator + value searches the sheet. The operator is the first of ">", "<", "="
//    the condition holds, tried in that order. A condition ending in "?" takes its value as an
//    XPath evaluated against the input XML. A blank value resets the position to row 0 and no
//    column. The left part says where to look: a number N scans row N rightwards from the
//    current column; a cell address scans its column downwards from that cell; column letters
//    scan that column downwards from the current row. "=" matches a cell whose trimmed text
//    equals the trimmed value; ">" and "<" compare the integer values of a numeric cell and a
//    numeric value. Every further "AND" condition of the step must hold for the candidate: in
//    a column scan started from letters, on the cell of the condition's column in the
//    candidate's row; in a scan started from an address, on the cell the condition names; in a
//    row scan, on the cell of the candidate's column in the condition's row. The first
//    candidate that passes sets row and column. Scans end at the last row or column of the
//    sheet's used area.
// After the last step the append offset is added to the row; a cell is written only at a row
// above 0 and a column.
//
// A failed search, a step that leaves row 0 and no column, a column that is not letters of a
// column, and a column scan that would start at row 0 raise InValidExcelAddress (label
// "ZODAR4529", source "Velmora.B2BExcel.GetAbsoluteCellPosition"). In update mode without
// template, a failed search of an element with a block number of 1 or more places the block
// instead: at the row of the last block when the number is that of the last block, else on the
// row below the sheet's used rows (remembered as the last block); the append offset is then 0.
namespace velmora::convert {

// Where the repeating block of the current TransformXMLToExcel was placed.
struct BlockState {
  int32_t last_block_number = 0;
  int32_t last_block_row = 0;
};

// What the placement of one input document works with.
struct PlacementContext {
  sheet::Workbook& book;
  const xml::Document& xml;
  EWriteMode mode;
  bool template_used;
  BlockState& blocks;
};

// A resolved position: row 0 or an empty column means "nowhere".
struct CellPosition {
  int32_t row = 0;
  std::string column;

  bool IsCell() const { return row > 0 && !column.empty(); }
};

// The last row of the used area of `sheet` (1-based); 0 for an empty sheet.
int32_t LastUsedRow(sheet::Workbook& book, int32_t sheet);

// Resolves `expression` on `sheet` for an element with block number `block` (0 for none).
CellPosition ResolvePosition(PlacementContext& context, int32_t sheet,
                             const std::string& expression, int32_t block, int32_t append_offset);

}  // namespace velmora::convert
