// A workbook of Velmora.B2BExcel handed to the sample plug-in, and B2BExcel through the
// automation layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/class_registry.h"
#include "automation/registration.h"
#include "support/capture_log.h"
#include "support/expectations.h"
#include "support/fake_workbook.h"
#include "support/scoped_sheet_engine.h"
#include "support/temp_folder.h"
#include "support/temp_home.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

using testing::Contains;
using testing::RaisedBy;

constexpr const char* kComponents =
    "<components>"
    "<component progid='Sample.WordCheck' library='" VELMORA_SAMPLE_PLUGIN
    "' factory='sample_create_word_check'/>"
    "</components>";

constexpr const char* kNote = "<N B2BWORKSHEET=\"Note\" B2BVALUEPOS=\"A1\">Grüße</N>";

class B2BExcelPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    automation::RegisterAllClasses();
    std::filesystem::create_directories(home_.config_dir());
    testing::WriteFile(home_.config_dir() + "/components.xml", kComponents);
    engine_ = std::make_shared<testing::FakeEngine>();
    scoped_engine_ = std::make_unique<testing::ScopedSheetEngine>(engine_);
  }

  ObjectRef NewWorkbook() {
    return B2BExcel().TransformXMLToExcel(kNote, EWriteMode::Create, 0, false);
  }
  static std::string Cell(const ObjectRef& workbook, int32_t row, int32_t column) {
    auto book = std::dynamic_pointer_cast<sheet::WorkbookObject>(workbook);
    return book->Book().ReadCell(1, row, column).value.ToText();
  }

  testing::TempHome home_;
  testing::CaptureLog log_;
  std::shared_ptr<testing::FakeEngine> engine_;
  std::unique_ptr<testing::ScopedSheetEngine> scoped_engine_;
  Utility utility_;
};

TEST_F(B2BExcelPluginTest, ThePluginReceivesTheWorkbookThroughItsInterface) {
  ObjectRef workbook = NewWorkbook();
  std::string method = "Sample.WordCheck";
  EXPECT_TRUE(utility_.CallMethodForExcel(method, workbook));
  ASSERT_TRUE(workbook);
  EXPECT_EQ(Cell(workbook, 1, 2), "checked: Grüße");
}

TEST_F(B2BExcelPluginTest, ANamedMemberIsCalledLateBoundAndTheWorkFileRemoved) {
  testing::TempFolder folder;
  const std::string work_file = folder.path() + "/order.xls";
  testing::WriteFile(work_file, "work copy");
  ObjectRef workbook = NewWorkbook();
  std::string method = "Sample.WordCheck.IMethodCall_GetExcelWorkBook";
  EXPECT_TRUE(utility_.CallMethodForExcel(method, workbook, work_file));
  EXPECT_EQ(Cell(workbook, 1, 2), "checked: Grüße");
  EXPECT_FALSE(std::filesystem::exists(work_file));
}

TEST_F(B2BExcelPluginTest, AFailedCallClosesTheWorkbook) {
  ObjectRef workbook = NewWorkbook();
  std::string method = "No.Such.Component";
  const Error error = RaisedBy([&] { utility_.CallMethodForExcel(method, workbook); });
  EXPECT_TRUE(Contains(error.description(), "Velmora.Utility.CallMethod_Excel"));
  EXPECT_TRUE(Contains(error.description(),
                       "object No.Such.Component not found or method called "
                       "with wrong number/type of arguments"));
  EXPECT_EQ(engine_->open_workbooks(), 0);
}

TEST_F(B2BExcelPluginTest, B2BExcelIsCallableThroughTheAutomationLayer) {
  auto& registry = automation::ClassRegistry::Global();
  std::vector<Variant> create{Variant(kNote), Variant(20), Variant(0), Variant(false)};
  const Variant workbook = registry.Call("Velmora.B2BExcel", "TransformXMLToExcel", create);
  ASSERT_TRUE(workbook.As<sheet::WorkbookObject>());
  std::vector<Variant> set{workbook, Variant("Kind"), Variant("A"), Variant("Text")};
  registry.Call("Velmora.B2BExcel", "SetCustomerPropertyInExcel", set);
  std::vector<Variant> get{workbook, Variant("Kind")};
  EXPECT_EQ(registry.Call("Velmora.B2BExcel", "GetCustomerPropertyFromExcel", get), Variant("A"));
  std::vector<Variant> hand_over{Variant("Sample.WordCheck"), workbook};
  EXPECT_EQ(registry.Call("Velmora.Utility", "CallMethodForExcel", hand_over), Variant(true));
  std::vector<Variant> save{workbook, Variant("/out/note.xls"), Variant(true)};
  registry.Call("Velmora.B2BExcel", "WriteExcelObjectToFile", save);
  EXPECT_EQ(engine_->open_workbooks(), 0);
  EXPECT_EQ(engine_->File("/out/note.xls")->sheets.at(0).cells.at({1, 2}).value.ToText(),
            "checked: Grüße");

  engine_->PutWorkbook("/in/b.xls", testing::FakeBookContent{{{"S", {}}}, {}});
  const auto read = automation::CallAndReply("Velmora.B2BExcel", "TransformExcelToXML",
                                             {Variant("/in/b.xls"), Variant()});
  EXPECT_FALSE(read.failed) << read.json;
  EXPECT_TRUE(Contains(read.json, "B2BEXCEL WorkBook")) << read.json;
  const auto refused = automation::CallAndReply("Velmora.B2BExcel", "TransformExcelToXML",
                                                {Variant("/in/a.csv"), Variant()});
  EXPECT_TRUE(refused.failed);
  EXPECT_TRUE(Contains(refused.json, "Velmora.B2BExcel.OpenWorkBook")) << refused.json;
}

}  // namespace
}  // namespace velmora
