#include "velmora/boxes/queries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "automation/registration.h"
#include "support/library_db_test.h"

namespace velmora {
namespace {

class QueriesTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('IN''VOICE', 'Invoices')");
  }

  std::string Check(std::string type, int32_t language = 1033) {
    return queries_.CheckDocTypeReferences(type, language);
  }

  Queries queries_;
};

TEST_P(QueriesTest, ATypeNothingRefersToGivesNothing) {
  EXPECT_EQ(Check("IN'VOICE"), "");
  EXPECT_EQ(Check("UNKNOWN"), "");
}

TEST_P(QueriesTest, DocumentsAndANotificationTemplateGiveTwoQuotedTexts) {
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER) VALUES ('IN''VOICE', 1, 'sam')");
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER) VALUES ('IN''VOICE', 1, 'bob')");
  Exec(
      "INSERT INTO NOTIFICATIONTEMPLATE (DOCUMENTTYPEID, BUSINESSPARTNERID, MODE) VALUES "
      "('IN''VOICE', -1, 1)");
  EXPECT_EQ(Check("IN'VOICE"), "Array(\"Documents\",\"Notification templates\")");
}

TEST_P(QueriesTest, EveryReferenceIsNamedInItsFixedOrder) {
  Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('NEW', 'New')");
  for (const std::string& sql : std::vector<std::string>{
           "INSERT INTO NOTIFICATIONTEMPLATE (DOCUMENTTYPEID, BUSINESSPARTNERID, MODE) VALUES "
           "('IN''VOICE', 5, 2)",
           "INSERT INTO DOCTYPETODOCTYPE (DOCUMENTTYPEID, NEWDOCUMENTTYPEID) VALUES ('NEW', "
           "'IN''VOICE')",
           "INSERT INTO XMLTEMPLATE (DOCUMENTTYPEID) VALUES ('IN''VOICE')",
           "INSERT INTO TAGSCONFIG (DOCUMENTTYPEID) VALUES ('IN''VOICE')",
           "INSERT INTO RECEIVEMETHOD (BUSINESSPARTNERID, DOCUMENTTYPEID) VALUES (5, 'IN''VOICE')",
           "INSERT INTO RULEHEADER (RULETYPE, ASSIGNEDID) VALUES (1, 'IN''VOICE')",
           "INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, RULEID) "
           "VALUES (1, 5, 'IN''VOICE', 3)",
           "INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, RULEID) "
           "VALUES (2, 5, 'IN''VOICE', -1)",
           "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES "
           "('IN''VOICE', 'sam', 5)",
           "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES "
           "('IN''VOICE', 'bob', 5)",
           "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS) VALUES ('IN''VOICE', 1)",
       }) {
    Exec(sql);
  }
  EXPECT_EQ(Check("IN'VOICE"),
            "Array(\"Documents\",\"Distribution lists\",\"Sender lists\",\"Send methods\",\"Send "
            "methods with rules\",\"Rules\",\"Receive methods\",\"User-defined fields\",\"XML "
            "templates\",\"Document type conversions\",\"Notification templates\")");
  EXPECT_EQ(Check("NEW"), "Array(\"Document type conversions\")");
}

TEST_P(QueriesTest, SendMethodsWithARuleOnlyAreNamedSo) {
  Exec(
      "INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, RULEID) VALUES "
      "(1, 5, 'IN''VOICE', 8)");
  EXPECT_EQ(Check("IN'VOICE"), "Array(\"Send methods with rules\")");
}

TEST_P(QueriesTest, LabelsComeInTheRequestedLanguage) {
  Exec("INSERT INTO I18NTEXT (LABEL, LOCALEID, TEXT) VALUES ('ZODAR1103', 1031, 'Dokumente')");
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS) VALUES ('IN''VOICE', 1)");
  EXPECT_EQ(Check("IN'VOICE", 1031), "Array(\"Dokumente\")");
  // A quote in a text is doubled, so the literal stays one string.
  Exec("INSERT INTO I18NTEXT (LABEL, LOCALEID, TEXT) VALUES ('ZODAR1103', 1036, 'Les \"pièces\"')");
  EXPECT_EQ(Check("IN'VOICE", 1036), "Array(\"Les \"\"pièces\"\"\")");
}

TEST_P(QueriesTest, AutomationCallTakesTheDefaultLanguage) {
  automation::RegisterAllClasses();
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS) VALUES ('IN''VOICE', 1)");
  std::vector<Variant> args = {Variant("IN'VOICE")};
  const Variant result =
      automation::ClassRegistry::Global().Call("Velmora.Queries", "CheckDocTypeReferences", args);
  EXPECT_EQ(result.ToText(), "Array(\"Documents\")");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(QueriesTest);

}  // namespace
}  // namespace velmora
