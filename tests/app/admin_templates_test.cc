#include <gtest/gtest.h>

#include <string>

#include "app/admin_program_test.h"

namespace velmora::app {
namespace {

class AdminTemplatesTest : public AdminProgramTest {};

TEST_P(AdminTemplatesTest, InitSeedsDefaultsOnceAndTemplatesAreCheckedOnTheWay) {
  Init();
  const std::string defaults = Ok({"template", "list"});
  EXPECT_EQ(Json({"template", "list", "--json"}).AsArray().values().size(), 3u) << defaults;
  Ok({"template", "remove", "-1", "-2", "2"});
  Init();
  EXPECT_EQ(Ok({"template", "list"}), defaults) << "a second init adds only what is missing";

  Ok({"doctype", "add", "ORDERS", "Orders"});
  EXPECT_EQ(Ok({"template", "add", "ORDERS", "-1", "1", "--subject", "Sent [%DOCID%]", "--body",
                "To [%TOLIST%]", "--cc-doc"}),
            "Added template ORDERS / -1 / mode 1\n");
  Refused({"template", "add", "ORDERS", "-1", "1", "--subject", "s", "--body", "b"},
          "exists already");
  Refused({"template", "add", "ORDERS", "-1", "2", "--subject", "s", "--body", "[%ToList%]"},
          "'[%TOLIST%]'");
  Refused({"template", "add", "ORDERS", "-2", "2", "--subject", "s", "--body", "[%INBOXLINK%]"},
          "'[%INBOXLINK%]'");
  Refused({"template", "add", "ORDERS", "-2", "1", "--subject", "s", "--body", "b"},
          "mode 2) only");
  Refused({"template", "add", "NOPE", "-1", "2", "--subject", "s", "--body", "b"},
          "The document type 'NOPE' does not exist");
  Refused({"template", "set", "ORDERS", "7", "2", "--subject", "s"}, "No template");

  Ok({"template", "set", "ORDERS", "-1", "1", "--body", "Out [%OUTBOXLINK%]"});
  const Variant changed = Json({"template", "list", "--json"});
  bool found = false;
  for (const Variant& record : changed.AsArray().values()) {
    if (Field(record, "doctype").ToText() == "ORDERS") {
      found = true;
      EXPECT_EQ(Field(record, "subject").ToText(), "Sent [%DOCID%]");
      EXPECT_EQ(Field(record, "body").ToText(), "Out [%OUTBOXLINK%]");
      EXPECT_FALSE(Field(record, "cc_doc").ToBool());
    }
  }
  EXPECT_TRUE(found);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(AdminTemplatesTest);

}  // namespace
}  // namespace velmora::app
