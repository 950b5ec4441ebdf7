// Writing rows through the recordset layer (a pooled connection, an "empty" updatable query,
// AddNew/SetField/Update for every row, as the library writes its rows) against writing the same
// rows with one prepared statement in one transaction, on SQLite and, when VELMORA_TEST_PG_URL
// names a server, on PostgreSQL.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/schema_script.h"
#include "velmora/base/error.h"
#include "velmora/db/connection.h"

namespace velmora::db {
namespace {

constexpr int kRows = 10'000;

constexpr const char* kSchema =
    "CREATE TABLE BENCH (\n"
    "  ID {{ID}},\n"
    "  DOCUMENTID INTEGER NOT NULL,\n"
    "  NAME VARCHAR(100),\n"
    "  CREATED {{DATETIME}}\n"
    ");\n";

// A database for the benchmark: a temporary SQLite file or a new PostgreSQL database.
struct BenchDatabase {
  std::string name;
  std::string connection_string;
  OpenOptions options;
  std::filesystem::path folder;
  std::string admin_url;
  std::string pg_database;
};

BenchDatabase MakeSqlite() {
  std::string pattern = "/tmp/velmora-bench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw Error(kErrPathNotFound, "bench", "cannot create a temporary folder");
  }
  BenchDatabase database;
  database.name = "SQLite";
  database.folder = pattern;
  database.connection_string = "sqlite:bench.db";
  database.options.base_folder = database.folder;
  database.options.create_if_missing = true;
  return database;
}

BenchDatabase MakePostgresql(const std::string& admin_url) {
  BenchDatabase database;
  database.name = "PostgreSQL";
  database.admin_url = admin_url;
  database.pg_database = "velmora_bench_" + std::to_string(getpid());
  std::unique_ptr<Connection> admin = OpenConnection(admin_url);
  admin->Execute("DROP DATABASE IF EXISTS " + database.pg_database + " WITH (FORCE)");
  admin->Execute("CREATE DATABASE " + database.pg_database);
  size_t path = admin_url.find('/', admin_url.find("://") + 3);
  database.connection_string = admin_url.substr(0, path) + "/" + database.pg_database;
  return database;
}

void Prepare(const BenchDatabase& database) {
  std::unique_ptr<Connection> connection =
      OpenConnection(database.connection_string, database.options);
  RunSchemaScript(*connection, kSchema);
}

void Remove(const BenchDatabase& database) {
  ClearConnectionPool(database.connection_string, database.options);
  if (!database.pg_database.empty()) {
    OpenConnection(database.admin_url)
        ->Execute("DROP DATABASE IF EXISTS " + database.pg_database + " WITH (FORCE)");
  }
  if (!database.folder.empty()) {
    std::filesystem::remove_all(database.folder);
  }
}

void EmptyTable(const BenchDatabase& database) {
  OpenConnection(database.connection_string, database.options)->Execute("DELETE FROM BENCH");
}

void WriteThroughRecordsets(benchmark::State& state, const BenchDatabase& database) {
  const RecordsetOptions updatable{CursorLocation::kClient, LockType::kOptimistic};
  for (auto _ : state) {
    state.PauseTiming();
    EmptyTable(database);
    state.ResumeTiming();
    for (int i = 0; i < kRows; ++i) {
      std::unique_ptr<Connection> connection =
          OpenConnection(database.connection_string, database.options);
      std::unique_ptr<Recordset> recordset =
          connection->OpenRecordset("SELECT * FROM BENCH WHERE ID=-1", updatable);
      recordset->AddNew();
      recordset->SetField("DOCUMENTID", Variant(int32_t{i}));
      recordset->SetField("NAME", Variant("row " + std::to_string(i)));
      recordset->SetField("CREATED", Variant("2024-01-02 03:04:05"));
      recordset->Update();
      benchmark::DoNotOptimize(recordset->Field("ID"));
      recordset->Close();
      connection->Close();
    }
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void WriteWithOnePreparedStatement(benchmark::State& state, const BenchDatabase& database) {
  for (auto _ : state) {
    state.PauseTiming();
    EmptyTable(database);
    state.ResumeTiming();
    std::unique_ptr<Connection> connection =
        OpenConnection(database.connection_string, database.options);
    connection->Begin();
    std::unique_ptr<PreparedStatement> insert =
        connection->Prepare("INSERT INTO BENCH (DOCUMENTID, NAME, CREATED) VALUES (?, ?, ?)");
    for (int i = 0; i < kRows; ++i) {
      insert->Bind(1, Variant(int32_t{i}));
      insert->Bind(2, Variant("row " + std::to_string(i)));
      insert->Bind(3, Variant("2024-01-02 03:04:05"));
      insert->Execute();
    }
    insert.reset();
    connection->Commit();
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

}  // namespace
}  // namespace velmora::db

int main(int argc, char** argv) {
  using namespace velmora::db;
  benchmark::Initialize(&argc, argv);
  std::vector<BenchDatabase> databases;
  try {
    databases.push_back(MakeSqlite());
    const char* url = std::getenv("VELMORA_TEST_PG_URL");
    if (url != nullptr && *url != '\0') {
      databases.push_back(MakePostgresql(url));
    } else {
      std::cerr << "PostgreSQL skipped: VELMORA_TEST_PG_URL is not set\n";
    }
    for (const BenchDatabase& database : databases) {
      Prepare(database);
      benchmark::RegisterBenchmark(
          ("RecordsetLayer/" + database.name).c_str(),
          [&database](benchmark::State& state) { WriteThroughRecordsets(state, database); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(3);
      benchmark::RegisterBenchmark(
          ("PreparedBatch/" + database.name).c_str(),
          [&database](benchmark::State& state) { WriteWithOnePreparedStatement(state, database); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Iterations(3);
    }
    benchmark::RunSpecifiedBenchmarks();
  } catch (const velmora::Error& error) {
    std::cerr << "benchmark failed: " << error.description() << "\n";
    for (const BenchDatabase& database : databases) {
      Remove(database);
    }
    return 1;
  }
  for (const BenchDatabase& database : databases) {
    Remove(database);
  }
  benchmark::Shutdown();
  return 0;
}
