#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "velmora/sheet/workbook.h"

namespace velmora::testing {

// The content of one workbook as the fake keeps it: sheets in order, cells by (row, column),
// custom properties in order.
struct FakeBookContent {
  struct Sheet {
    std::string name;
    std::map<std::pair<int32_t, int32_t>, sheet::Cell> cells;
  };
  std::vector<Sheet> sheets;
  std::vector<sheet::CustomProperty> properties;
};

// An in-memory sheet::Engine for unit tests. Its "files" live in a table keyed by path, never on
// disk. It follows the interface's contract with one simplification: formulas are kept as text
// and not computed (a formula cell's value is whatever WriteArea gave it, else Empty).
class FakeEngine : public sheet::Engine {
 public:
  FakeEngine();

  // Puts a workbook file at `path` (any existing one is replaced).
  void PutWorkbook(const std::string& path, FakeBookContent content);
  // Puts a file at `path` whose content is not a workbook.
  void PutNonWorkbook(const std::string& path);
  // Marks a file as having no write permission.
  void SetReadOnly(const std::string& path, bool read_only);
  // The content of a workbook file, or nullptr when there is none at `path`.
  std::shared_ptr<const FakeBookContent> File(const std::string& path) const;
  // IsAvailable()'s answer; when false, Open and Create raise kErrEngineUnavailable.
  void SetAvailable(bool available);
  // Calls that reached the engine past the path checks (opens, creates).
  int engine_calls() const;
  // Workbooks handed out and not closed yet.
  int open_workbooks() const;

  std::unique_ptr<sheet::Workbook> Open(const std::string& path, bool read_only) override;
  std::unique_ptr<sheet::Workbook> Create() override;
  std::unique_ptr<sheet::Workbook> CreateFromTemplate(const std::string& template_path) override;
  bool IsAvailable() override;

  struct State;

 private:
  // Counts an engine call and names a new workbook; raises when unavailable.
  std::string NextUntitledName();

  std::shared_ptr<State> state_;
};

}  // namespace velmora::testing
