#include "core/parameter_store.h"

#include <gtest/gtest.h>

#include <string>

#include "core/db_utils.h"
#include "support/library_db_test.h"

namespace velmora::core {
namespace {

class ParameterStoreTest : public testing::LibraryDbTest {
 protected:
  int64_t Rows(const std::string& sql) { return Scalar("SELECT COUNT(*) " + sql).ToInt64(); }
};

// A value set twice is one row with the last value, whether the row was there or not.
TEST_P(ParameterStoreTest, SettingAddsOrReplacesOneRow) {
  for (const std::string name : {"AdminEmailAddress", "Velmora.NewParameter"}) {
    SCOPED_TRACE(name);
    core::SetParameter(name, "first");
    core::SetParameter(name, "second");
    EXPECT_EQ(GetParameter(name), "second");
    EXPECT_EQ(Rows("FROM COLLABORATIONPARAMETER WHERE PARAMNAME = '" + name + "'"), 1);
  }
  bool listed = false;
  for (const auto& [name, value] : ListParameters()) {
    listed = listed || (name == "Velmora.NewParameter" && value.ToText() == "second");
  }
  EXPECT_TRUE(listed);
}

TEST_P(ParameterStoreTest, LabelTextsAreKeptPerLanguage) {
  SetLabelText("ZODAR9990", 1033, "English");
  SetLabelText("ZODAR9990", 1043, "Nederlands");
  SetLabelText("ZODAR9990", 1033, "English again");
  EXPECT_EQ(Rows("FROM I18NTEXT WHERE LABEL = 'ZODAR9990'"), 2);
  EXPECT_EQ(
      Scalar("SELECT TEXT FROM I18NTEXT WHERE LABEL = 'ZODAR9990' AND LOCALEID = 1033").ToText(),
      "English again");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ParameterStoreTest);

}  // namespace
}  // namespace velmora::core
