#include "velmora/support/user_defined_fields.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/registration.h"
#include "core/sql_literals.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;
using testing::Contains;
using testing::RaisedBy;

const std::string kType = "D'Arcy – Lieferschein ü";

std::string Repeat(const std::string& piece, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) {
    result += piece;
  }
  return result;
}

std::shared_ptr<xml::Document> Xml(const std::string& text) {
  auto xml = std::make_shared<xml::Document>();
  EXPECT_TRUE(xml->LoadXml(text)) << text;
  return xml;
}

class UserDefinedFieldsTest : public testing::LibraryDbTest {
 protected:
  // Adds a tag definition for `type` and returns its TAGID.
  int32_t AddTag(const std::string& type, int32_t kind, const std::string& pattern) {
    Exec(
        "INSERT INTO TAGSCONFIG (DOCUMENTTYPEID, XSLPATTERN, TAGATTRXSL, DESCRIPTION, "
        "SEQUENCENUMBER) VALUES (" +
        SqlText(type) + ", " + SqlText(pattern) + ", " + SqlLong(kind) + ", 'd', 1)");
    return Scalar("SELECT MAX(TAGID) FROM TAGSCONFIG").ToInt32();
  }
  // Adds a document of `type` with `body` (NULL when `body` is "null") and returns its ID.
  int32_t AddDocument(const std::string& type, const std::string& body) {
    Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, XMLBODY) VALUES (" + SqlText(type) + ", " +
         (body == "null" ? std::string("NULL") : SqlText(body)) + ")");
    return Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  }
  int64_t Rows(const std::string& where = "1 = 1") {
    return Scalar("SELECT COUNT(*) FROM TAGSVALUE WHERE " + where).ToInt64();
  }
  // The stored value, or "<none>".
  std::string Value(int32_t doc, int32_t tag) {
    const Variant value =
        Scalar("SELECT TAGVALUE FROM TAGSVALUE WHERE DOCUMENTID = " + SqlLong(doc) +
               " AND TAGID = " + SqlLong(tag));
    return value.IsEmpty() ? "<none>" : value.ToText();
  }

  UserDefinedFields fields_;
};

TEST_P(UserDefinedFieldsTest, StoresEachTagKindAndCutsLongValuesTo100Characters) {
  const int32_t note = AddTag(kType, 1, "NOTE");
  const int32_t ref = AddTag(kType, 2, "ref");
  const int32_t path = AddTag(kType, 3, "/ORDER/NAME");
  const int32_t fixed = AddTag(kType, 4, "fixed");
  AddTag("OTHER", 1, "NOTE");
  const std::string xml =
      "<ORDER ref=\"O'Brien &amp; \u00e7o\"><NAME>  Zoë's \"Laden\"  </NAME><NOTE>" +
      Repeat("\u00fc", 150) + "</NOTE></ORDER>";

  EXPECT_TRUE(fields_.FillTagsValueTable(7, kType, Xml(xml)));

  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(Value(7, note), Repeat("\u00fc", 100));
  EXPECT_EQ(Value(7, ref), "O'Brien & \u00e7o");
  EXPECT_EQ(Value(7, path), "Zoë's \"Laden\"");
  EXPECT_EQ(Value(7, fixed), "");
}

TEST_P(UserDefinedFieldsTest, ProcessingTwiceKeepsOneRowPerTagWithTheNewValues) {
  const int32_t a = AddTag(kType, 1, "A");
  const int32_t b = AddTag(kType, 1, "B");
  fields_.FillTagsValueTable(7, kType, Xml("<R><A>1</A><B>2</B></R>"));
  fields_.FillTagsValueTable(7, kType, Xml("<R><A>3</A></R>"));
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Value(7, a), "3");
  EXPECT_EQ(Value(7, b), "");
}

TEST_P(UserDefinedFieldsTest, ADocumentWithoutXmlKeepsNoValues) {
  AddTag(kType, 1, "A");
  fields_.FillTagsValueTable(7, kType, Xml("<R><A>1</A></R>"));
  fields_.FillTagsValueTable(8, kType, Xml("<R><A>1</A></R>"));
  EXPECT_TRUE(fields_.FillTagsValueTable(7, kType, nullptr));
  EXPECT_EQ(Rows("DOCUMENTID = 7"), 0);
  fields_.FillTagsValueTable(7, kType, Xml("<R><A>1</A></R>"));
  EXPECT_TRUE(fields_.FillTagsValueTable(7, kType, std::make_shared<xml::Document>()));
  EXPECT_EQ(Rows("DOCUMENTID = 7"), 0);
  EXPECT_EQ(Rows("DOCUMENTID = 8"), 1);
}

TEST_P(UserDefinedFieldsTest, UpdateValuesReadsTheStoredBodyAndKeepsValuesWhenItIsNotXml) {
  const int32_t a = AddTag(kType, 1, "A");
  const int32_t doc = AddDocument(kType, "<R><A>stored ü</A></R>");
  fields_.FillTagsValueTable(doc, kType, Xml("<R><A>old</A></R>"));
  fields_.UpdateValuesInTagsValueTable(doc, kType);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Value(doc, a), "stored ü");

  Exec("UPDATE DOCUMENT SET XMLBODY = '<R>'");
  const Error error = RaisedBy([&] { fields_.UpdateValuesInTagsValueTable(doc, kType); });
  EXPECT_TRUE(
      Contains(error.description(), "Velmora.UserDefinedFields.UpdateValuesInTagsValueTable"));
  EXPECT_EQ(Value(doc, a), "stored ü");

  Exec("DELETE FROM DOCUMENT");
  fields_.UpdateValuesInTagsValueTable(doc, kType);
  EXPECT_EQ(Rows(), 0);
}

TEST_P(UserDefinedFieldsTest, AddingATagSkipsBodiesThatAreNotXmlAndReplacesOldValues) {
  const int32_t a = AddTag(kType, 1, "A");
  const int32_t good = AddDocument(kType, "<R><A>one</A></R>");
  const int32_t broken = AddDocument(kType, "<R><A>two</R>");
  const int32_t empty = AddDocument(kType, "null");
  const int32_t second = AddDocument(kType, "<R><A>" + Repeat("x", 150) + "</A></R>");
  const int32_t other = AddDocument("OTHER", "<R><A>other</A></R>");

  fields_.AddTagsValueTable(kType, a);
  fields_.AddTagsValueTable(kType, a);

  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Value(good, a), "one");
  EXPECT_EQ(Value(second, a), Repeat("x", 100));
  EXPECT_EQ(Value(broken, a), "<none>");
  EXPECT_EQ(Value(empty, a), "<none>");
  EXPECT_EQ(Value(other, a), "<none>");
}

TEST_P(UserDefinedFieldsTest, ATagWithoutDefinitionForTheTypeChangesNothing) {
  const int32_t a = AddTag("OTHER", 1, "A");
  AddDocument(kType, "<R><A>one</A></R>");
  fields_.AddTagsValueTable(kType, a);
  fields_.AddTagsValueTable("x' OR '1'='1", a);
  fields_.UpdateTagsValueTable(kType, a + 100);
  EXPECT_EQ(Rows(), 0);
}

TEST_P(UserDefinedFieldsTest, UpdatingATagRecomputesItForEveryDocumentOfTheType) {
  const int32_t a = AddTag(kType, 1, "A");
  const int32_t b = AddTag(kType, 1, "B");
  const int32_t doc = AddDocument(kType, "<R><A>new</A><B>b</B></R>");
  fields_.FillTagsValueTable(doc, kType, Xml("<R><A>old</A><B>b</B></R>"));
  fields_.FillTagsValueTable(999, kType, Xml("<R><A>gone</A></R>"));
  fields_.UpdateTagsValueTable(kType, a);
  EXPECT_EQ(Value(doc, a), "new");
  EXPECT_EQ(Value(doc, b), "b");
  EXPECT_EQ(Value(999, a), "<none>");
  EXPECT_EQ(Value(999, b), "");
}

TEST_P(UserDefinedFieldsTest, PassedConnectionsJoinTheCallersTransaction) {
  const int32_t a = AddTag(kType, 1, "A");
  const int32_t doc = AddDocument(kType, "<R><A>body</A></R>");
  auto connection = Open();
  connection->Begin();
  EXPECT_TRUE(fields_.FillTagsValueTable(doc, kType, Xml("<R><A>1</A></R>"), connection.get()));
  fields_.DeleteTagsForDocument(doc, connection.get());
  fields_.AddTagsValueTable(kType, a, connection.get());
  ASSERT_TRUE(connection->IsOpen());
  EXPECT_EQ(connection->Query("SELECT TAGVALUE FROM TAGSVALUE")->Field(0).ToText(), "body");
  connection->Rollback();
  EXPECT_EQ(Rows(), 0);

  connection->Begin();
  fields_.FillTagsValueTable(doc, kType, Xml("<R><A>kept</A></R>"), connection.get());
  connection->Commit();
  EXPECT_TRUE(connection->IsOpen());
  EXPECT_EQ(Value(doc, a), "kept");
  fields_.DeleteTagsForDocument(doc);
  EXPECT_EQ(Rows(), 0);
}

TEST_P(UserDefinedFieldsTest, FailuresCarryTheMethodPathAndTheTag) {
  Exec("DROP TABLE TAGSVALUE");
  const Error fill = RaisedBy([&] { fields_.FillTagsValueTable(1, kType, Xml("<R/>")); });
  EXPECT_TRUE(Contains(fill.description(), "Velmora.UserDefinedFields.FillTagsValueTable"));
  const Error update = RaisedBy([&] { fields_.UpdateTagsValueTable(kType, 42); });
  EXPECT_TRUE(Contains(update.description(), "Velmora.UserDefinedFields.UpdateTagsValueTable"));
  EXPECT_TRUE(Contains(update.description(), "Doc. Type ID: '" + kType + "' Tag ID: '42'"));
}

TEST_P(UserDefinedFieldsTest, ADocumentThatFailsIsLoggedAndTheOthersAreStored) {
  const int32_t a = AddTag(kType, 1, "A");
  const int32_t first = AddDocument(kType, "<R><A>one</A></R>");
  const int32_t second = AddDocument(kType, "<R><A>two</A></R>");
  // A trigger refuses the first document's row.
  if (IsSqlite()) {
    Exec("CREATE TRIGGER REFUSE BEFORE INSERT ON TAGSVALUE WHEN NEW.DOCUMENTID = " +
         SqlLong(first) + " BEGIN SELECT RAISE(ABORT, 'refused'); END");
  } else {
    Exec("CREATE FUNCTION REFUSE() RETURNS TRIGGER AS $$ BEGIN IF NEW.DOCUMENTID = " +
         SqlLong(first) +
         " THEN RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql");
    Exec(
        "CREATE TRIGGER REFUSE BEFORE INSERT ON TAGSVALUE FOR EACH ROW EXECUTE FUNCTION "
        "REFUSE()");
  }
  fields_.AddTagsValueTable(kType, a);
  EXPECT_EQ(Value(first, a), "<none>");
  EXPECT_EQ(Value(second, a), "two");
  EXPECT_TRUE(Logged("Unable to update user-defined fields for xml document with id '" +
                     std::to_string(first) + " and type '" + kType + "'"));
}

TEST_P(UserDefinedFieldsTest, AutomationCallsFillAndDelete) {
  automation::ClassRegistry registry;
  automation::RegisterFieldAndAttachmentClasses(registry);
  const int32_t a = AddTag(kType, 1, "A");
  std::vector<Variant> fill = {Variant(5), Variant(kType),
                               Variant(ObjectRef(Xml("<R><A>via call</A></R>")))};
  EXPECT_TRUE(registry.Call("Velmora.UserDefinedFields", "FillTagsValueTable", fill).ToBool());
  EXPECT_EQ(Value(5, a), "via call");
  std::vector<Variant> remove = {Variant(5)};
  registry.Call("Velmora.UserDefinedFields", "DeleteTagsForDocument", remove);
  EXPECT_EQ(Rows(), 0);
  std::vector<Variant> wrong = {Variant(5), Variant("not a connection")};
  EXPECT_THROW(registry.Call("Velmora.UserDefinedFields", "DeleteTagsForDocument", wrong), Error);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UserDefinedFieldsTest);

}  // namespace
}  // namespace velmora
