#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "velmora/base/error.h"
#include "velmora/base/variant.h"
#include "velmora/plugin/method_call.h"
#include "velmora/sheet/workbook.h"

namespace velmora::sheet {

// An open workbook as the library's callers hold it: a Variant-able object (TypeName
// "WorkBook") that pages and classes pass around, and the plug-in workbook handle that
// Velmora.Utility hands to plug-ins. It owns the workbook: the document is closed without
// saving when the object is closed or its last reference goes away. Not safe for concurrent
// use.
class WorkbookObject final : public Object, public plugin::WorkBook {
 public:
  explicit WorkbookObject(std::unique_ptr<Workbook> workbook) : workbook_(std::move(workbook)) {}

  std::string TypeName() const override { return "WorkBook"; }

  bool IsOpen() const { return workbook_ != nullptr; }
  // The open workbook. Raises kErrObjectRequired once the object is closed.
  Workbook& Book() {
    if (!workbook_) {
      throw Error(kErrObjectRequired, "Velmora.Sheet", "The workbook has been closed");
    }
    return *workbook_;
  }
  // The plug-in's access to cells; failures answer false.
  bool ReadCellText(int32_t sheet, int32_t row, int32_t column,
                    std::string& text) noexcept override {
    try {
      text = Book().ReadCell(sheet, row, column).value.ToText();
      return true;
    } catch (...) {
      return false;
    }
  }
  bool WriteCellText(int32_t sheet, int32_t row, int32_t column,
                     const std::string& text) noexcept override {
    try {
      Book().WriteInput(sheet, row, column, text);
      return true;
    } catch (...) {
      return false;
    }
  }
  // Closes the document without saving and releases its engine; idempotent.
  void Close() {
    if (workbook_) {
      std::unique_ptr<Workbook> closing = std::move(workbook_);
      closing->Close();
    }
  }

 private:
  std::unique_ptr<Workbook> workbook_;
};

}  // namespace velmora::sheet
