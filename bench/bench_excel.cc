// Velmora.B2BExcel on the office engine with a warm pool: a workbook to XML and XML to a
// workbook, for 1,000 and 10,000 cells, on one and two threads. The pool has
// $VELMORA_BENCH_PROCESSES processes (default 2): run once with 1 and once with 2 to compare
// the pool's throughput. Milliseconds per 1,000 cells follow from items_per_second
// (1,000,000 / items_per_second).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "core/env.h"
#include "core/sheet_engine.h"
#include "platform/sheet/office_engine.h"
#include "support/temp_folder.h"
#include "velmora/convert/b2b_excel.h"

namespace velmora {
namespace {

constexpr int32_t kColumns = 10;

// The office engine of the benchmark, with its processes started once.
std::shared_ptr<sheet::OfficeEngine> Engine() {
  static const std::shared_ptr<sheet::OfficeEngine> engine = [] {
    sheet::OfficeSettings settings;
    const char* processes = getenv("VELMORA_BENCH_PROCESSES");
    settings.processes = processes != nullptr ? std::max(1, atoi(processes)) : 2;
    auto made = sheet::NewOfficeEngine(settings);
    core::Env env = core::CurrentEnv();
    env.sheets = made;
    core::InstallEnv(std::move(env));
    made->Create()->Close();
    return made;
  }();
  return engine;
}

// The benchmark's workbook folder, removed at exit.
const std::string& Folder() {
  static const testing::TempFolder folder;
  return folder.path();
}

// Placement XML for `cells` cells, kColumns per row.
std::string PlacementXml(int64_t cells) {
  std::string xml = "<D B2BWORKSHEET=\"Data\">";
  for (int64_t i = 0; i < cells; ++i) {
    const int64_t row = i / kColumns + 1;
    const char column = static_cast<char>('A' + i % kColumns);
    xml += "<V B2BVALUEPOS=\"" + std::string(1, column) + std::to_string(row) + "\">v" +
           std::to_string(i) + "</V>";
  }
  return xml + "</D>";
}

// An .xls file with `cells` text cells; its path.
std::string WorkbookFile(int64_t cells) {
  const std::string path = Folder() + "/cells" + std::to_string(cells) + ".xls";
  if (!std::filesystem::exists(path)) {
    B2BExcel excel;
    excel.WriteExcelObjectToFile(
        excel.TransformXMLToExcel(PlacementXml(cells), EWriteMode::Create, 0, false), path, true);
  }
  return path;
}

void BM_WorkbookToXml(benchmark::State& state) {
  Engine();
  const std::string path = WorkbookFile(state.range(0));
  B2BExcel excel;
  for (auto _ : state) {
    std::shared_ptr<xml::Document> doc;
    excel.TransformExcelToXML(path, doc);
    benchmark::DoNotOptimize(doc);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_XmlToWorkbook(benchmark::State& state) {
  Engine();
  const std::string xml = PlacementXml(state.range(0));
  B2BExcel excel;
  for (auto _ : state) {
    excel.CloseWorkBook(excel.TransformXMLToExcel(xml, EWriteMode::Create, 0, false));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_WorkbookToXml)
    ->Arg(1000)
    ->Arg(10000)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlToWorkbook)
    ->Arg(1000)
    ->Arg(10000)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
