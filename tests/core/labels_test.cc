#include "core/labels.h"

#include <gtest/gtest.h>

#include "support/library_db_test.h"

namespace velmora::core {
namespace {

class LabelsTest : public testing::LibraryDbTest {
 protected:
  void SetText(const std::string& code, int32_t language, const std::string& text) {
    Exec("DELETE FROM I18NTEXT WHERE LABEL = '" + code +
         "' AND LOCALEID = " + std::to_string(language));
    Exec("INSERT INTO I18NTEXT (LABEL, LOCALEID, TEXT) VALUES ('" + code + "', " +
         std::to_string(language) + ", '" + text + "')");
  }
};

TEST_P(LabelsTest, LanguageZeroReadsTheDefaultLanguageWithoutFallBack) {
  SetText("ZODAR9001", 1033, "Recipient");
  EXPECT_EQ(GetLabel("ZODAR9001"), "Recipient");
  EXPECT_EQ(GetLabel("ZODAR9001", 0), "Recipient");
  EXPECT_EQ(GetLabel("ZODAR9001", 1043), "<font color='red'>Error ZODAR9001</font>");
  SetText("ZODAR9001", 1043, "Ontvanger");
  EXPECT_EQ(GetLabel("ZODAR9001", 1043), "Ontvanger");
}

TEST_P(LabelsTest, SeededLabelsAreThere) {
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM I18NTEXT WHERE LOCALEID = 1033").ToInt32(), 208);
  EXPECT_NE(GetLabel("ZODAR4350").find("[%TABLE%]"), std::string::npos);
}

TEST_P(LabelsTest, OrdinaryKeysReplaceEveryOccurrenceCaseSensitively) {
  SetText("ZODAR9002", 1033, "Document [%DOCID%] of [%DOCID%] by [%SENDER%]");
  Dictionary replacements;
  replacements.Add("[%DOCID%]", Variant("12"));
  replacements.Add("[%sender%]", Variant("ann"));
  EXPECT_EQ(GetLabel("ZODAR9002", 0, &replacements), "Document 12 of 12 by [%SENDER%]");
}

TEST_P(LabelsTest, EntriesApplyInOrderSoLaterKeysSeeEarlierValues) {
  SetText("ZODAR9003", 1033, "[%A%]");
  Dictionary replacements;
  replacements.Add("[%A%]", Variant("x[%B%]"));
  replacements.Add("[%B%]", Variant("y"));
  EXPECT_EQ(GetLabel("ZODAR9003", 0, &replacements), "xy");
}

TEST_P(LabelsTest, NestedLabelsReplaceTheFirstOccurrenceIgnoringCase) {
  SetText("ZODAR9004", 1033, "[%label%] then [%LABEL%] and [%LABEL1%]");
  SetText("ZODAR4428", 1033, "inner");
  SetText("ZODAR4429", 1033, "second");
  Dictionary replacements;
  replacements.Add("[%LABEL%]", Variant("[%ZODAR4428%]"));
  replacements.Add("[%LABEL1%]", Variant("[%ZODAR4429%]"));
  EXPECT_EQ(GetLabel("ZODAR9004", 0, &replacements), "inner then [%LABEL%] and second");
}

TEST_P(LabelsTest, NestedLabelsUseTheSameLanguage) {
  SetText("ZODAR9005", 1043, "Fout: [%LABEL%]");
  SetText("ZODAR4428", 1043, "binnen");
  Dictionary replacements;
  replacements.Add("[%LABEL%]", Variant("[%ZODAR4428%]"));
  EXPECT_EQ(GetLabel("ZODAR9005", 1043, &replacements), "Fout: binnen");
}

TEST_P(LabelsTest, LabelKeyWithAPlainValueIsAnOrdinaryReplacement) {
  SetText("ZODAR9006", 1033, "Label [%LABELKEY%] in [%LANGUAGEID%]");
  Dictionary replacements;
  replacements.Add("[%LABELKEY%]", Variant("ZODAR1234"));
  replacements.Add("[%LANGUAGEID%]", Variant("1043"));
  EXPECT_EQ(GetLabel("ZODAR9006", 0, &replacements), "Label ZODAR1234 in 1043");
}

TEST_P(LabelsTest, MissingLabelAppliesNoReplacements) {
  Dictionary replacements;
  replacements.Add("[%X%]", Variant("y"));
  EXPECT_EQ(GetLabel("ZODAR0000", 0, &replacements), "<font color='red'>Error ZODAR0000</font>");
}

TEST_P(LabelsTest, CodesWithQuotesCannotEscapeTheLiteral) {
  EXPECT_EQ(GetLabel("x' OR '1'='1"), "<font color='red'>Error x' OR '1'='1</font>");
  EXPECT_EQ(GetLabel("<img src=x onerror=\"a&b\">"),
            "<font color='red'>Error &lt;img src=x onerror=&quot;a&amp;b&quot;&gt;</font>");
  SetText("ZODAR9007", 1033, "Straße, 東京, naïve");
  EXPECT_EQ(GetLabel("ZODAR9007"), "Straße, 東京, naïve");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(LabelsTest);

}  // namespace
}  // namespace velmora::core
