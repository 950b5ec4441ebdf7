#include "support/fake_workbook.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sheet/workbook_rules.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::testing {

struct FakeEngine::State {
  struct FakeFile {
    std::shared_ptr<const FakeBookContent> content;  // nullptr: not a workbook
    bool read_only = false;
  };
  mutable std::mutex mutex;
  std::map<std::string, FakeFile> files;
  bool available = true;
  int engine_calls = 0;
  int open_workbooks = 0;
  int untitled = 0;
};

namespace {

constexpr const char* kSource = "Velmora.Sheet";

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

sheet::Cell CellOfValue(const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) {
    return {};
  }
  if (sheet::IsSheetNumber(value)) {
    return {Variant(sheet::SheetNumber(value)), ""};
  }
  return {Variant(value.ToText()), ""};
}

class FakeWorkbook : public sheet::Workbook {
 public:
  FakeWorkbook(std::shared_ptr<FakeEngine::State> state, FakeBookContent content, std::string path,
               std::string name, bool read_only)
      : state_(std::move(state)),
        content_(std::move(content)),
        path_(std::move(path)),
        name_(std::move(name)),
        read_only_(read_only) {
    std::lock_guard lock(state_->mutex);
    ++state_->open_workbooks;
  }
  ~FakeWorkbook() override { Close(); }

  std::string Name() override { return Live().name_; }
  std::string Path() override { return Live().path_; }
  bool IsReadOnly() override { return Live().read_only_; }

  int32_t SheetCount() override { return static_cast<int32_t>(Live().content_.sheets.size()); }
  std::vector<std::string> SheetNames() override {
    std::vector<std::string> names;
    for (const auto& sheet : Live().content_.sheets) {
      names.push_back(sheet.name);
    }
    return names;
  }
  int32_t AddSheet(const std::string& name) override {
    RequireNewName(name);
    content_.sheets.push_back({name, {}});
    return SheetCount();
  }
  void RenameSheet(int32_t sheet, const std::string& name) override {
    auto& target = SheetAt(sheet);
    if (target.name != name) {
      RequireNewName(name);
    }
    target.name = name;
  }
  void DeleteSheet(int32_t sheet) override {
    SheetAt(sheet);
    if (content_.sheets.size() == 1) {
      throw Error(sheet::kErrEngineFailure, kSource, "A workbook must keep at least one sheet");
    }
    content_.sheets.erase(content_.sheets.begin() + (sheet - 1));
  }

  sheet::Area UsedArea(int32_t sheet) override {
    const auto& cells = SheetAt(sheet).cells;
    if (cells.empty()) {
      return {};
    }
    int32_t top = sheet::kMaxRows, left = sheet::kMaxColumns, bottom = 0, right = 0;
    for (const auto& [position, cell] : cells) {
      top = std::min(top, position.first);
      bottom = std::max(bottom, position.first);
      left = std::min(left, position.second);
      right = std::max(right, position.second);
    }
    return {top, left, bottom - top + 1, right - left + 1};
  }
  sheet::CellBlock ReadArea(int32_t sheet, const sheet::Area& area) override {
    const auto& cells = SheetAt(sheet).cells;
    sheet::CellBlock block{area, {}};
    if (area.IsEmpty()) {
      block.area = {};
      return block;
    }
    for (int32_t row = area.first_row; row <= area.last_row(); ++row) {
      for (int32_t column = area.first_column; column <= area.last_column(); ++column) {
        const auto found = cells.find({row, column});
        block.cells.push_back(found == cells.end() ? sheet::Cell{} : found->second);
      }
    }
    return block;
  }
  sheet::CellBlock ReadUsedArea(int32_t sheet) override { return ReadArea(sheet, UsedArea(sheet)); }
  sheet::Cell ReadCell(int32_t sheet, int32_t row, int32_t column) override {
    return ReadArea(sheet, {row, column, 1, 1}).cells.front();
  }

  void WriteValue(int32_t sheet, int32_t row, int32_t column, const Variant& value) override {
    sheet::RequireWithinLimits(row, column);
    Put(SheetAt(sheet), row, column, CellOfValue(value));
  }
  void WriteInput(int32_t sheet, int32_t row, int32_t column, const std::string& input) override {
    sheet::RequireWithinLimits(row, column);
    auto& target = SheetAt(sheet);
    if (input.empty()) {
      Put(target, row, column, {});
      return;
    }
    if (input.size() > 1 && input.front() == '=') {
      Put(target, row, column, {Variant(), input});
      return;
    }
    char* end = nullptr;
    const double number = std::strtod(input.c_str(), &end);
    const bool numeric =
        !input.empty() && end == input.c_str() + input.size() && input.find_first_not_of(" ") == 0;
    Put(target, row, column, numeric ? sheet::Cell{Variant(number), ""} : CellOfValue(input));
  }
  void WriteArea(int32_t sheet, int32_t row, int32_t column,
                 const std::vector<std::vector<sheet::Cell>>& rows) override {
    auto& target = SheetAt(sheet);
    if (rows.empty() || rows.front().empty()) {
      return;
    }
    const size_t width = rows.front().size();
    for (const auto& cells : rows) {
      if (cells.size() != width) {
        throw Error(kErrInvalidProcedureCall, kSource, "Rows of different lengths");
      }
    }
    sheet::RequireWithinLimits(row, column);
    sheet::RequireWithinLimits(row + static_cast<int32_t>(rows.size()) - 1,
                               column + static_cast<int32_t>(width) - 1);
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t c = 0; c < width; ++c) {
        const sheet::Cell& cell = rows[r][c];
        Put(target, row + static_cast<int32_t>(r), column + static_cast<int32_t>(c),
            cell.HasFormula() ? cell : CellOfValue(cell.value));
      }
    }
  }

  std::vector<sheet::CustomProperty> CustomProperties() override {
    return Live().content_.properties;
  }
  void SetCustomProperty(const sheet::CustomProperty& property) override {
    auto& properties = Live().content_.properties;
    const sheet::CustomProperty stored{property.name, property.type, Converted(property)};
    for (auto& existing : properties) {
      if (existing.name == property.name) {
        existing = stored;
        return;
      }
    }
    properties.push_back(stored);
  }
  void DeleteCustomProperty(const std::string& name) override {
    auto& properties = Live().content_.properties;
    std::erase_if(properties, [&](const auto& p) { return p.name == name; });
  }

  void Save() override {
    if (Live().path_.empty()) {
      throw Error(sheet::kErrEngineFailure, kSource, "The workbook has never been saved");
    }
    if (read_only_) {
      throw Error(kErrPermissionDenied, kSource, "The workbook is read-only: " + path_);
    }
    Store(path_);
  }
  void SaveAs(const std::string& path) override {
    Live();
    sheet::RequireWorkbookExtension(path);
    {
      std::lock_guard lock(state_->mutex);
      const auto found = state_->files.find(path);
      if (found != state_->files.end() && found->second.read_only) {
        throw Error(kErrPermissionDenied, kSource, "Cannot write " + path);
      }
    }
    Store(path);
    path_ = path;
    name_ = FileName(path);
    read_only_ = false;
  }
  void Close() override {
    if (closed_) {
      return;
    }
    closed_ = true;
    std::lock_guard lock(state_->mutex);
    --state_->open_workbooks;
  }

 private:
  FakeWorkbook& Live() {
    if (closed_) {
      throw Error(sheet::kErrEngineFailure, kSource, "The workbook is closed");
    }
    return *this;
  }
  FakeBookContent::Sheet& SheetAt(int32_t sheet) {
    sheet::RequireSheet(sheet, static_cast<int32_t>(Live().content_.sheets.size()));
    return content_.sheets[static_cast<size_t>(sheet - 1)];
  }
  void RequireNewName(const std::string& name) {
    for (const auto& sheet : Live().content_.sheets) {
      if (text::IEquals(sheet.name, name)) {
        throw Error(sheet::kErrEngineFailure, kSource, "A sheet named " + name + " exists");
      }
    }
  }
  static void Put(FakeBookContent::Sheet& sheet, int32_t row, int32_t column, sheet::Cell cell) {
    if (cell.value.IsEmpty() && !cell.HasFormula()) {
      sheet.cells.erase({row, column});
    } else {
      sheet.cells[{row, column}] = std::move(cell);
    }
  }
  static Variant Converted(const sheet::CustomProperty& property) {
    switch (property.type) {
      case sheet::PropertyType::kNumber:
        return property.value.ToDouble();
      case sheet::PropertyType::kBoolean:
        return property.value.ToBool();
      case sheet::PropertyType::kDate:
        return property.value.ToDate();
      case sheet::PropertyType::kText:
        return property.value.ToText();
    }
    throw Error(kErrTypeMismatch, kSource, "Unknown property type");
  }
  void Store(const std::string& path) {
    std::lock_guard lock(state_->mutex);
    auto& file = state_->files[path];
    file.content = std::make_shared<const FakeBookContent>(content_);
  }

  std::shared_ptr<FakeEngine::State> state_;
  FakeBookContent content_;
  std::string path_;
  std::string name_;
  bool read_only_;
  bool closed_ = false;
};

FakeBookContent NewContent() {
  FakeBookContent content;
  content.sheets.push_back({"Sheet1", {}});
  return content;
}

}  // namespace

FakeEngine::FakeEngine() : state_(std::make_shared<State>()) {}

void FakeEngine::PutWorkbook(const std::string& path, FakeBookContent content) {
  std::lock_guard lock(state_->mutex);
  state_->files[path].content = std::make_shared<const FakeBookContent>(std::move(content));
}

void FakeEngine::PutNonWorkbook(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  state_->files[path].content = nullptr;
}

void FakeEngine::SetReadOnly(const std::string& path, bool read_only) {
  std::lock_guard lock(state_->mutex);
  state_->files[path].read_only = read_only;
}

std::shared_ptr<const FakeBookContent> FakeEngine::File(const std::string& path) const {
  std::lock_guard lock(state_->mutex);
  const auto found = state_->files.find(path);
  return found == state_->files.end() ? nullptr : found->second.content;
}

void FakeEngine::SetAvailable(bool available) {
  std::lock_guard lock(state_->mutex);
  state_->available = available;
}

int FakeEngine::engine_calls() const {
  std::lock_guard lock(state_->mutex);
  return state_->engine_calls;
}

int FakeEngine::open_workbooks() const {
  std::lock_guard lock(state_->mutex);
  return state_->open_workbooks;
}

std::unique_ptr<sheet::Workbook> FakeEngine::Open(const std::string& path, bool read_only) {
  sheet::RequireWorkbookExtension(path);
  std::shared_ptr<const FakeBookContent> content;
  bool file_read_only = false;
  {
    std::lock_guard lock(state_->mutex);
    ++state_->engine_calls;
    if (!state_->available) {
      throw Error(sheet::kErrEngineUnavailable, kSource, "The spreadsheet engine is unavailable");
    }
    const auto found = state_->files.find(path);
    if (found == state_->files.end()) {
      throw Error(kErrFileNotFound, kSource, "File not found: " + path);
    }
    if (!found->second.content) {
      throw Error(ErrNumber(EnumerationErrors::NotAnExcelFile), kSource,
                  "The file is not a workbook: " + path);
    }
    content = found->second.content;
    file_read_only = found->second.read_only;
  }
  return std::make_unique<FakeWorkbook>(state_, *content, path, FileName(path),
                                        read_only || file_read_only);
}

std::unique_ptr<sheet::Workbook> FakeEngine::Create() {
  return std::make_unique<FakeWorkbook>(state_, NewContent(), "", NextUntitledName(), false);
}

std::unique_ptr<sheet::Workbook> FakeEngine::CreateFromTemplate(const std::string& template_path) {
  Open(template_path, true)->Close();
  return std::make_unique<FakeWorkbook>(state_, *File(template_path), "", NextUntitledName(),
                                        false);
}

std::string FakeEngine::NextUntitledName() {
  std::lock_guard lock(state_->mutex);
  ++state_->engine_calls;
  if (!state_->available) {
    throw Error(sheet::kErrEngineUnavailable, kSource, "The spreadsheet engine is unavailable");
  }
  return "Untitled " + std::to_string(++state_->untitled);
}

bool FakeEngine::IsAvailable() {
  std::lock_guard lock(state_->mutex);
  return state_->available;
}

}  // namespace velmora::testing
