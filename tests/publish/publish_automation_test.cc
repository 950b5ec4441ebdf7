// Processing and publishing reached late-bound, as `velmora call` and the HTTP service reach
// them: in/out arguments written back, attachment paths as a JSON array of strings.
#include "automation/call_service.h"
#include "publish/publish_fixture.h"

namespace velmora::testing {
namespace {

using automation::ArgumentFromText;
using automation::CallAndReply;

using PublishAutomationTest = PublishTest;

TEST_P(PublishAutomationTest, ProcessDocumentWritesItsOutputsBack) {
  const auto reply =
      CallAndReply("Velmora.Document", "ProcessDocument",
                   {Variant(0), Variant(kOrder), Variant(""), Variant(""), Variant(0), Variant(0),
                    Variant(""), Variant(""), Variant(""), Variant(0)});
  ASSERT_FALSE(reply.failed) << reply.json;
  const std::string id = Scalar("SELECT DOCUMENTID FROM DOCUMENT").ToText();
  EXPECT_TRUE(Contains(reply.json, "{\"result\":" + id + ",")) << reply.json;
  EXPECT_TRUE(Contains(reply.json, "\"\",\"\"," + id + ",10,\"ORDERS\",\"sam\",\"\",1]}"))
      << reply.json;
}

TEST_P(PublishAutomationTest, MainTakesAttachmentPathsAsAJsonArray) {
  WriteFile(Dir("in/a.txt"), "first");
  const auto reply =
      CallAndReply("Velmora.PublishCreateDocument", "Main",
                   {Variant(kOrder), ArgumentFromText("[\"" + Dir("in/a.txt") + "\"]")});
  ASSERT_FALSE(reply.failed) << reply.json;
  EXPECT_TRUE(Contains(reply.json, "\"args\":[")) << reply.json;
  EXPECT_EQ(Scalar("SELECT ATTACHMENTFILENAME FROM ATTACHMENT").ToText(), "a.txt");
  const auto refused = CallAndReply("Velmora.PublishCreateDocument", "PublishXmlDocument",
                                    {Variant(kOrder), ArgumentFromText("[\"a\"]"), Variant(false)});
  EXPECT_TRUE(refused.failed);
  EXPECT_TRUE(
      Contains(refused.json, std::to_string(ErrNumber(EnumerationErrors::AttachmentsSupported))))
      << refused.json;
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PublishAutomationTest);

}  // namespace
}  // namespace velmora::testing
