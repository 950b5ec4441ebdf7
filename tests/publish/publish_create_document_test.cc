// PublishCreateDocument on both engines: synchronous and asynchronous publishing, attachments,
// the pick-up file names and the error-folder copies.
#include "velmora/publish/publish_create_document.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "publish/publish_fixture.h"
#include "support/fake_workbook.h"
#include "support/scoped_sheet_engine.h"
#include "velmora/base/text_encoding.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

class PublishCreateDocumentTest : public PublishTest {
 protected:
  static constexpr const char* kPickupName = "XML_2031.04.05_06.07.08-";

  std::shared_ptr<Collection> Paths(const std::vector<std::string>& paths) {
    auto collection = std::make_shared<Collection>();
    for (const std::string& path : paths) {
      collection->Add(Variant(path));
    }
    return collection;
  }

  PublishCreateDocument publisher_;
};

TEST_P(PublishCreateDocumentTest, CopiesEachAttachmentOnceAndRecordsEachFailure) {
  WriteFile(Dir("in/a.txt"), "first");
  auto attachments = Paths({Dir("in/a.txt"), Dir("in/A.TXT"), Dir("in/missing.txt"), Dir("in")});
  const int32_t id = publisher_.Main(kOrder, attachments);
  ASSERT_GT(id, 0);
  EXPECT_EQ(FilesBelow("att"), std::vector<std::string>{std::to_string(id) + "/a.txt"});
  EXPECT_EQ(Scalar("SELECT ATTACHMENTFILENAME FROM ATTACHMENT").ToText(), "a.txt");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM ATTACHMENT"), 1);
  EXPECT_EQ(ErrorLabels(id), (std::vector<std::string>{"ZODAR1816", "ZODAR1816"}));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE DESCRIPTION LIKE "
                  "'%Concerning: ''" +
                  Dir("in/missing.txt") + "''%'"),
            1);
}

TEST_P(PublishCreateDocumentTest, AnIncompletePublicationFailsAndKeepsTheTextAsErrorXml) {
  const std::string refused = "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>x</SENDER></ORDER>";
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    const auto error = ErrorOf([&] { publisher_.MainX(refused); });
    ASSERT_TRUE(RaisedProcessingError(error));
    EXPECT_TRUE(Contains(error->description(), "The document could not be published.\r\n"));
    EXPECT_TRUE(Contains(error->description(), "The sender of the document could not be"));
  }
  const std::vector<std::string> kept = FilesBelow("error");
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(fs::path(kept[0]).filename(), "Error.xml");
  EXPECT_EQ(fs::path(kept[1]).filename(), "Error_1.xml");
  std::ifstream file(Dir("error/" + kept[0]), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  EXPECT_EQ(text::DecodeTextFile(bytes), refused);
  EXPECT_EQ(Documents(), 0);
}

TEST_P(PublishCreateDocumentTest, AsynchronousPublishingWritesIntoThePickupFolder) {
  const auto refused = ErrorOf([&] { publisher_.PublishXmlDocument(kOrder, Paths({"a"}), false); });
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->number(), ErrNumber(EnumerationErrors::AttachmentsSupported));
  EXPECT_EQ(publisher_.PublishXmlDocument(kOrder, Paths({}), false), 0);
  EXPECT_EQ(publisher_.PublishXmlDocument(kOrder, nullptr, false), 0);
  EXPECT_EQ(FilesBelow("pickup"), (std::vector<std::string>{std::string(kPickupName) + "0.xml",
                                                            std::string(kPickupName) + "1.xml"}));
  EXPECT_EQ(Documents(), 0);
}

TEST_P(PublishCreateDocumentTest, TheHundredthTakenPickupNameFailsWithAlreadyPresent) {
  for (int n = 1; n < 100; ++n) {
    WriteFile(Dir("pickup/") + kPickupName + std::to_string(n) + ".xml", "x");
  }
  EXPECT_EQ(publisher_.PublishXmlDocument(kOrder, nullptr, false), 0);
  const auto error = ErrorOf([&] { publisher_.PublishXmlDocument(kOrder, nullptr, false); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number(), ErrNumber(EnumerationErrors::AlreadyPresent));
  EXPECT_TRUE(Contains(error->description(), "PublishCreateDocument.PublishDocumentAsync"));
}

TEST_P(PublishCreateDocumentTest, PublishDocumentChoosesTheRoadByExtensionAndKeepsNoCopy) {
  WriteFile(Dir("in/order.XML"), kOrder);
  EXPECT_GT(publisher_.PublishDocument(Dir("in/order.XML"), nullptr, true), 0);
  WriteFile(Dir("in/broken.xml"), "<ORDER>");
  const auto broken =
      ErrorOf([&] { publisher_.PublishDocument(Dir("in/broken.xml"), nullptr, true); });
  ASSERT_TRUE(broken);
  EXPECT_EQ(broken->number(), ErrNumber(EnumerationErrors::XMLLoadError));
  EXPECT_TRUE(Contains(broken->description(), "Line: 1"));
  WriteFile(Dir("in/order.txt"), kOrder);
  for (const bool engine : {false, true}) {
    SCOPED_TRACE(engine);
    ScopedSheetEngine scope(engine ? std::make_shared<FakeEngine>() : nullptr);
    const auto other =
        ErrorOf([&] { publisher_.PublishDocument(Dir("in/order.txt"), nullptr, true); });
    ASSERT_TRUE(other);
    EXPECT_EQ(other->number(), ErrNumber(engine ? EnumerationErrors::NotAnExcelFile
                                                : EnumerationErrors::ExcelNotInstalled));
  }
  EXPECT_TRUE(FilesBelow("error").empty());
}

TEST_P(PublishCreateDocumentTest, ThePublisherLanguageAcceptsNumbersAndBlankOnly) {
  EXPECT_EQ(publisher_.GetPublisherLanguageID(), 0);
  for (const auto& [text, language] :
       std::vector<std::pair<std::string, int32_t>>{{"", 1033}, {"1031", 1031}, {"abc", 1031}}) {
    SCOPED_TRACE(text);
    publisher_.SetPublisherLanguageID(text);
    EXPECT_EQ(publisher_.GetPublisherLanguageID(), language);
  }
  EXPECT_TRUE(Logged("PublishCreateDocument.SetPublisherLanguageID"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PublishCreateDocumentTest);

}  // namespace
}  // namespace velmora::testing
