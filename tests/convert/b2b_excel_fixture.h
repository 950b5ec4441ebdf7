#pragma once

#include <memory>
#include <string>
#include <utility>

#include "support/fake_workbook.h"
#include "support/library_db_test.h"
#include "support/scoped_sheet_engine.h"
#include "velmora/convert/b2b_excel.h"

namespace velmora::testing {

// B2BExcel on the in-memory engine, with a database for labels and publication errors.
class B2BExcelTest : public LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    engine_ = std::make_shared<FakeEngine>();
    scoped_engine_ = std::make_unique<ScopedSheetEngine>(engine_);
  }
  void TearDown() override {
    scoped_engine_.reset();
    LibraryDbTest::TearDown();
  }

  static sheet::Cell Text(const std::string& value) { return sheet::Cell{Variant(value), ""}; }
  static sheet::Cell Number(double value) { return sheet::Cell{Variant(value), ""}; }

  // A one-sheet workbook content.
  static FakeBookContent OneSheet(const std::string& name,
                                  std::map<std::pair<int32_t, int32_t>, sheet::Cell> cells) {
    FakeBookContent content;
    content.sheets.push_back(FakeBookContent::Sheet{name, std::move(cells)});
    return content;
  }

  // The text of a cell of the sheet named `sheet` of a workbook file ("" when empty).
  std::string FileCell(const std::string& path, const std::string& sheet, int32_t row,
                       int32_t column) const {
    const auto file = engine_->File(path);
    if (!file) {
      ADD_FAILURE() << "no workbook at " << path;
      return "";
    }
    for (const auto& each : file->sheets) {
      if (each.name == sheet) {
        const auto found = each.cells.find({row, column});
        return found == each.cells.end() ? "" : found->second.value.ToText();
      }
    }
    ADD_FAILURE() << "no sheet " << sheet;
    return "";
  }

  // A new DOCUMENT row; its ID.
  int32_t AddDocument() {
    Exec(
        "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, CREATIONDATE) VALUES ('ORDERS', 1, "
        "'2026-01-02 03:04:05')");
    return Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  }

  // The labels of the publication errors of `doc`, in order of their IDs, joined by ",".
  std::string ErrorLabels(int32_t doc) {
    std::string labels;
    const int32_t count =
        Scalar("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE DOCUMENTID = " + std::to_string(doc))
            .ToInt32();
    for (int32_t i = 0; i < count; ++i) {
      const Variant label =
          Scalar("SELECT LABEL FROM PUBLICATIONERRORS WHERE DOCUMENTID = " + std::to_string(doc) +
                 " ORDER BY PUBLICATIONERRORID LIMIT 1 OFFSET " + std::to_string(i));
      labels += (labels.empty() ? "" : ",") + label.ToText();
    }
    return labels;
  }

  std::shared_ptr<FakeEngine> engine_;
  std::unique_ptr<ScopedSheetEngine> scoped_engine_;
  B2BExcel excel_;
};

}  // namespace velmora::testing
