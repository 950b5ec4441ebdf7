#include "core/lookup_scope.h"

#include <gtest/gtest.h>

#include "core/db_utils.h"
#include "core/publication_errors.h"
#include "routing/document_types.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora::core {
namespace {

class LookupScopeTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    Exec("INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('Colour', 'red')");
    Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('ORDERS', 'Orders')");
  }
};

// Each read kept in a scope, with the statement that changes what it reads.
struct KeptRead {
  const char* name;
  std::string (*read)();
  const char* change;
  const char* before;
  const char* after;
};

const KeptRead kKeptReads[] = {
    {"parameter", [] { return GetParameter("Colour"); },
     "UPDATE COLLABORATIONPARAMETER SET PARAMVALUE = 'blue' WHERE PARAMNAME = 'Colour'", "red",
     "blue"},
    {"type description", [] { return routing::document_types::Description("ORDERS"); },
     "UPDATE DOCUMENTTYPE SET DESCRIPTION = 'Purchase orders' WHERE DOCUMENTTYPEID = 'ORDERS'",
     "Orders", "Purchase orders"},
};

TEST_P(LookupScopeTest, ReadsAreKeptUntilTheOutermostScopeCloses) {
  for (const KeptRead& read : kKeptReads) {
    SCOPED_TRACE(read.name);
    {
      const LookupScope outer;
      EXPECT_EQ(read.read(), read.before);
      Exec(read.change);
      {
        const LookupScope inner;
        EXPECT_EQ(read.read(), read.before);
      }
      EXPECT_EQ(read.read(), read.before) << "closing the inner scope keeps the answers";
    }
    EXPECT_EQ(read.read(), read.after) << "a new unit of work sees the change";
  }
}

TEST_P(LookupScopeTest, WithoutAScopeEveryReadGoesToTheDatabase) {
  EXPECT_EQ(GetParameter("Colour"), "red");
  Exec("UPDATE COLLABORATIONPARAMETER SET PARAMVALUE = 'green' WHERE PARAMNAME = 'Colour'");
  EXPECT_EQ(GetParameter("Colour"), "green");
}

TEST_P(LookupScopeTest, AFailedReadIsNotKept) {
  const LookupScope scope;
  EXPECT_THROW(GetParameter("Added"), Error);
  Exec("INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('Added', 'now')");
  EXPECT_EQ(GetParameter("Added"), "now");
}

TEST_P(LookupScopeTest, AnswersOfDifferentKindsAndKeysStayApart) {
  Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('Colour', 'A type')");
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS) VALUES ('ORDERS', 1)");
  const int32_t id = Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  const LookupScope scope;
  EXPECT_EQ(GetParameter("Colour"), "red");
  EXPECT_EQ(routing::document_types::Description("Colour"), "A type");
  EXPECT_EQ(routing::document_types::Description("ORDERS"), "Orders");
  EXPECT_EQ(DocumentTypeOfDocument(id), "ORDERS");
  EXPECT_EQ(DocumentTypeOfDocument(id + 1), "");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(LookupScopeTest);

}  // namespace
}  // namespace velmora::core
