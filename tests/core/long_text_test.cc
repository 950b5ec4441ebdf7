#include "core/long_text.h"

#include <gtest/gtest.h>

#include "core/db_utils.h"
#include "core/general.h"
#include "support/library_db_test.h"

namespace velmora {
namespace {

class LongTextTest : public testing::LibraryDbTest {};

TEST_P(LongTextTest, MultiMegabyteBodiesAreStoredWhole) {
  std::string body = "<DOC>";
  while (body.size() < 3'500'000) {
    body += "<LINE n=\"1\">Grüße, 東京 &amp; more</LINE>";
  }
  body += "</DOC>";
  auto connection = core::GetConnection();
  auto recordset = connection->OpenRecordset(
      "SELECT * FROM DOCUMENT WHERE 0=1",
      db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
  recordset->AddNew();
  recordset->SetField("STATUS", Variant(-1));
  core::SetLongTextField(body, "ORIGINALXMLBODY", *recordset);
  core::SetLongTextField("", "XMLBODY", *recordset);
  recordset->Update();
  const int32_t id = recordset->Field("DOCUMENTID").ToInt32();
  recordset.reset();
  core::CloseConnection(connection);
  EXPECT_EQ(Scalar("SELECT ORIGINALXMLBODY FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(id))
                .ToText(),
            body);
  EXPECT_EQ(
      Scalar("SELECT XMLBODY FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(id)).ToText(), "");
}

TEST_P(LongTextTest, AFieldThatCannotBeSetIsReported) {
  auto connection = core::GetConnection();
  auto recordset = connection->OpenRecordset(
      "SELECT * FROM DOCUMENT WHERE 0=1",
      db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
  recordset->AddNew();
  try {
    core::SetLongTextField("x", "NOSUCHFIELD", *recordset);
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(
        raised.description().rfind("\r\nMETHOD: Velmora.Utility.SetLongDBTextField caught: ", 0),
        0u);
  }
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(LongTextTest);

}  // namespace
}  // namespace velmora
