#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "automation/call_service.h"
#include "boxes/collaboration_rows.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

using automation::CallAndReply;
using automation::CallReply;
using testing::Contains;

class CollaborationAutomationTest : public testing::CollaborationDbTest {
 protected:
  static CallReply Call(const std::string& method, std::vector<Variant> args) {
    return CallAndReply("Velmora.Collaboration", method, std::move(args));
  }
};

TEST_P(CollaborationAutomationTest, StatusesChangeByTheRulesThroughTheLateBoundCall) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 6}});
  const std::string id = std::to_string(doc);
  EXPECT_FALSE(Call("SetPublicationStatus", {Variant(doc), Variant("rita"), Variant(5)}).failed);
  EXPECT_EQ(Call("GetPublicationStatus", {Variant(doc), Variant("rita")}).json,
            "{\"result\":6,\"args\":[" + id + ",\"rita\"]}");
  EXPECT_FALSE(
      Call("setpublicationstatus", {Variant(doc), Variant("rita"), Variant(0), Variant(12)})
          .failed);
  EXPECT_EQ(Count("SELECT PUBLICATIONERRORID FROM PUBLICATION"), 12);
  EXPECT_EQ(Call("deleteDocument2",
                 {Variant(doc), Variant("ORDERS"), Variant(3), Variant("sam"), Variant("")})
                .json,
            "{\"result\":false,\"args\":[" + id + ",\"ORDERS\",3,\"sam\",\"\"]}");
  EXPECT_FALSE(
      Call("deleteDocument2", {Variant(doc), Variant(""), Variant(1), Variant("rita"), Variant("")})
          .failed);
  EXPECT_EQ(StoredStatus(doc, "rita"), 9);
}

TEST_P(CollaborationAutomationTest, DocumentTypesComeAsAnObjectAndBadOrdersAsErrors) {
  AddType("ORDERS", "Orders");
  AddType("DESADV", "Advice");
  EXPECT_EQ(Call("getAllDocumentTypes", {Variant("DESCRIPTION")}).json,
            R"({"result":{"DESADV":"Advice","ORDERS":"Orders"},"args":["DESCRIPTION"]})");
  EXPECT_FALSE(Call("getAllDocumentTypes", {}).failed);
  const CallReply refused = Call("getAllDocumentTypes", {Variant("1; DROP TABLE DOCUMENTTYPE")});
  EXPECT_TRUE(refused.failed);
  EXPECT_TRUE(Contains(refused.json, "\"number\":" + std::to_string(ErrNumber(
                                                         EnumerationErrors::InvalidParamValue))))
      << refused.json;
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENTTYPE"), 2);
}

TEST_P(CollaborationAutomationTest, EveryPublishedMethodIsReachable) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 0}});
  const int32_t error = AddPublicationError(doc, "ZODAR0008", 0);
  const std::vector<std::pair<std::string, std::vector<Variant>>> calls = {
      {"AcceptPublication", {Variant(doc), Variant("rita")}},
      {"GetDocumentDetails2", {Variant(0), Variant(doc), Variant("sam")}},
      {"GetAddresseeStatusQueryStr", {Variant(doc), Variant("sam")}},
      {"GetDocumentAttachmentsQueryStr", {Variant(true), Variant(doc), Variant("sam")}},
      {"GetDocumentTypeListQueryStr2", {Variant(1), Variant("rita")}},
      {"ClosePublicationErrorsForOneCategory", {Variant(doc), Variant("CannotPublish")}},
      {"ClosePublicationErrors", {Variant(error)}},
      {"SetPublicationErrorStatusToRemoved", {Variant(doc), Variant("sam"), Variant(error)}},
      {"GetAddresseeStatusQueryStr2", {Variant(doc), Variant("sam")}},
      {"showCountOfNewDocumentsInInbox", {}},
      {"countNewDocumentsForInbox", {Variant("ORDERS"), Variant("rita")}},
      {"DeletePublicationErrors", {Variant(doc)}},
  };
  for (const auto& [method, args] : calls) {
    const CallReply reply = Call(method, args);
    EXPECT_FALSE(reply.failed) << method << ": " << reply.json;
  }
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 2);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS"), 0);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(CollaborationAutomationTest);

}  // namespace
}  // namespace velmora
