#include "velmora/support/attachments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "automation/registration.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "support/expectations.h"
#include "support/site_folder_test.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;
using testing::Contains;
using testing::RaisedBy;

class AttachmentsTest : public testing::SiteFolderTest {
 protected:
  AttachmentsTest() : SiteFolderTest(DateTime{2026, 12, 8, 1, 2, 3}) {}

  void SetUpDatabase() override {
    SiteFolderTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    MapSiteFolders({{"\\\\srv\\att", "share"}}, {{"D:", "d"}});
  }

  int64_t Rows(const std::string& where = "1 = 1") {
    return Scalar("SELECT COUNT(*) FROM ATTACHMENT WHERE " + where).ToInt64();
  }
  int32_t AddDocument(const std::string& sender) {
    Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, SENDER) VALUES ('T', " + SqlText(sender) + ")");
    return Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  }
  int32_t Register(int32_t doc, const std::string& name) {
    Exec("INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (" + SqlLong(doc) + ", " +
         SqlText(name) + ")");
    return Scalar("SELECT MAX(ATTACHMENTID) FROM ATTACHMENT").ToInt32();
  }
  static std::vector<std::string> Names(db::Recordset& rows) {
    std::vector<std::string> names;
    for (; !rows.IsEOF(); rows.MoveNext()) {
      names.push_back(rows.Field("ATTACHMENTFILENAME").ToText());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Writes the site configuration with the given {section, key, value} entries.
  void WriteSiteKeys(const std::vector<std::vector<std::string>>& keys) {
    std::string xml = "<configuration>";
    for (const auto& key : keys) {
      xml += "<section name=\"" + key[0] + "\"><key name=\"" + key[1] + "\">" + key[2] +
             "</key></section>";
    }
    testing::WriteFile(Home() + "/config/SiteConfiguration.xml", xml + "</configuration>");
  }

  Attachments attachments_;
};

TEST_P(AttachmentsTest, ScanningRegistersEachFileOnceAndRemovesEmptyFiles) {
  testing::WriteFile(Dir("att/12/a.txt"), "a");
  testing::WriteFile(Dir("att/12/O'Neil ü.pdf"), "b");
  testing::WriteFile(Dir("att/12/empty.txt"), "");
  Register(13, "a.txt");

  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, Dir("att/12"));
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, Dir("att/12"));

  auto rows = attachments_.GetDocumentAttachmentsRS(12);
  EXPECT_EQ(Names(*rows), (std::vector<std::string>{"O'Neil ü.pdf", "a.txt"}));
  EXPECT_FALSE(std::filesystem::exists(Dir("att/12/empty.txt")));
  EXPECT_TRUE(std::filesystem::exists(Dir("att/12/a.txt")));
  EXPECT_EQ(Rows("DOCUMENTID = 13"), 1);
}

TEST_P(AttachmentsTest, NetworkAndDrivePathsAreScannedThroughTheSiteMaps) {
  testing::WriteFile(Dir("share/12/n.txt"), "n");
  testing::WriteFile(Dir("d/att/14/m.txt"), "m");
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, "\\\\srv\\att\\12");
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(14, "D:\\att\\14");
  EXPECT_EQ(Rows("DOCUMENTID = 12 AND ATTACHMENTFILENAME = 'n.txt'"), 1);
  EXPECT_EQ(Rows("DOCUMENTID = 14 AND ATTACHMENTFILENAME = 'm.txt'"), 1);
}

TEST_P(AttachmentsTest, AMissingFolderDoesNothing) {
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, Dir("att/none"));
  EXPECT_EQ(Rows(), 0);
}

TEST_P(AttachmentsTest, NamesThatCouldLeaveTheFolderAreNotRegistered) {
  testing::WriteFile(Dir("att/12/..\\..\\evil.txt"), "x");
  testing::WriteFile(Dir("att/12/good.txt"), "x");
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, Dir("att/12"));
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Rows("ATTACHMENTFILENAME = 'good.txt'"), 1);
  EXPECT_TRUE(Logged("is not a plain file name"));
}

TEST_P(AttachmentsTest, ScanningOnAPassedConnectionJoinsTheCallersTransaction) {
  testing::WriteFile(Dir("att/12/a.txt"), "a");
  auto connection = Open();
  connection->Begin();
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, Dir("att/12"), connection.get());
  auto registered = attachments_.getDBFiles(12, connection.get());
  EXPECT_EQ(Names(*registered), std::vector<std::string>{"a.txt"});
  registered->Close();
  connection->Rollback();
  EXPECT_EQ(Rows(), 0);

  connection->Begin();
  attachments_.ExamenFolderForNewFilesAndWriteThemToDB(12, Dir("att/12"), connection.get());
  connection->Commit();
  EXPECT_TRUE(connection->IsOpen());
  EXPECT_EQ(Rows("DOCUMENTID = 12"), 1);
}

TEST_P(AttachmentsTest, RegisteredNamesComeBackUpdatable) {
  Register(12, "a.txt");
  auto rows = attachments_.getDBFiles(12);
  ASSERT_TRUE(rows->IsOpen());
  EXPECT_EQ(rows->Field("attachmentfilename").ToText(), "a.txt");
  rows->SetField("ATTACHMENTFILENAME", Variant("renamed.txt"));
  rows->Update();
  rows->Close();
  EXPECT_EQ(Rows("ATTACHMENTFILENAME = 'renamed.txt'"), 1);
}

TEST_P(AttachmentsTest, ListsBySenderQuoteTheSender) {
  const int32_t doc = AddDocument("O'Hara");
  Register(doc, "one.txt");
  Register(doc, "two.txt");
  auto mine = attachments_.GetDocumentAttachmentsBySenderRS("O'Hara", doc);
  EXPECT_EQ(mine->RecordCount(), 2);
  EXPECT_EQ(mine->FieldName(1), "ATTACHMENTID");
  EXPECT_EQ(attachments_.GetDocumentAttachmentsBySenderRS("other", doc)->RecordCount(), 0);
  EXPECT_EQ(attachments_.GetDocumentAttachmentsBySenderRS("x' OR '1'='1", doc)->RecordCount(), 0);
}

TEST_P(AttachmentsTest, DeletingRemovesTheRowAndTheFile) {
  const int32_t id = Register(12, "a b.txt");
  const int32_t kept = Register(12, "c.txt");
  testing::WriteFile(Dir("d/att/12/a b.txt"), "a");
  attachments_.DeleteAttachment(12, id, "a b.txt", "D:/att");
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Rows("ATTACHMENTID = " + SqlLong(kept)), 1);
  EXPECT_FALSE(std::filesystem::exists(Dir("d/att/12/a b.txt")));
}

TEST_P(AttachmentsTest, DeletingRefusesNamesOutsideTheDocumentFolder) {
  const int32_t id = Register(12, "x.txt");
  testing::WriteFile(Dir("d/att/x.txt"), "x");
  for (const std::string name : {"../x.txt", "..\\x.txt", "..", "", "sub/x.txt", "C:x.txt"}) {
    SCOPED_TRACE(name);
    const Error error = RaisedBy([&] { attachments_.DeleteAttachment(12, id, name, "D:/att"); });
    EXPECT_EQ(error.number(), static_cast<int32_t>(EnumerationErrors::InvalidParamValue));
    EXPECT_TRUE(Contains(error.description(), "Velmora.Attachments.DeleteAttachment"));
  }
  EXPECT_EQ(Rows(), 1);
  EXPECT_TRUE(std::filesystem::exists(Dir("d/att/x.txt")));
}

TEST_P(AttachmentsTest, DeletingRefusesARowOfAnotherDocumentOrAnotherName) {
  const int32_t own = Register(1, "mine.txt");
  const int32_t other = Register(2, "other.txt");
  testing::WriteFile(Dir("d/att/1/other.txt"), "1");
  testing::WriteFile(Dir("d/att/1/mine.txt"), "1");
  for (const auto& [attachment, name] : std::vector<std::pair<int32_t, std::string>>{
           {other, "other.txt"}, {own, "other.txt"}, {own + other + 100, "mine.txt"}}) {
    SCOPED_TRACE(name);
    const Error error =
        RaisedBy([&] { attachments_.DeleteAttachment(1, attachment, name, "D:/att"); });
    EXPECT_EQ(error.number(), static_cast<int32_t>(EnumerationErrors::InvalidParamValue));
  }
  EXPECT_EQ(Rows(), 2);
  EXPECT_TRUE(std::filesystem::exists(Dir("d/att/1/other.txt")));
  EXPECT_TRUE(std::filesystem::exists(Dir("d/att/1/mine.txt")));
}

TEST_P(AttachmentsTest, AConfiguredFolderGetsBackslashesAndTheUrlASlash) {
  std::filesystem::create_directories(Dir("d/att"));
  SetParameter("AttachmentsFolder", "D:/att");
  SetParameter("AttachmentsVirtualPath", "http://host/att");
  std::string url;
  std::string folder;
  EXPECT_TRUE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(url, "http://host/att/");
  EXPECT_EQ(folder, "D:\\att\\");

  SetParameter("AttachmentsVirtualPath", "HTTPS://host\\att\\");
  EXPECT_TRUE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(url, "HTTPS://host/att/");
}

TEST_P(AttachmentsTest, AMissingFolderOrANonWebUrlGivesFalseAndAWarning) {
  const std::string warning = core::GetLabel("ZODAR5725");
  std::string url;
  std::string folder;
  SetParameter("AttachmentsFolder", "D:/none");
  SetParameter("AttachmentsVirtualPath", "http://host/att");
  EXPECT_FALSE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(folder, "D:\\none\\");
  EXPECT_TRUE(Logged(warning));

  std::filesystem::create_directories(Dir("d/att"));
  SetParameter("AttachmentsFolder", "D:/att");
  SetParameter("AttachmentsVirtualPath", "ftp://host/att");
  EXPECT_FALSE(attachments_.GetAttachmentUrlAndFolder(url, folder));

  SetParameter("AttachmentsVirtualPath", "");
  EXPECT_FALSE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(url, "");
}

TEST_P(AttachmentsTest, WithoutAFolderTheUrlIsBuiltFromTheSiteConfiguration) {
  std::filesystem::create_directories(Home() + "/web/att");
  SetParameter("AttachmentsFolder", "");
  SetParameter("AttachmentsVirtualPath", "web\\att");
  WriteSiteKeys({{"COMMONPARAMETERS", "SSLMODE", "None"},
                 {"GLOBAL", "NONSECUREHOSTNAME", "plain.example"},
                 {"GLOBAL", "SECUREHOSTNAME", "secure.example"},
                 {"GLOBAL", "APPLICATIONDIRECTORY", "portal"}});
  std::string url;
  std::string folder;
  EXPECT_TRUE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(url, "http://plain.example/portal/web/att/");
  EXPECT_EQ(folder, Home() + "/web/att/");

  WriteSiteKeys({{"COMMONPARAMETERS", "SSLMODE", "required"},
                 {"GLOBAL", "SECUREHOSTNAME", "secure.example"},
                 {"GLOBAL", "APPLICATIONDIRECTORY", "portal"}});
  EXPECT_TRUE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(url, "https://secure.example/portal/web/att/");
}

TEST_P(AttachmentsTest, WithoutAFolderMissingSiteKeysOrFolderGiveFalse) {
  std::filesystem::create_directories(Home() + "/web/att");
  SetParameter("AttachmentsFolder", "");
  SetParameter("AttachmentsVirtualPath", "/web/att/");
  WriteSiteKeys({{"GLOBAL", "NONSECUREHOSTNAME", "plain.example"}});
  std::string url;
  std::string folder;
  EXPECT_FALSE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_TRUE(Logged(core::GetLabel("ZODAR5725")));

  SetParameter("AttachmentsVirtualPath", "/web/none/");
  WriteSiteKeys({{"GLOBAL", "SECUREHOSTNAME", "secure.example"}});
  EXPECT_FALSE(attachments_.GetAttachmentUrlAndFolder(url, folder));
  EXPECT_EQ(folder, Home() + "/web/none/");
}

TEST_P(AttachmentsTest, AMissingParameterRaises) {
  Exec("DELETE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'AttachmentsFolder'");
  std::string url;
  std::string folder;
  const Error error = RaisedBy([&] { attachments_.GetAttachmentUrlAndFolder(url, folder); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(EnumerationErrors::MissingParameter));
  EXPECT_TRUE(Contains(error.description(), "Velmora.Attachments.GetAttachmentUrlAndFolder"));
}

TEST_P(AttachmentsTest, AutomationReturnsUrlAndFolderAndLists) {
  automation::ClassRegistry registry;
  automation::RegisterFieldAndAttachmentClasses(registry);
  std::filesystem::create_directories(Dir("d/att"));
  SetParameter("AttachmentsFolder", "D:/att");
  SetParameter("AttachmentsVirtualPath", "http://host/att");
  std::vector<Variant> args = {Variant(), Variant()};
  EXPECT_TRUE(registry.Call("Velmora.Attachments", "GetAttachmentUrlAndFolder", args).ToBool());
  EXPECT_EQ(args[0].ToText(), "http://host/att/");
  EXPECT_EQ(args[1].ToText(), "D:\\att\\");

  testing::WriteFile(Dir("d/att/12/a.txt"), "a");
  std::vector<Variant> scan = {Variant(12), Variant("D:\\att\\12")};
  registry.Call("Velmora.Attachments", "ExamenFolderForNewFilesAndWriteThemToDB", scan);
  std::vector<Variant> list = {Variant(12)};
  auto rows =
      registry.Call("Velmora.Attachments", "GetDocumentAttachmentsRS", list).As<db::Recordset>();
  ASSERT_TRUE(rows);
  EXPECT_EQ(Names(*rows), std::vector<std::string>{"a.txt"});
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(AttachmentsTest);

}  // namespace
}  // namespace velmora
