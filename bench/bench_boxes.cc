// The document lists of one user and one document type on SQLite with 100,000 and 1,000,000
// documents (10 recipients and 3 tags each): building the inbox, out box and error box texts
// with SQLQueries.GetDocListQuery and reading every row, as a page does, against hand-written
// indexed queries that read the same lists. Before timing, each query's plan (EXPLAIN QUERY
// PLAN) and row count are printed on standard error.
//
// The generated databases are kept as /tmp/velmora-bench-boxes-<documents>.db and reused by the
// next run (a database whose generation did not finish is made again). The library reaches them
// through an installation home of the process in /tmp.
//
//   velmora_bench_boxes --benchmark_filter=/100000/     the smaller database only
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/database_setup.h"
#include "core/db_utils.h"
#include "velmora/base/error.h"
#include "velmora/boxes/sql_queries.h"
#include "velmora/db/connection.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kUsers = 1000;
constexpr int kPartners = 100;
constexpr int kTypes = 10;
constexpr int kRecipients = 10;
constexpr int kTagsPerType = 3;
// The installation home of this process (removed at exit), so that runs at the same time do not
// point each other at the wrong database.
class BenchHome {
 public:
  BenchHome() : path_("/tmp/velmora-bench-boxes-home-" + std::to_string(getpid())) {}
  ~BenchHome() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& Home() {
  static const BenchHome home;
  return home.path();
}
constexpr const char* kReadyMarker = "BenchBoxesGenerated";
// Changes whenever the generated data changes, so that older cached databases are made again.
constexpr const char* kDataVersion = "2";

std::string UserId(int n) {
  std::string digits = std::to_string(n);
  return "user" + std::string(4 - digits.size(), '0') + digits;
}
std::string TypeId(int n) { return "TYPE" + std::to_string(n); }
int TagId(int type, int k) { return type * kTagsPerType + k + 1; }

std::string DatabasePath(int documents) {
  return "/tmp/velmora-bench-boxes-" + std::to_string(documents) + ".db";
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The installation home whose configuration names the database of `documents`.
void UseHome(int documents) {
  fs::create_directories(fs::path(Home()) / "config");
  WriteText(fs::path(Home()) / "config" / "registry.xml",
            std::string("<registry><installation product=\"R2AVidode\" installdir=\"") + Home() +
                "\" configdir=\"" + Home() + "/config\" version=\"0.1.0\"/></registry>\n");
  WriteText(fs::path(Home()) / "config" / "R2AVidodeConfiguration.xml",
            "<configuration><section name=\"GLOBAL\"><key name=\"B2BLogging\">0</key></section>"
            "<connection application=\"Velmora\">sqlite:" +
                DatabasePath(documents) + "</connection></configuration>\n");
  WriteText(fs::path(Home()) / "config" / "SiteConfiguration.xml",
            "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">bench</key>"
            "<key name=\"MemScriptCode\">bench-code</key></section></configuration>\n");
  setenv("VELMORA_HOME", Home().c_str(), 1);
  unsetenv("VELMORA_REGISTRY");
  core::ForgetConnectionString();
}

// Runs `sql` once for every row of `rows`, binding the row's values.
void Insert(db::Connection& connection, const std::string& sql,
            const std::vector<std::vector<Variant>>& rows) {
  auto statement = connection.Prepare(sql);
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      statement->Bind(static_cast<int32_t>(i + 1), row[i]);
    }
    statement->Execute();
  }
}

// Document i: type (i / 7) % 10, sender user (7 i) % 1000, published to users
// (13 i + 101 k) % 1000 for k < 10; every 20th is new, every 50th deleted, every 30th a child of
// the document before it, every 10th has an attachment, and every 20th (from the 3rd) a delivery
// error with a history row for each partner it was sent to.
void Generate(int documents) {
  const std::string path = DatabasePath(documents);
  db::ClearConnectionPool("sqlite:" + path);
  fs::remove(path);
  fs::remove(path + "-wal");
  fs::remove(path + "-shm");
  db::OpenOptions options;
  options.create_if_missing = true;
  auto connection = db::OpenConnection("sqlite:" + path, options);
  core::SetUpDatabase(*connection, Home());
  connection->Begin();
  std::vector<std::vector<Variant>> rows;
  for (int p = 1; p <= kPartners; ++p) {
    rows.push_back({Variant(p), Variant("Partner " + std::to_string(p))});
  }
  Insert(*connection, "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (?, ?)", rows);
  rows.clear();
  for (int u = 0; u < kUsers; ++u) {
    rows.push_back({Variant(UserId(u)), Variant(u % kPartners + 1)});
  }
  Insert(*connection, "INSERT INTO MEMBERUSER (USERID, BUSINESSPARTNERID) VALUES (?, ?)", rows);
  rows.clear();
  for (int t = 0; t < kTypes; ++t) {
    connection->Execute("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('" +
                        TypeId(t) + "', 'Type " + std::to_string(t) + "')");
    for (int k = 0; k < kTagsPerType; ++k) {
      connection->Execute(
          "INSERT INTO TAGSCONFIG (TAGID, DOCUMENTTYPEID, DESCRIPTION, SEQUENCENUMBER) VALUES (" +
          std::to_string(TagId(t, k)) + ", '" + TypeId(t) + "', 'Tag " + std::to_string(k) + "', " +
          std::to_string(k) + ")");
    }
  }
  auto document = connection->Prepare(
      "INSERT INTO DOCUMENT (DOCUMENTID, DOCUMENTTYPEID, STATUS, SENDER, SHOW, DOC_DOCUMENTID, "
      "CREATIONDATE) VALUES (?, ?, ?, ?, 1, ?, ?)");
  auto publication = connection->Prepare(
      "INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (?, ?, ?, 0)");
  auto tag =
      connection->Prepare("INSERT INTO TAGSVALUE (DOCUMENTID, TAGID, TAGVALUE) VALUES (?, ?, ?)");
  auto attachment = connection->Prepare(
      "INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (?, 'file.pdf')");
  auto error = connection->Prepare(
      "INSERT INTO PUBLICATIONERRORS (PUBLICATIONERRORID, DOCUMENTID, LABEL, CLOSED) VALUES (?, "
      "?, 'ZODAR0008', 0)");
  auto history = connection->Prepare(
      "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, DOCUMENTID, "
      "DOCUMENTTYPEID, PUBLICATIONERRORID, STATUS) VALUES (1, ?, -1, ?, ?, ?, 0)");
  for (int i = 1; i <= documents; ++i) {
    const int type = (i / 7) % kTypes;
    document->Bind(1, Variant(i));
    document->Bind(2, Variant(TypeId(type)));
    document->Bind(3, Variant(i % 50 == 0 ? 4 : i % 20 == 0 ? 0 : 1));
    document->Bind(4, Variant(UserId((7 * i) % kUsers)));
    document->Bind(5, i % 30 == 0 ? Variant(i - 1) : Variant::MakeNull());
    document->Bind(6, Variant("2026-01-01 00:00:00"));
    document->Execute();
    for (int k = 0; k < kRecipients; ++k) {
      publication->Bind(1, Variant(i));
      publication->Bind(2, Variant(UserId((13 * i + 101 * k) % kUsers)));
      publication->Bind(3, Variant((i + k) % 9 == 0 ? 2 : (i + k) % 3));
      publication->Execute();
    }
    for (int k = 0; k < kTagsPerType; ++k) {
      tag->Bind(1, Variant(i));
      tag->Bind(2, Variant(TagId(type, k)));
      tag->Bind(3, Variant("value " + std::to_string(i) + "/" + std::to_string(k)));
      tag->Execute();
    }
    if (i % 10 == 0) {
      attachment->Bind(1, Variant(i));
      attachment->Execute();
    }
    if (i % 20 == 3) {
      const int error_id = i / 20 + 1;
      error->Bind(1, Variant(error_id));
      error->Bind(2, Variant(i));
      error->Execute();
      std::set<int> partners;
      for (int k = 0; k < kRecipients; ++k) {
        partners.insert((13 * i + 101 * k) % kUsers % kPartners + 1);
      }
      for (int partner : partners) {
        history->Bind(1, Variant(partner));
        history->Bind(2, Variant(i));
        history->Bind(3, Variant(TypeId(type)));
        history->Bind(4, Variant(error_id));
        history->Execute();
      }
    }
  }
  connection->Execute(std::string("INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) "
                                  "VALUES ('") +
                      kReadyMarker + "', '" + kDataVersion + "')");
  connection->Commit();
  connection->Execute("ANALYZE");
  connection->Close();
  db::ClearConnectionPool("sqlite:" + path);
}

bool Ready(int documents) {
  if (!fs::exists(DatabasePath(documents))) {
    return false;
  }
  try {
    auto connection = db::OpenConnection("sqlite:" + DatabasePath(documents));
    auto rs = connection->Query(std::string("SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE "
                                            "PARAMNAME = '") +
                                kReadyMarker + "'");
    return !rs->IsEOF() && rs->Field("PARAMVALUE").ToText() == kDataVersion;
  } catch (const Error&) {
    return false;
  }
}

// The user and type measured: user0001 and, of the types it sent, the one most frequent in its
// inbox.
struct Viewer {
  std::string user = UserId(1);
  std::string type;
  int type_number = 0;
};

Viewer PickViewer() {
  Viewer viewer;
  auto connection = core::GetConnection();
  auto rs = connection->Query(
      "SELECT D.DOCUMENTTYPEID AS T, COUNT(*) AS N FROM PUBLICATION P INNER JOIN DOCUMENT D ON "
      "D.DOCUMENTID = P.DOCUMENTID WHERE P.USERID = '" +
      viewer.user + "' AND D.DOCUMENTTYPEID IN (SELECT S.DOCUMENTTYPEID FROM DOCUMENT S WHERE " +
      "S.SENDER = '" + viewer.user + "') GROUP BY D.DOCUMENTTYPEID ORDER BY N DESC, T");
  viewer.type = rs->Field("T").ToText();
  viewer.type_number = std::stoi(viewer.type.substr(4));
  return viewer;
}

// The library's list text for `mode` (0 out box, 1 inbox, 2 error box) with the type's tags.
std::string LibraryQuery(int32_t mode, const Viewer& viewer) {
  VariantArray tags(kTagsPerType + 1);
  for (int k = 0; k < kTagsPerType; ++k) {
    tags.At(k + 1) = Variant(TagId(viewer.type_number, k));
  }
  VariantArray none(1);
  int32_t parent = 0;
  Variant query;
  Variant errors;
  SQLQueries().GetDocListQuery(mode, viewer.type, tags, none, kTagsPerType, none, none, 0, parent,
                               viewer.user, query, errors);
  return query.ToText();
}

std::string TagColumns(const Viewer& viewer) {
  std::string columns;
  for (int k = 0; k < kTagsPerType; ++k) {
    const std::string n = std::to_string(k + 1);
    columns +=
        ", (SELECT TV.TAGVALUE FROM TAGSVALUE TV WHERE TV.DOCUMENTID = D.DOCUMENTID AND "
        "TV.TAGID = " +
        std::to_string(TagId(viewer.type_number, k)) + ") AS T" + n;
  }
  return columns;
}

constexpr const char* kChildAndAttachments =
    ", (SELECT MIN(C.DOC_DOCUMENTID) FROM DOCUMENT C WHERE C.DOC_DOCUMENTID = D.DOCUMENTID) AS "
    "CHILDID, (SELECT COUNT(*) FROM ATTACHMENT A WHERE A.DOCUMENTID = D.DOCUMENTID) AS NR";

// The same lists written by hand so that every table is reached through an index.
std::string HandWrittenQuery(int32_t mode, const Viewer& viewer) {
  const std::string user = "'" + viewer.user + "'";
  const std::string type = "'" + viewer.type + "'";
  if (mode == 1) {
    return "SELECT D.STATUS AS DSTATUS, D.CREATIONDATE, D.SENDER, D.DOCUMENTID, D.DOCUMENTTYPEID" +
           std::string(kChildAndAttachments) + ", P.USERID, P.STATUS, P.FORWARD" +
           TagColumns(viewer) +
           " FROM PUBLICATION P INNER JOIN DOCUMENT D ON D.DOCUMENTID = P.DOCUMENTID"
           " WHERE P.USERID = " +
           user + " AND P.STATUS NOT IN (2,3,7,8,9) AND D.DOCUMENTTYPEID = " + type +
           " AND D.STATUS <> 0 AND D.SHOW = 1";
  }
  if (mode == 0) {
    return "SELECT D.STATUS AS DSTATUS, D.CREATIONDATE, D.SENDER, D.DOCUMENTID, D.DOCUMENTTYPEID" +
           std::string(kChildAndAttachments) + TagColumns(viewer) +
           " FROM DOCUMENT D WHERE D.DOCUMENTTYPEID = " + type + " AND D.SENDER = " + user +
           " AND D.STATUS <> 4";
  }
  return "SELECT D.DOCUMENTID, D.CREATIONDATE, D.SENDER, D.DOCUMENTTYPEID" + TagColumns(viewer) +
         " FROM DOCUMENT D WHERE D.DOCUMENTID IN ("
         "SELECT PE.DOCUMENTID FROM DOCUMENT S INNER JOIN PUBLICATIONERRORS PE ON PE.DOCUMENTID = "
         "S.DOCUMENTID WHERE S.DOCUMENTTYPEID = " +
         type + " AND S.SENDER = " + user +
         " AND PE.CLOSED IN (0,1,4,5)"
         " UNION SELECT P.DOCUMENTID FROM PUBLICATION P INNER JOIN DOCUMENT R ON R.DOCUMENTID = "
         "P.DOCUMENTID INNER JOIN PUBLICATIONERRORS PE ON PE.DOCUMENTID = P.DOCUMENTID INNER JOIN "
         "SENDMETHODHISTORY SMH ON SMH.PUBLICATIONERRORID = PE.PUBLICATIONERRORID WHERE "
         "P.USERID = " +
         user + " AND P.STATUS NOT IN (2,3,7,8,9) AND R.DOCUMENTTYPEID = " + type +
         " AND R.SHOW = 1 AND PE.CLOSED IN (0,1,2,3) AND SMH.BUSINESSPARTNERID = "
         "(SELECT BUSINESSPARTNERID FROM MEMBERUSER WHERE USERID = " +
         user + "))";
}

// Every row of `query`, every field read; the number of rows.
int64_t ReadAll(const std::string& query) {
  auto connection = core::GetConnection();
  auto rs = connection->Query(query);
  int64_t rows = 0;
  for (; !rs->IsEOF(); rs->MoveNext()) {
    for (int32_t i = 0; i < rs->FieldCount(); ++i) {
      benchmark::DoNotOptimize(rs->Field(i));
    }
    ++rows;
  }
  return rows;
}

void PrintPlan(const std::string& title, const std::string& query) {
  auto connection = core::GetConnection();
  auto rs = connection->Query("EXPLAIN QUERY PLAN " + query);
  std::cerr << title << " (" << ReadAll(query) << " rows):\n";
  for (; !rs->IsEOF(); rs->MoveNext()) {
    std::cerr << "  " << rs->Field("detail").ToText() << "\n";
  }
}

constexpr const char* kListNames[] = {"outbox", "inbox", "errorbox"};

int current_documents = 0;
Viewer current_viewer;

// Points the library at the database of `documents`, generating it when needed, and prints the
// plans of the six queries once.
const Viewer& Prepare(int documents) {
  if (current_documents == documents) {
    return current_viewer;
  }
  UseHome(documents);
  if (!Ready(documents)) {
    std::cerr << "generating " << DatabasePath(documents) << "\n";
    Generate(documents);
  }
  current_documents = documents;
  current_viewer = PickViewer();
  for (int32_t mode : {1, 0, 2}) {
    const std::string name = std::string(kListNames[mode]) + "/" + std::to_string(documents);
    PrintPlan("library " + name, LibraryQuery(mode, current_viewer));
    PrintPlan("hand-written " + name, HandWrittenQuery(mode, current_viewer));
  }
  return current_viewer;
}

void LibraryList(benchmark::State& state) {
  const auto mode = static_cast<int32_t>(state.range(1));
  const Viewer& viewer = Prepare(static_cast<int>(state.range(0)));
  int64_t rows = 0;
  for (auto _ : state) {
    rows = ReadAll(LibraryQuery(mode, viewer));
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetLabel(kListNames[mode]);
}

void HandWrittenList(benchmark::State& state) {
  const auto mode = static_cast<int32_t>(state.range(1));
  const Viewer& viewer = Prepare(static_cast<int>(state.range(0)));
  int64_t rows = 0;
  for (auto _ : state) {
    rows = ReadAll(HandWrittenQuery(mode, viewer));
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetLabel(kListNames[mode]);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (int64_t documents : {100'000, 1'000'000}) {
    for (int64_t mode : {1, 0, 2}) {
      benchmark->Args({documents, mode});
    }
  }
  benchmark->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Repetitions(5)
      ->ReportAggregatesOnly(true)
      ->MinTime(0.2);
}

BENCHMARK(LibraryList)->Apply(Sizes);
BENCHMARK(HandWrittenList)->Apply(Sizes);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
