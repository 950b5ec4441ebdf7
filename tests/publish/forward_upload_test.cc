// PublishForwardDocument and PublishByUpload on both engines.
#include <filesystem>
#include <string>

#include "publish/publish_fixture.h"
#include "velmora/publish/publish_by_upload.h"
#include "velmora/publish/publish_forward_document.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

class ForwardTest : public PublishTest {
 protected:
  // A published order received by rita, with attachment `a.txt` in its folder.
  int32_t Received() {
    const int32_t id = AddDocument(DocumentRow().Type("ORDERS").Sender("sam").Status(1).Body(
        "<ORDER><LINE>5 bolts</LINE></ORDER>"));
    Exec("INSERT INTO PUBLICATION (DOCUMENTID, USERID) VALUES (" + std::to_string(id) +
         ", 'rita')");
    Exec("INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (" + std::to_string(id) +
         ", 'a.txt')");
    WriteFile(Dir("att/" + std::to_string(id) + "/a.txt"), "attached");
    return id;
  }
};

TEST_P(ForwardTest, ForwardsAsTheUserWithParentAttachmentsAndTheForwardFlag) {
  AddType("INVOICES", "Invoices");
  AllowSender("INVOICES", "rita", 20);
  const int32_t old_id = Received();
  const int32_t new_id = PublishForwardDocument().Main2(old_id, "INVOICES", "rita", Dir("att"));
  ASSERT_GT(new_id, old_id);
  const std::string where = " WHERE DOCUMENTID = " + std::to_string(new_id);
  EXPECT_EQ(Scalar("SELECT SENDER FROM DOCUMENT" + where).ToText(), "rita");
  EXPECT_EQ(Scalar("SELECT DOCUMENTTYPEID FROM DOCUMENT" + where).ToText(), "INVOICES");
  EXPECT_EQ(Count("SELECT DOC_DOCUMENTID FROM DOCUMENT" + where), old_id);
  EXPECT_EQ(Scalar("SELECT ATTACHMENTFILENAME FROM ATTACHMENT" + where).ToText(), "a.txt");
  EXPECT_TRUE(fs::exists(Dir("att/" + std::to_string(new_id) + "/a.txt")));
  EXPECT_EQ(Count("SELECT FORWARD FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(old_id)),
            1);
  EXPECT_TRUE(notification_->documents.empty());
}

TEST_P(ForwardTest, RefusesMissingAndObiDocumentsWithTheReadLabel) {
  const int32_t obi = AddDocument(DocumentRow().Type("OBIORDER").Sender("sam").Body("<OBIORDER/>"));
  for (const auto& [id, inner] : std::vector<std::pair<int32_t, std::string>>{
           {999, "Document with documentID = 999doesn't exist."},
           {obi, "OBI documents cannot be forwarded."}}) {
    SCOPED_TRACE(id);
    const auto error =
        ErrorOf([&, id = id] { PublishForwardDocument().Main2(id, "ORDERS", "rita", Dir("att")); });
    ASSERT_TRUE(error);
    EXPECT_TRUE(Contains(error->description(), inner)) << error->description();
    EXPECT_TRUE(Contains(error->description(),
                         "Document " + std::to_string(id) + " could not be read for forwarding."));
  }
  EXPECT_EQ(PublishForwardDocument().Main(obi, "rita", Dir("att")), -1);
  EXPECT_EQ(Documents(), 1);
}

using UploadTest = PublishTest;

TEST_P(UploadTest, ReadsTheFirstNonEmptyLowerCaseXmlFileAndConsumesTheFolder) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::string result;  // "!" + text: the error description holds the text
  };
  for (const Case& c :
       std::vector<Case>{{"xml beside text", {{"a.txt", "text"}, {"b.xml", "<B/>"}}, "<B/>"},
                         {"empty xml skipped", {{"a.xml", ""}}, "!No XML file found"},
                         {"capital extension", {{"a.XML", "<A/>"}}, "!No XML file found"},
                         {"malformed", {{"a.xml", "<A>"}}, "!couldn't parse the xml file. error:"},
                         {"missing folder", {}, ""}}) {
    SCOPED_TRACE(c.name);
    for (const auto& [name, content] : c.files) {
      WriteFile(Dir("upload/7/" + name), content);
    }
    std::string path = Dir("upload");
    int32_t id = 7;
    std::string read;
    const auto error = ErrorOf([&] { read = PublishByUpload().ReadXMLFile(path, id); });
    if (c.result.starts_with("!")) {
      ASSERT_TRUE(error);
      EXPECT_TRUE(Contains(error->description(), c.result.substr(1))) << error->description();
      EXPECT_TRUE(Contains(error->description(), "Velmora.PublishByUpload.ReadXMLFile "));
      fs::remove_all(Dir("upload/7"));
      continue;
    }
    ASSERT_FALSE(error) << error->description();
    EXPECT_TRUE(Contains(read, c.result));
    EXPECT_FALSE(fs::exists(Dir("upload/7")));
  }
  std::string path = Dir("upload");
  int32_t id = 7;
  const auto excel = ErrorOf([&] { PublishByUpload().ReadExcelFile(path, id); });
  ASSERT_TRUE(excel);
  EXPECT_EQ(excel->number(), ErrNumber(EnumerationErrors::NotAnExcelFile));
  EXPECT_TRUE(Contains(excel->description(), "The upload folder of the document does not exist."));
}

TEST_P(UploadTest, TheCleanUpKeepsTodaysUploadsAndTypedDocuments) {
  const auto add = [&](const char* type, const char* date) {
    const int32_t id = AddDocument(type ? DocumentRow().Type(type) : DocumentRow());
    Exec(std::string("UPDATE DOCUMENT SET CREATIONDATE = '") + date +
         "' WHERE DOCUMENTID = " + std::to_string(id));
    WriteFile(Dir("upload/" + std::to_string(id) + "/f.xml"), "<F/>");
    return id;
  };
  const int32_t old_upload = add(nullptr, "2031-04-04 23:59:59");
  const int32_t today_upload = add(nullptr, "2031-04-05 00:00:01");
  const int32_t old_typed = add("ORDERS", "2020-01-01 00:00:00");
  Exec("INSERT INTO PUBLICATIONERRORS (DOCUMENTID, ERRORNUMBER, DESCRIPTION, CLOSED) VALUES (" +
       std::to_string(old_upload) + ", 1, 'x', 0)");
  std::string path = Dir("upload");
  PublishByUpload().DeleteAllOldTempXMLFiles(path);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(old_upload)),
            0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS"), 0);
  EXPECT_EQ(Documents(), 2);
  EXPECT_TRUE(fs::is_empty(Dir("upload/" + std::to_string(old_upload))));
  for (const int32_t kept : {today_upload, old_typed}) {
    EXPECT_TRUE(fs::exists(Dir("upload/" + std::to_string(kept) + "/f.xml")));
  }
  int32_t typed = old_typed;
  PublishByUpload().DeleteXMLFileAndDocument(path, typed);
  EXPECT_EQ(Documents(), 2);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ForwardTest);
VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UploadTest);

}  // namespace
}  // namespace velmora::testing
