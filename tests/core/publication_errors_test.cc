#include "core/publication_errors.h"

#include <gtest/gtest.h>

#include "support/library_db_test.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/core/label_replacements.h"
#include "velmora/document/document.h"

namespace velmora::core {
namespace {

class PublicationErrorsTest : public testing::LibraryDbTest {
 protected:
  int32_t AddDocument(const std::string& type) {
    Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, CREATIONDATE) VALUES (" +
         (type.empty() ? std::string("NULL") : "'" + type + "'") + ", 1, '2026-01-02 03:04:05')");
    return Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  }
  int32_t RowCount() { return Scalar("SELECT COUNT(*) FROM PUBLICATIONERRORS").ToInt32(); }
};

TEST_P(PublicationErrorsTest, RecordsARowAndReturnsItsKey) {
  const int32_t doc = AddDocument("  ORDERS  ");
  EXPECT_EQ(Document().GetDocumentTypeOfDocument(doc), "ORDERS");
  Dictionary values;
  values.Add("[%DOCID%]", Variant(std::to_string(doc)));
  values.Add("[%BP%]", Variant("Müller & <Söhne>"));
  XmlDocumentRef replacements;
  FillReplacementsXml(replacements, values);
  const int32_t first = LogPublicationError(doc, -2147220981, "push failed",
                                            "Velmora.PushDocUtils.Push", "ZODAR0875", replacements);
  const int32_t second = LogPublicationError(doc, 5, "again", "S", "");
  EXPECT_GT(first, 0);
  EXPECT_GT(second, first);
  EXPECT_EQ(Scalar("SELECT LABEL FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                   std::to_string(first))
                .ToText(),
            "ZODAR0875");
  EXPECT_TRUE(Scalar("SELECT LABEL FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                     std::to_string(second))
                  .IsNull());
  EXPECT_TRUE(Scalar("SELECT REPLACEMENTS FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                     std::to_string(second))
                  .IsNull());
  EXPECT_EQ(Scalar("SELECT CLOSED FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                   std::to_string(first))
                .ToInt32(),
            0);

  auto read = LabelReplacements().GetAllReplacementsFromTableForASP("PUBLICATIONERRORS", first);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Keys(), (std::vector<std::string>{"[%DOCID%]", "[%BP%]"}));
  EXPECT_EQ(read->Item("[%BP%]").ToText(), "Müller & <Söhne>");
}

TEST_P(PublicationErrorsTest, UnknownOrUntypedDocumentsWriteNothing) {
  EXPECT_EQ(LogPublicationError(987654, 5, "d", "s", "ZODAR0001", nullptr), 0);
  const int32_t untyped = AddDocument("");
  EXPECT_EQ(LogPublicationError(untyped, 5, "d", "s", "ZODAR0001"), 0);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(Document().GetDocumentTypeOfDocument(987654), "");
}

TEST_P(PublicationErrorsTest, SourceKeepsItsFirst255Characters) {
  const int32_t doc = AddDocument("T");
  std::string source;
  for (int i = 0; i < 150; ++i) {
    source += "é";
  }
  source += std::string(150, 'x');
  const int32_t id = LogPublicationError(doc, 1, "d", source, "C");
  const std::string stored =
      Scalar("SELECT SOURCE FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
             std::to_string(id))
          .ToText();
  std::string expected;
  for (int i = 0; i < 150; ++i) {
    expected += "é";
  }
  expected += std::string(105, 'x');
  EXPECT_EQ(stored, expected);
}

TEST_P(PublicationErrorsTest, StoredReplacementsReadBackInOrderOrEmpty) {
  const int32_t doc = AddDocument("T");
  Exec(
      "INSERT INTO PUBLICATIONERRORS (DOCUMENTID, ERRORNUMBER, DESCRIPTION, REPLACEMENTS) "
      "VALUES (" +
      std::to_string(doc) + ", 1, 'null', NULL), (" + std::to_string(doc) +
      ", 1, 'blank', '   '), (" + std::to_string(doc) +
      ", 1, 'broken', '<REPS><REP name=\"a\">'), (" + std::to_string(doc) +
      ", 1, 'twice', '<REPS><REP name=\"a\">1</REP><REP name=\"a\">2</REP></REPS>')");
  const auto id_of = [&](const std::string& description) {
    return Scalar("SELECT PUBLICATIONERRORID FROM PUBLICATIONERRORS WHERE DESCRIPTION = '" +
                  description + "'")
        .ToInt32();
  };
  for (const char* description : {"null", "blank", "broken"}) {
    SCOPED_TRACE(description);
    std::shared_ptr<Dictionary> dictionary;
    GetAllReplacementsFromTable(dictionary, "PUBLICATIONERRORS", id_of(description));
    ASSERT_NE(dictionary, nullptr);
    EXPECT_EQ(dictionary->Count(), 0u);
  }
  std::shared_ptr<Dictionary> dictionary;
  EXPECT_THROW(GetAllReplacementsFromTable(dictionary, "PUBLICATIONERRORS", id_of("twice")), Error);
}

TEST_P(PublicationErrorsTest, TableNamesAreValidatedBeforeTheyReachSql) {
  std::shared_ptr<Dictionary> dictionary;
  try {
    GetAllReplacementsFromTable(dictionary, "PUBLICATIONERRORS; DELETE FROM DOCUMENT", 1);
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
  }
  try {
    LabelReplacements().GetAllReplacementsFromTableForASP("BAD TABLE", 7);
    FAIL();
  } catch (const Error& raised) {
    EXPECT_NE(raised.description().find(
                  "METHOD: Velmora.LabelReplacements.GetAllReplacementsFromTableForASP caught: "),
              std::string::npos);
    EXPECT_NE(raised.description().find("Additional information: "), std::string::npos);
    EXPECT_NE(raised.description().find("7"), std::string::npos);
  }
}

TEST_P(PublicationErrorsTest, FailuresToRecordPropagateWithBothPaths) {
  const int32_t doc = AddDocument("T");
  Exec("DROP TABLE PUBLICATIONERRORS");
  try {
    LogPublicationError(doc, 1, "d", "s", "C");
    FAIL();
  } catch (const Error& raised) {
    const std::string& text = raised.description();
    const size_t outer = text.find("METHOD: Velmora.PublicationErrorHandlingLogPublicationError");
    const size_t inner = text.find("METHOD: Velmora.General.LogPublicationError");
    EXPECT_NE(outer, std::string::npos) << text;
    EXPECT_NE(inner, std::string::npos) << text;
    EXPECT_LT(outer, inner);
  }
}

TEST(ReplacementsXmlTest, BuildsRepsInDictionaryOrderAndKeepsExistingOnes) {
  XmlDocumentRef doc = NewReplacementsXml();
  AddReplacement(*doc, "[%DOCID%]", "12");
  Dictionary more;
  more.Add("[%A%]", Variant("x & y"));
  more.Add("[%DOCID%]", Variant("13"));
  FillReplacementsXml(doc, more);
  EXPECT_EQ(doc->DocumentElement()->Xml(),
            "<REPS><REP name=\"[%DOCID%]\">12</REP><REP name=\"[%A%]\">x &amp; y</REP>"
            "<REP name=\"[%DOCID%]\">13</REP></REPS>");
  XmlDocumentRef wrong = std::make_shared<xml::Document>();
  ASSERT_TRUE(wrong->LoadXml("<OTHER/>"));
  FillReplacementsXml(wrong, more);
  EXPECT_EQ(wrong->DocumentElement()->Name(), "REPS");
  EXPECT_EQ(wrong->SelectNodes("//REP").Count(), 2u);
  XmlDocumentRef none;
  FillReplacementsXml(none, Dictionary());
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->DocumentElement()->Xml(), "<REPS/>");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PublicationErrorsTest);

}  // namespace
}  // namespace velmora::core
