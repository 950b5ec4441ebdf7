#include "velmora/db/recordset.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/db/db_test_util.h"
#include "platform/db/errors.h"
#include "platform/db/schema_script.h"
#include "support/db_test_engines.h"
#include "velmora/base/text.h"
#include "velmora/db/connection.h"

namespace velmora::db {
namespace {

constexpr RecordsetOptions kUpdatable{CursorLocation::kClient, LockType::kOptimistic};
constexpr RecordsetOptions kClientReadOnly{CursorLocation::kClient, LockType::kReadOnly};

class RecordsetTest : public testing::DbEngineTest {
 protected:
  void SetUpDatabase() override {
    DbEngineTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    connection_ = Open();
    RunSchemaScript(*connection_,
                    "-- Items with every kind of column the library uses.\n"
                    "CREATE TABLE ITEM (\n"
                    "  ITEMID {{ID}},\n"
                    "  NAME VARCHAR(200),\n"
                    "  QTY INTEGER,\n"
                    "  PRICE DOUBLE PRECISION,\n"
                    "  BIG BIGINT,\n"
                    "  FLAG SMALLINT DEFAULT 0,\n"
                    "  BODY TEXT,\n"
                    "  CREATED {{DATETIME}}\n"
                    ");\n"
                    "CREATE TABLE TAG (\n"
                    "  TAGID {{ID}},\n"
                    "  ITEMID INTEGER REFERENCES ITEM (ITEMID),\n"
                    "  LABEL VARCHAR(50)\n"
                    ");\n"
                    "CREATE TABLE LOOSE (\n"
                    "  A VARCHAR(20),\n"
                    "  B INTEGER\n"
                    ");\n");
  }

  // Adds an item through SQL and returns its key.
  int32_t AddItem(std::string_view name, int qty) {
    connection_->Execute("INSERT INTO ITEM (NAME, QTY) VALUES ('" +
                         text::ReplaceAll(name, "'", "''") + "', " + std::to_string(qty) + ")");
    return ScalarOf(*connection_, "SELECT MAX(ITEMID) AS K FROM ITEM").ToInt32();
  }

  Variant Stored(std::string_view column, int32_t id) {
    return ScalarOf(*connection_, "SELECT " + std::string(column) +
                                      " FROM ITEM WHERE ITEMID = " + std::to_string(id));
  }

  std::unique_ptr<Connection> connection_;
};

TEST_P(RecordsetTest, AddNewAndUpdateReadTheGeneratedKeyBack) {
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE 0=1", kUpdatable);
  EXPECT_TRUE(recordset->IsEOF());
  recordset->AddNew();
  recordset->SetField("NAME", Variant("first"));
  recordset->SetField("QTY", Variant(int32_t{4}));
  recordset->Update();
  Variant first = recordset->Field("ITEMID");
  ASSERT_EQ(first.kind(), Variant::Kind::kInt32);
  EXPECT_GT(first.ToInt32(), 0);

  std::unique_ptr<Recordset> again =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE ITEMID = -1", kUpdatable);
  again->AddNew();
  again->SetField("name", Variant("second"));
  again->Update();
  Variant second = again->Field("itemid");
  EXPECT_GT(second.ToInt32(), first.ToInt32());
  EXPECT_EQ(Stored("NAME", first.ToInt32()), Variant("first"));
  EXPECT_EQ(Stored("QTY", first.ToInt32()), Variant(int32_t{4}));
  EXPECT_EQ(Stored("NAME", second.ToInt32()), Variant("second"));
  EXPECT_EQ(CountOf(*connection_, "ITEM"), 2);
}

TEST_P(RecordsetTest, AddNewWithoutFieldsUsesTheDefaults) {
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE 0=1", kUpdatable);
  recordset->AddNew();
  recordset->Update();
  int32_t id = recordset->Field("ITEMID").ToInt32();
  EXPECT_EQ(Stored("FLAG", id), Variant(int32_t{0}));
  EXPECT_TRUE(Stored("NAME", id).IsNull());
}

TEST_P(RecordsetTest, SeveralRowsAddedThroughOneRecordset) {
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE 0=1", kUpdatable);
  std::vector<int32_t> keys;
  for (int i = 0; i < 3; ++i) {
    recordset->AddNew();
    recordset->SetField("NAME", Variant("n" + std::to_string(i)));
    recordset->Update();
    keys.push_back(recordset->Field("ITEMID").ToInt32());
  }
  EXPECT_LT(keys[0], keys[1]);
  EXPECT_LT(keys[1], keys[2]);
  EXPECT_EQ(recordset->RecordCount(), 3);
  recordset->MoveFirst();
  EXPECT_EQ(recordset->Field("NAME"), Variant("n0"));
  EXPECT_EQ(CountOf(*connection_, "ITEM"), 3);
}

TEST_P(RecordsetTest, ChangedFieldsAreWrittenBackToTheirRowOnly) {
  int32_t a = AddItem("a", 1);
  int32_t b = AddItem("b", 2);
  int32_t c = AddItem("c", 3);
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE QTY > 0 ORDER BY ITEMID", kUpdatable);
  recordset->MoveNext();
  recordset->SetField("NAME", Variant("b changed"));
  recordset->SetField("QTY", Variant(int32_t{20}));
  recordset->Update();
  EXPECT_EQ(recordset->Field("NAME"), Variant("b changed"));
  EXPECT_EQ(Stored("NAME", b), Variant("b changed"));
  EXPECT_EQ(Stored("QTY", b), Variant(int32_t{20}));
  EXPECT_EQ(Stored("NAME", a), Variant("a"));
  EXPECT_EQ(Stored("NAME", c), Variant("c"));
}

TEST_P(RecordsetTest, MovingOffAChangedRowWritesItFirst) {
  int32_t a = AddItem("a", 1);
  AddItem("b", 2);
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM ORDER BY ITEMID", kUpdatable);
  recordset->SetField("QTY", Variant(int32_t{11}));
  recordset->MoveNext();
  EXPECT_EQ(Stored("QTY", a), Variant(int32_t{11}));
}

TEST_P(RecordsetTest, CancelUpdateDropsThePendingChange) {
  int32_t a = AddItem("a", 1);
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM", kUpdatable);
  recordset->SetField("NAME", Variant("x"));
  recordset->CancelUpdate();
  EXPECT_EQ(recordset->Field("NAME"), Variant("a"));
  recordset->AddNew();
  EXPECT_EQ(recordset->RecordCount(), 2);
  recordset->CancelUpdate();
  EXPECT_EQ(recordset->RecordCount(), 1);
  EXPECT_EQ(recordset->Field("ITEMID"), Variant(a));
  recordset->Update();
  EXPECT_EQ(Stored("NAME", a), Variant("a"));
  EXPECT_EQ(CountOf(*connection_, "ITEM"), 1);
}

TEST_P(RecordsetTest, NarrowQueryIsWrittenBackByTheHiddenKey) {
  // Two rows share the value the query reads: only the keyed row may change.
  int32_t a = AddItem("same.xsl", 1);
  int32_t b = AddItem("same.xsl", 2);
  std::unique_ptr<Recordset> recordset = connection_->OpenRecordset(
      "SELECT NAME FROM ITEM WHERE ITEMID = " + std::to_string(b), kUpdatable);
  EXPECT_EQ(recordset->FieldCount(), 1);
  EXPECT_EQ(recordset->FieldIndex("ITEMID"), -1);
  recordset->SetField("NAME", Variant("new.xsl"));
  recordset->Update();
  EXPECT_EQ(Stored("NAME", a), Variant("same.xsl"));
  EXPECT_EQ(Stored("NAME", b), Variant("new.xsl"));

  std::unique_ptr<Recordset> adder =
      connection_->OpenRecordset("SELECT NAME FROM ITEM WHERE ITEMID = -1", kUpdatable);
  adder->AddNew();
  adder->SetField("NAME", Variant("added"));
  adder->Update();
  adder->SetField("NAME", Variant("added and changed"));
  adder->Update();
  EXPECT_EQ(ScalarOf(*connection_,
                     "SELECT COUNT(*) AS N FROM ITEM WHERE NAME = 'added and "
                     "changed'"),
            Variant(int32_t{1}));
  EXPECT_EQ(CountOf(*connection_, "ITEM"), 3);
}

TEST_P(RecordsetTest, TableWithoutPrimaryKeyIsWrittenBackByRowidOrByValues) {
  connection_->Execute("INSERT INTO LOOSE (A, B) VALUES ('x', 1), ('x', 2), ('z', 5), ('z', 5)");
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM LOOSE WHERE B = 2", kUpdatable);
  recordset->SetField("A", Variant("y"));
  recordset->Update();
  EXPECT_EQ(ScalarOf(*connection_, "SELECT A FROM LOOSE WHERE B = 1"), Variant("x"));
  EXPECT_EQ(ScalarOf(*connection_, "SELECT A FROM LOOSE WHERE B = 2"), Variant("y"));

  std::unique_ptr<Recordset> twins =
      connection_->OpenRecordset("SELECT * FROM LOOSE WHERE A = 'z'", kUpdatable);
  twins->SetField("B", Variant(int32_t{6}));
  if (IsSqlite()) {
    // SQLite finds the row by its rowid: exactly one twin changes.
    twins->Update();
    EXPECT_EQ(ScalarOf(*connection_, "SELECT COUNT(*) AS N FROM LOOSE WHERE B = 6"),
              Variant(int32_t{1}));
  } else {
    // Without a key the row is found by its values, which match both twins: refused, unchanged.
    Error error = RaisedBy([&] { twins->Update(); });
    EXPECT_EQ(error.number(), kErrDbRowNotFound);
    EXPECT_EQ(ScalarOf(*connection_, "SELECT COUNT(*) AS N FROM LOOSE WHERE B = 6"),
              Variant(int32_t{0}));
    EXPECT_FALSE(connection_->InTransaction());
  }
}

TEST_P(RecordsetTest, WriteBackFollowsAKeyThatChangedWithTheSchema) {
  const auto rename_second = [&] {
    std::unique_ptr<Recordset> recordset =
        connection_->OpenRecordset("SELECT * FROM PAIR WHERE B = 2", kUpdatable);
    recordset->SetField("A", Variant("y"));
    recordset->Update();
  };
  connection_->Execute("CREATE TABLE PAIR (A VARCHAR(20) PRIMARY KEY, B INTEGER)");
  connection_->Execute("INSERT INTO PAIR (A, B) VALUES ('w', 1), ('x', 2)");
  rename_second();
  connection_->Execute("DROP TABLE PAIR");
  connection_->Execute("CREATE TABLE PAIR (A VARCHAR(20), B INTEGER PRIMARY KEY)");
  connection_->Execute("INSERT INTO PAIR (A, B) VALUES ('x', 1), ('x', 2)");
  // Located by the old key A = 'x', both rows would change.
  rename_second();
  EXPECT_EQ(ScalarOf(*connection_, "SELECT A FROM PAIR WHERE B = 1"), Variant("x"));
  EXPECT_EQ(ScalarOf(*connection_, "SELECT A FROM PAIR WHERE B = 2"), Variant("y"));
}

TEST_P(RecordsetTest, WriteBackOfADeletedRowReportsIt) {
  int32_t a = AddItem("a", 1);
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM", kUpdatable);
  connection_->Execute("DELETE FROM ITEM WHERE ITEMID = " + std::to_string(a));
  recordset->SetField("NAME", Variant("gone"));
  EXPECT_EQ(RaisedBy([&] { recordset->Update(); }).number(), kErrDbRowNotFound);
}

TEST_P(RecordsetTest, JoinedQueryCannotBeWrittenBack) {
  int32_t a = AddItem("a", 1);
  connection_->Execute("INSERT INTO TAG (ITEMID, LABEL) VALUES (" + std::to_string(a) + ", 't')");
  std::unique_ptr<Recordset> recordset = connection_->OpenRecordset(
      "SELECT I.NAME, T.LABEL FROM ITEM I JOIN TAG T ON T.ITEMID = I.ITEMID", kUpdatable);
  recordset->SetField("LABEL", Variant("u"));
  Error error = RaisedBy([&] { recordset->Update(); });
  EXPECT_EQ(error.number(), kErrDbNotUpdatable);
  EXPECT_NE(error.description().find("one table"), std::string::npos);
}

TEST_P(RecordsetTest, ReadOnlyRecordsetsRefuseChanges) {
  AddItem("a", 1);
  std::unique_ptr<Recordset> forward = connection_->Query("SELECT * FROM ITEM");
  EXPECT_EQ(RaisedBy([&] { forward->SetField("NAME", Variant("x")); }).number(),
            kErrDbNotUpdatable);
  EXPECT_EQ(RaisedBy([&] { forward->AddNew(); }).number(), kErrDbNotUpdatable);
  std::unique_ptr<Recordset> client =
      connection_->OpenRecordset("SELECT * FROM ITEM", kClientReadOnly);
  EXPECT_EQ(RaisedBy([&] { client->SetField(1, Variant("x")); }).number(), kErrDbNotUpdatable);
}

TEST_P(RecordsetTest, NullGoesInAndComesOutAsNull) {
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE 0=1", kUpdatable);
  recordset->AddNew();
  recordset->SetField("NAME", Variant::MakeNull());
  recordset->SetField("QTY", Variant());
  recordset->SetField("BODY", Variant("not null"));
  recordset->Update();
  int32_t id = recordset->Field("ITEMID").ToInt32();
  EXPECT_TRUE(recordset->Field("QTY").IsNull());
  recordset->SetField("BODY", Variant::MakeNull());
  recordset->Update();
  std::unique_ptr<Recordset> read = connection_->Query(
      "SELECT NAME, QTY, BODY, CREATED FROM "
      "ITEM WHERE ITEMID = " +
      std::to_string(id));
  for (int i = 0; i < read->FieldCount(); ++i) {
    SCOPED_TRACE(read->FieldName(i));
    EXPECT_TRUE(read->Field(i).IsNull());
  }
}

TEST_P(RecordsetTest, TextWithQuotesAndNonAsciiRoundTrips) {
  const std::string tricky = "O'Brien \"quoted\" '' -- ; caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80";
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE 0=1", kUpdatable);
  recordset->AddNew();
  recordset->SetField("NAME", Variant(tricky));
  recordset->Update();
  int32_t bound = recordset->Field("ITEMID").ToInt32();
  int32_t literal = AddItem(tricky, 1);
  EXPECT_EQ(Stored("NAME", bound), Variant(tricky));
  EXPECT_EQ(Stored("NAME", literal), Variant(tricky));
  std::unique_ptr<Recordset> found = connection_->OpenRecordset(
      "SELECT ITEMID FROM ITEM WHERE NAME = '" + text::ReplaceAll(tricky, "'", "''") + "'",
      kClientReadOnly);
  EXPECT_EQ(found->RecordCount(), 2);
}

TEST_P(RecordsetTest, MultiMegabyteTextRoundTrips) {
  std::string body;
  body.reserve(5 << 20);
  for (int i = 0; body.size() < (5u << 20); ++i) {
    body += "<LINE n=\"" + std::to_string(i) + "\">\xC3\xA9l\xC3\xA8ve</LINE>\n";
  }
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM WHERE 0=1", kUpdatable);
  recordset->AddNew();
  recordset->SetField("BODY", Variant(body));
  recordset->Update();
  int32_t id = recordset->Field("ITEMID").ToInt32();
  Variant stored = Stored("BODY", id);
  ASSERT_EQ(stored.kind(), Variant::Kind::kText);
  EXPECT_EQ(stored.ToText().size(), body.size());
  EXPECT_TRUE(stored.ToText() == body);
}

TEST_P(RecordsetTest, ValuesComeBackAsTheirKinds) {
  connection_->Execute(
      "INSERT INTO ITEM (NAME, QTY, PRICE, BIG, FLAG, CREATED) VALUES "
      "('k', -7, 2.5, 5000000000, 1, '2024-01-02 15:04:05')");
  std::unique_ptr<Recordset> recordset =
      connection_->Query("SELECT NAME, QTY, PRICE, BIG, FLAG, CREATED, ITEMID FROM ITEM");
  EXPECT_EQ(recordset->Field("NAME"), Variant("k"));
  EXPECT_EQ(recordset->Field("QTY"), Variant(int32_t{-7}));
  EXPECT_EQ(recordset->Field("PRICE"), Variant(2.5));
  EXPECT_EQ(recordset->Field("BIG"), Variant(int64_t{5000000000}));
  EXPECT_EQ(recordset->Field("FLAG"), Variant(int32_t{1}));
  EXPECT_EQ(recordset->Field("CREATED"), Variant("2024-01-02 15:04:05"));
  EXPECT_EQ(recordset->Field("ITEMID").kind(), Variant::Kind::kInt32);
}

TEST_P(RecordsetTest, BinaryValuesRoundTrip) {
  connection_->Execute(IsSqlite() ? "CREATE TABLE BIN (BINID INTEGER PRIMARY KEY, DATA BLOB)"
                                  : "CREATE TABLE BIN (BINID INTEGER PRIMARY KEY, DATA BYTEA)");
  const Bytes data = {0, 1, 2, 0xFF, 0x80, 0, 'a', '\''};
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM BIN WHERE 0=1", kUpdatable);
  for (int id : {1, 2}) {
    recordset->AddNew();
    recordset->SetField("BINID", Variant(int32_t{id}));
    recordset->SetField("DATA", id == 1 ? Variant(data) : Variant(Bytes()));
    recordset->Update();
  }
  std::unique_ptr<Recordset> read = connection_->Query("SELECT DATA FROM BIN ORDER BY BINID");
  EXPECT_EQ(read->Field(0), Variant(data));
  read->MoveNext();
  EXPECT_EQ(read->Field(0), Variant(Bytes()));
}

TEST_P(RecordsetTest, ExpressionValuesMapByTheirType) {
  if (IsSqlite()) {
    // SQLite values carry their storage class: integer, real, text or blob.
    std::unique_ptr<Recordset> recordset =
        connection_->Query("SELECT 1.5 AS R, 3 AS S, 'v' AS V, x'00ff' AS B, NULL AS N");
    EXPECT_EQ(recordset->Field("R"), Variant(1.5));
    EXPECT_EQ(recordset->Field("S"), Variant(int32_t{3}));
    EXPECT_EQ(recordset->Field("V"), Variant("v"));
    EXPECT_EQ(recordset->Field("B"), Variant(Bytes{0x00, 0xFF}));
    EXPECT_TRUE(recordset->Field("N").IsNull());
    return;
  }
  // PostgreSQL values map by their column type.
  std::unique_ptr<Recordset> recordset = connection_->Query(
      "SELECT TRUE AS T, FALSE AS F, 12.50::numeric AS N, 3::smallint AS S, "
      "TIMESTAMP '2024-03-04 05:06:07.891' AS TS, 'v'::varchar AS V, 1.5::real AS R, "
      "'\\x00ff'::bytea AS B, 9000000000::int8 AS L");
  EXPECT_EQ(recordset->Field("T"), Variant(true));
  EXPECT_EQ(recordset->Field("F"), Variant(false));
  EXPECT_EQ(recordset->Field("N"), Variant(12.5));
  EXPECT_EQ(recordset->Field("S"), Variant(int32_t{3}));
  EXPECT_EQ(recordset->Field("TS"), Variant("2024-03-04 05:06:07"));
  EXPECT_EQ(recordset->Field("V"), Variant("v"));
  EXPECT_EQ(recordset->Field("R"), Variant(1.5));
  EXPECT_EQ(recordset->Field("B"), Variant(Bytes{0x00, 0xFF}));
  EXPECT_EQ(recordset->Field("L"), Variant(int64_t{9000000000}));
}

TEST_P(RecordsetTest, EmptyDisconnectedRecordsetIsOpenAtEof) {
  std::unique_ptr<Recordset> recordset =
      connection_->QueryDisconnected("SELECT * FROM ITEM WHERE 0=1");
  EXPECT_TRUE(recordset->IsOpen());
  EXPECT_EQ(recordset->State(), 1);
  EXPECT_TRUE(recordset->IsEOF());
  EXPECT_TRUE(recordset->IsBOF());
  EXPECT_EQ(recordset->RecordCount(), 0);
  EXPECT_EQ(recordset->FieldCount(), 8);
  EXPECT_FALSE(recordset->IsConnected());
  EXPECT_EQ(RaisedBy([&] { recordset->Field("NAME"); }).number(), kErrDbNoCurrentRow);
  EXPECT_EQ(RaisedBy([&] { recordset->MoveNext(); }).number(), kErrDbNoCurrentRow);
}

TEST_P(RecordsetTest, DisconnectedRecordsetOutlivesItsConnection) {
  AddItem("a", 1);
  AddItem("b", 2);
  std::unique_ptr<Recordset> recordset =
      connection_->QueryDisconnected("SELECT NAME, QTY FROM ITEM ORDER BY ITEMID");
  connection_->Close();
  connection_.reset();
  EXPECT_TRUE(recordset->IsOpen());
  EXPECT_EQ(recordset->RecordCount(), 2);
  EXPECT_FALSE(recordset->IsBOF());
  EXPECT_EQ(recordset->Field("NAME"), Variant("a"));
  recordset->MoveNext();
  EXPECT_EQ(recordset->Field("QTY"), Variant(int32_t{2}));
  recordset->MoveNext();
  EXPECT_TRUE(recordset->IsEOF());
  recordset->MoveFirst();
  EXPECT_EQ(recordset->Field("NAME"), Variant("a"));
}

TEST_P(RecordsetTest, ForwardOnlyRecordsetCanBeDisconnectedWithItsRemainingRows) {
  for (int i = 0; i < 4; ++i) {
    AddItem("n" + std::to_string(i), i);
  }
  std::unique_ptr<Recordset> recordset =
      connection_->Query("SELECT NAME FROM ITEM ORDER BY ITEMID");
  EXPECT_EQ(recordset->RecordCount(), -1);
  recordset->MoveNext();
  recordset->Disconnect();
  connection_->Close();
  EXPECT_EQ(recordset->RecordCount(), 3);
  EXPECT_EQ(recordset->Field("NAME"), Variant("n1"));
}

TEST_P(RecordsetTest, ForwardOnlyRecordsetClosesWithItsConnection) {
  AddItem("a", 1);
  AddItem("b", 2);
  std::unique_ptr<Recordset> recordset = connection_->Query("SELECT * FROM ITEM");
  EXPECT_EQ(RaisedBy([&] { recordset->MoveFirst(); }).number(), kErrDbNotUpdatable);
  connection_->Close();
  EXPECT_FALSE(recordset->IsOpen());
  EXPECT_EQ(recordset->State(), 0);
  EXPECT_EQ(RaisedBy([&] { recordset->MoveNext(); }).number(), kErrDbClosed);
  EXPECT_EQ(RaisedBy([&] { recordset->Field("NAME"); }).number(), kErrDbClosed);
}

TEST_P(RecordsetTest, ClientRecordsetLosesWriteBackWhenItsConnectionCloses) {
  AddItem("a", 1);
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM", kUpdatable);
  connection_->Close();
  EXPECT_TRUE(recordset->IsOpen());
  recordset->SetField("NAME", Variant("x"));
  EXPECT_EQ(RaisedBy([&] { recordset->Update(); }).number(), kErrDbNotUpdatable);
}

TEST_P(RecordsetTest, FindMovesForwardToTheFirstMatchOrEof) {
  AddItem("alpha", 1);
  AddItem("it's", 2);
  AddItem("beta", 3);
  AddItem("it's", 4);
  for (RecordsetOptions options : {RecordsetOptions{}, kClientReadOnly}) {
    SCOPED_TRACE(options.location == CursorLocation::kClient ? "client" : "forward-only");
    std::unique_ptr<Recordset> recordset =
        connection_->OpenRecordset("SELECT * FROM ITEM ORDER BY ITEMID", options);
    recordset->Find("NAME = 'it''s'");
    EXPECT_EQ(recordset->Field("QTY"), Variant(int32_t{2}));
    recordset->Find("NAME = 'it''s'");  // the current row matches: it stays
    EXPECT_EQ(recordset->Field("QTY"), Variant(int32_t{2}));
    recordset->MoveNext();
    recordset->Find("NAME='it''s'");
    EXPECT_EQ(recordset->Field("QTY"), Variant(int32_t{4}));
    recordset->Find("QTY=1");  // behind the current row: not found
    EXPECT_TRUE(recordset->IsEOF());
  }
  std::unique_ptr<Recordset> client =
      connection_->OpenRecordset("SELECT * FROM ITEM ORDER BY ITEMID", kClientReadOnly);
  client->Find("QTY = 3");
  EXPECT_EQ(client->Field("NAME"), Variant("beta"));
  client->MoveFirst();
  client->Find("name = 'beta'");
  EXPECT_EQ(client->Field("QTY"), Variant(int32_t{3}));
  EXPECT_EQ(RaisedBy([&] { client->Find("NOPE = 1"); }).number(), kErrDbItemNotFound);
  EXPECT_EQ(RaisedBy([&] { client->Find("NAME beta"); }).number(), kErrDbBadArgument);
}

TEST_P(RecordsetTest, GetRowsIsIndexedByFieldThenRow) {
  AddItem("a", 1);
  AddItem("b", 2);
  AddItem("c", 3);
  std::unique_ptr<Recordset> recordset =
      connection_->Query("SELECT NAME, QTY FROM ITEM ORDER BY ITEMID");
  recordset->MoveNext();
  VariantArray rows = recordset->GetRows();
  ASSERT_EQ(rows.dimensions(), 2);
  EXPECT_EQ(rows.Count(1), 2u);
  EXPECT_EQ(rows.Count(2), 2u);
  EXPECT_EQ(rows.LBound(1), 0);
  EXPECT_EQ(rows.At(0, 0), Variant("b"));
  EXPECT_EQ(rows.At(1, 0), Variant(int32_t{2}));
  EXPECT_EQ(rows.At(0, 1), Variant("c"));
  EXPECT_EQ(rows.At(1, 1), Variant(int32_t{3}));
  EXPECT_TRUE(recordset->IsEOF());
  EXPECT_EQ(RaisedBy([&] { recordset->GetRows(); }).number(), kErrDbNoCurrentRow);

  std::unique_ptr<Recordset> client =
      connection_->OpenRecordset("SELECT NAME, QTY FROM ITEM ORDER BY ITEMID", kClientReadOnly);
  VariantArray first_two = client->GetRows(2);
  EXPECT_EQ(first_two.Count(2), 2u);
  EXPECT_EQ(client->Field("NAME"), Variant("c"));
}

TEST_P(RecordsetTest, FieldNamesAreFoundIgnoringCase) {
  AddItem("a", 5);
  std::unique_ptr<Recordset> recordset = connection_->Query("SELECT * FROM ITEM");
  EXPECT_EQ(recordset->Field("name"), Variant("a"));
  EXPECT_EQ(recordset->Field("NaMe"), Variant("a"));
  EXPECT_EQ(recordset->FieldIndex("Qty"), 2);
  EXPECT_TRUE(text::IEquals(recordset->FieldName(0), "ITEMID"));
  EXPECT_EQ(recordset->Field(2), Variant(int32_t{5}));
}

TEST_P(RecordsetTest, UnknownFieldRaisesItemNotFoundNamingIt) {
  AddItem("a", 5);
  std::unique_ptr<Recordset> recordset = connection_->Query("SELECT * FROM ITEM");
  Error error = RaisedBy([&] { recordset->Field("NOSUCHFIELD"); });
  EXPECT_EQ(error.number(), kErrDbItemNotFound);
  EXPECT_NE(error.description().find("cannot be found"), std::string::npos);
  EXPECT_NE(error.description().find("NOSUCHFIELD"), std::string::npos);
  EXPECT_EQ(RaisedBy([&] { recordset->Field(8); }).number(), kErrDbItemNotFound);
  EXPECT_EQ(RaisedBy([&] { recordset->Field(-1); }).number(), kErrDbItemNotFound);
  EXPECT_EQ(RaisedBy([&] { recordset->FieldName(99); }).number(), kErrDbItemNotFound);
}

TEST_P(RecordsetTest, ClosedRecordsetRefusesWork) {
  AddItem("a", 5);
  std::unique_ptr<Recordset> recordset =
      connection_->OpenRecordset("SELECT * FROM ITEM", kClientReadOnly);
  recordset->Close();
  recordset->Close();
  EXPECT_FALSE(recordset->IsOpen());
  EXPECT_EQ(RaisedBy([&] { recordset->IsEOF(); }).number(), kErrDbClosed);
  EXPECT_EQ(RaisedBy([&] { recordset->Field(0); }).number(), kErrDbClosed);
}

TEST_P(RecordsetTest, RecordsetTravelsInAVariant) {
  AddItem("a", 5);
  Variant value{ObjectRef(connection_->QueryDisconnected("SELECT * FROM ITEM"))};
  EXPECT_EQ(value.AsObject()->TypeName(), "Recordset");
  std::shared_ptr<Recordset> recordset = value.As<Recordset>();
  ASSERT_NE(recordset, nullptr);
  EXPECT_EQ(recordset->Field("NAME"), Variant("a"));
}

TEST_P(RecordsetTest, OnlyOneStatementOpensAsARecordset) {
  Error error = RaisedBy([&] { connection_->Query("SELECT 1 AS A; SELECT 2 AS B"); });
  EXPECT_EQ(error.number(), kErrDbSql);
  EXPECT_EQ(connection_->Query("SELECT 1 AS A;")->Field("A"), Variant(int32_t{1}));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RecordsetTest);

}  // namespace
}  // namespace velmora::db
