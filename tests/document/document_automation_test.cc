#include <gtest/gtest.h>

#include "automation/call_service.h"
#include "document/document_rows.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

using automation::ArgumentFromText;
using automation::CallAndReply;
using automation::CallReply;
using testing::DocumentRow;

class DocumentAutomationTest : public testing::DocumentDbTest {
 protected:
  static CallReply Call(const std::string& method, std::vector<Variant> args) {
    return CallAndReply("Velmora.Document", method, std::move(args));
  }
};

TEST_P(DocumentAutomationTest, StatusTextsComeBackTrimmedThroughTheByReferenceArgument) {
  EXPECT_EQ(Call("ConvertStatusFromStringToEnum", {ArgumentFromText("\" Sent \"")}).json,
            R"({"result":5,"args":["Sent"]})");
  EXPECT_EQ(Call("ConvertStatusFromStringToEnum", {ArgumentFromText("SeNt")}).json,
            R"({"result":-1,"args":["SeNt"]})");
  EXPECT_EQ(Call("convertstatusfrominttoenum", {Variant(7)}).json, R"({"result":-1,"args":[7]})");
}

TEST_P(DocumentAutomationTest, StatusChangesFollowTheRulesThroughTheLateBoundCall) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(5));
  EXPECT_FALSE(Call("SetDocumentStatus", {Variant(doc), Variant(1)}).failed);
  EXPECT_EQ(Call("GetStatusOfDocument", {Variant(doc)}).json,
            "{\"result\":5,\"args\":[" + std::to_string(doc) + "]}");
  EXPECT_FALSE(Call("SetDocumentStatus", {Variant(doc), Variant(4)}).failed);
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 4);
}

TEST_P(DocumentAutomationTest, ChildrenComeAsColumnsOfTheGetRowsForm) {
  const int32_t parent = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t child = AddDocument(DocumentRow().Type("INVOICE").Parent(parent));
  EXPECT_EQ(Call("getChildDocuments", {Variant(parent)}).json,
            "{\"result\":[[" + std::to_string(child) + "],[\"INVOICE\"]],\"args\":[" +
                std::to_string(parent) + "]}");
  EXPECT_EQ(Call("getChildDocuments", {Variant(child)}).json,
            "{\"result\":null,\"args\":[" + std::to_string(child) + "]}");
}

TEST_P(DocumentAutomationTest, FieldListsThatAreNotColumnsAreRefusedWithTheirNumber) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Sender("anna"));
  const CallReply refused =
      Call("getDocumentProperty", {Variant(doc), Variant("DOCUMENTID; DROP TABLE DOCUMENT")});
  EXPECT_TRUE(refused.failed);
  EXPECT_NE(refused.json.find("\"number\":" +
                              std::to_string(ErrNumber(EnumerationErrors::InvalidParamValue))),
            std::string::npos)
      << refused.json;
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 1);
  EXPECT_EQ(Call("getDocumentProperty", {Variant(doc), Variant("SENDER")}).json,
            "{\"result\":[[\"anna\"]],\"args\":[" + std::to_string(doc) + ",\"SENDER\"]}");
}

TEST_P(DocumentAutomationTest, BodiesTravelAsTextAndDomErrorsAsErrorReplies) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Body("<A>Grüße &amp; 'x'</A>"));
  EXPECT_EQ(Call("GetXmlDomDocument", {Variant(doc)}).json,
            "{\"result\":\"<A>Grüße &amp; 'x'</A>\",\"args\":[" + std::to_string(doc) + "]}");
  EXPECT_FALSE(Call("UpdateDocumentWithXmlBody", {Variant(doc), Variant("<A>")}).failed);
  const CallReply broken = Call("GetXmlDomDocument", {Variant(doc)});
  EXPECT_TRUE(broken.failed);
  EXPECT_NE(broken.json.find("DOM Error: "), std::string::npos) << broken.json;
}

TEST_P(DocumentAutomationTest, EveryPublishedMethodIsReachable) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(1).Sender("sam"));
  const std::vector<std::pair<std::string, std::vector<Variant>>> calls = {
      {"GetXmlDocument", {Variant(doc)}},
      {"UpdateDocTableWithDocType", {Variant(doc), Variant("ORDERS")}},
      {"UpdateDocumentWithOriginalXmlBody", {Variant(doc), Variant("<O/>")}},
      {"GetOriginalXmlDocument", {Variant(doc)}},
      {"GetDocumentTypeOfDocument", {Variant(doc)}},
      {"GetSenderOfDocument", {Variant(doc)}},
      {"ParseBatchXMLFile", {Variant("<A/><B/>")}},
      {"RemoveRecipientsForDocument", {Variant(doc)}},
      {"IsValidParentDoc", {Variant(doc), Variant("sam"), Variant(0)}},
      {"IsValidChildDoc", {Variant(doc), Variant("sam"), Variant(0)}},
      {"UserIsRecipientOfDoc", {Variant(doc), Variant("sam")}},
      {"RemoveInvalidDocument", {Variant(doc)}},
      {"GetShowFlag", {Variant(doc)}},
      {"ParseBatchXMLString", {Variant("<A>1</A>")}},
      {"setParentDocument", {Variant(doc), Variant(0)}},
      {"UserIsSenderOfDocument", {Variant(doc), Variant("sam")}},
      {"GetParentDocIdOfDocument", {Variant(doc)}},
      {"deleteAllUsersFromPublicationList", {Variant(doc)}},
  };
  std::vector<std::string> failed;
  for (const auto& [method, args] : calls) {
    if (Call(method, args).failed) {
      failed.push_back(method);
    }
  }
  // "<A/><B/>" has no closing tags, so only the batch check of that text fails.
  EXPECT_EQ(failed, std::vector<std::string>{"ParseBatchXMLFile"});
  EXPECT_EQ(Call("GetSenderOfDocument", {Variant(doc)}).json,
            "{\"result\":\"sam\",\"args\":[" + std::to_string(doc) + "]}");
  EXPECT_EQ(Call("IsValidChildDoc", {Variant(doc), Variant("sam"), Variant(0)}).json,
            "{\"result\":true,\"args\":[" + std::to_string(doc) + ",\"sam\",0]}");
  EXPECT_TRUE(Call("GetXmlDocument", {}).failed);
  EXPECT_TRUE(Call("ProcessDocument", {}).failed);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentAutomationTest);

}  // namespace
}  // namespace velmora
