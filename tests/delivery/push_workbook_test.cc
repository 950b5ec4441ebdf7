// Workbook sends on the office engine: a folder workbook created and then appended to, and a
// workbook uploaded by FTP.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "delivery/push_fixture.h"
#include "platform/sheet/office_engine.h"
#include "support/expectations.h"
#include "support/scoped_sheet_engine.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

constexpr const char* kLines =
    "<ORDER><L B2BWORKSHEET=\"Lines\"><N B2BLABELPOS=\"A1\" B2BVALUEPOS=\"B1\">21</N></L>"
    "</ORDER>";

class PushWorkbookTest : public testing::PushTest {
 protected:
  void SetUpDatabase() override {
    PushTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    if (!std::filesystem::exists(std::string(VELMORA_OFFICE_PROGRAM) + "/soffice.bin")) {
      GTEST_SKIP() << "the office is not installed";
    }
    sheet::OfficeSettings settings;
    settings.processes = 1;
    settings.work_folder = work_.path();
    engine_ = sheet::NewOfficeEngine(settings);
    scoped_engine_ = std::make_unique<testing::ScopedSheetEngine>(engine_);
  }
  void TearDown() override {
    scoped_engine_.reset();
    engine_.reset();
    PushTest::TearDown();
  }

  int32_t Send(const TSendMethodProperties& record) {
    const int32_t method = AddSendMethod(20, record);
    try {
      push_.ExecuteSendMethod(20, doc_, method, -1);
    } catch (const Error& error) {
      ADD_FAILURE() << error.description();
    }
    return method;
  }

  testing::TempFolder work_;
  std::shared_ptr<sheet::OfficeEngine> engine_;
  std::unique_ptr<testing::ScopedSheetEngine> scoped_engine_;
  int32_t doc_ = 0;
};

TEST_P(PushWorkbookTest, FolderWorkbookIsCreatedThenAppendedAndFtpCarriesOne) {
  doc_ = AddOrder();
  Exec("UPDATE DOCUMENT SET XMLBODY = '" + std::string(kLines) + "'");
  std::filesystem::create_directories(Dir("xl"));
  TSendMethodProperties record = FolderMethod(Dir("xl"));
  record.nFormat = ESendMethodFormat::Excel;
  record.nSuffix = ESendMethodSuffix::None;
  Send(record);
  const std::string book = Dir("xl/order.xls");
  const auto lines = [&](sheet::Workbook& workbook) {
    const auto names = workbook.SheetNames();
    return static_cast<int32_t>(std::find(names.begin(), names.end(), "Lines") - names.begin()) + 1;
  };
  auto created = engine_->Open(book, true);
  EXPECT_EQ(created->ReadCell(lines(*created), 1, 2).value.ToDouble(), 21.0);
  created.reset();
  record.nWriteMode = EWriteMode::Append;
  Send(record);
  auto appended = engine_->Open(book, true);
  EXPECT_GT(appended->UsedArea(lines(*appended)).last_row(), 1) << "written below the used rows";
  appended.reset();
  EXPECT_TRUE(std::filesystem::is_empty(Dir("xt"))) << "work files are removed";

  TSendMethodProperties ftp = Method(ESendMethodProtocol::Ftp, "ftp://ftp.example/");
  ftp.nFormat = ESendMethodFormat::Excel;
  ftp.nFTPTransferType = ESendMethodFTPTransferType::Binary;
  Send(ftp);
  ASSERT_EQ(transfer_->uploads().size(), 1u);
  EXPECT_EQ(transfer_->uploads()[0].name, "order_" + std::to_string(doc_) + ".xls");
  EXPECT_EQ(transfer_->uploads()[0].bytes.substr(0, 4), "\xD0\xCF\x11\xE0");
  EXPECT_TRUE(std::filesystem::is_empty(Dir("xt")));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PushWorkbookTest);

}  // namespace
}  // namespace velmora
