#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "recipients_fixture.h"
#include "routing/recipients/resolution.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

using testing::kQuotedUser;
using Users = std::vector<std::string>;

constexpr const char* kUnresolvedSource =
    "Velmora.Utility.ExecuteXslPatternAndFillPublicationTable";
constexpr const char* kPartnerSource = "Velmora.Utility.ExecuteXSLPatternAndFillPublicationTable";
const int32_t kProcessDocumentError = static_cast<int32_t>(EnumerationErrors::ProcessDocumentError);

class RecipientResolutionTest : public testing::RecipientsTest {};

TEST_P(RecipientResolutionTest, TrueDistributionListWithBlanksGoesToTheWholeListAndBlanksRouting) {
  const int32_t doc = Order(
      "<ORDER><USESDISTLIST> true </USESDISTLIST><RECEIVER>dave</RECEIVER>"
      "<BUSINESSPARTNER>30</BUSINESSPARTNER><BUS-PART-C>CG</BUS-PART-C>"
      "<BUS-PART-S>ACS</BUS-PART-S><NOTE>keep</NOTE></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{kQuotedUser, "alice", "bob", "carol"}));
  EXPECT_EQ(Body(doc),
            "<ORDER><USESDISTLIST/><RECEIVER/><BUSINESSPARTNER/><BUS-PART-C/><BUS-PART-S/>"
            "<NOTE>keep</NOTE></ORDER>");
  EXPECT_TRUE(Errors(doc).empty());
  EXPECT_EQ(*obi_calls_, 0);
}

TEST_P(RecipientResolutionTest, DistributionListValueYesFallsThroughToTheReceivers) {
  const int32_t doc =
      Order("<ORDER><USESDISTLIST>yes</USESDISTLIST><RECEIVER>carol</RECEIVER></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{"carol"}));
  EXPECT_EQ(Body(doc), "<ORDER><USESDISTLIST>yes</USESDISTLIST><RECEIVER/></ORDER>");
  EXPECT_EQ(*obi_calls_, 1);
}

TEST_P(RecipientResolutionTest, DistributionListOneCountsAndAListAlreadyPublishedGivesZero) {
  const int32_t doc = Order("<ORDER><USESDISTLIST>1</USESDISTLIST></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc).size(), 4u);
  std::string type = "ORDERS";
  std::string xml = "<ORDER><USESDISTLIST>TRUE</USESDISTLIST></ORDER>";
  int32_t id = doc;
  EXPECT_EQ(utility_.GetRecipientsAndFillPublicationTable(id, type, xml), 0);
  EXPECT_EQ(Recipients(doc).size(), 4u);
}

TEST_P(RecipientResolutionTest, ReceiverAlreadyPublishedIsASuccessWithoutADuplicateRow) {
  const int32_t doc = Order("<ORDER><RECEIVER>alice</RECEIVER></ORDER>");
  AddPublication(doc, "alice", 1);
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{"alice"}));
  EXPECT_EQ(Count("SELECT STATUS FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(doc)), 1);
  EXPECT_TRUE(Errors(doc).empty());
  EXPECT_EQ(Body(doc), "<ORDER><RECEIVER/></ORDER>");
}

TEST_P(RecipientResolutionTest, UnknownReceiverIsOneErrorRowAndIsBlankedAnyway) {
  const int32_t doc = Order("<ORDER><RECEIVER>dave</RECEIVER><RECEIVER>bob</RECEIVER></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{"bob"}));
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].label, "ZODAR0008");
  EXPECT_EQ(errors[0].number, 0);
  EXPECT_EQ(errors[0].description,
            "User 'dave' is not on the distribution list of document type 'Purchase orders'.");
  EXPECT_EQ(errors[0].source, kUnresolvedSource);
  EXPECT_EQ(Body(doc), "<ORDER><RECEIVER/><RECEIVER/></ORDER>");
}

TEST_P(RecipientResolutionTest, FailedListCheckCountsAsFoundAndIsLoggedWithItsNumber) {
  const int32_t doc = Order("<ORDER><RECEIVER>alice</RECEIVER></ORDER>");
  Exec("DROP TABLE DISTRIBUTIONLIST");
  EXPECT_EQ(Resolve(doc), 1);
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].label, "ZODAR0008");
  EXPECT_NE(errors[0].number, 0);
  EXPECT_TRUE(testing::Contains(errors[0].description,
                                "Recipient 'alice' of document " + std::to_string(doc) + " "));
  EXPECT_EQ(Body(doc), "<ORDER><RECEIVER/></ORDER>");
}

TEST_P(RecipientResolutionTest, NobodyResolvedGivesZeroAndNoRows) {
  const int32_t doc = Order("<ORDER><RECEIVER>nobody</RECEIVER></ORDER>");
  EXPECT_EQ(Resolve(doc), 0);
  EXPECT_TRUE(Recipients(doc).empty());
  EXPECT_EQ(Errors(doc).size(), 1u);
}

TEST_P(RecipientResolutionTest, NonNumericPartnerIdsGiveTwoErrorRowsEach) {
  for (const std::string value : {"ten", "12.5", "99999999999", "1e3"}) {
    SCOPED_TRACE(value);
    const int32_t doc = Order("<ORDER><BUSINESSPARTNER>" + value + "</BUSINESSPARTNER></ORDER>");
    EXPECT_EQ(Resolve(doc), 0);
    EXPECT_TRUE(Recipients(doc).empty());
    const auto errors = Errors(doc);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].label, "ZODAR4475");
    EXPECT_EQ(errors[0].number, kProcessDocumentError);
    EXPECT_EQ(errors[0].description, "Document " + std::to_string(doc) +
                                         ": the business partner ID '" + value +
                                         "' is not a valid number.");
    EXPECT_EQ(errors[0].source, kPartnerSource);
    EXPECT_EQ(errors[1].label, "ZODAR0008");
    EXPECT_EQ(errors[1].number, 0);
    EXPECT_TRUE(testing::Contains(errors[1].description, "Business partner '" + value + "'"));
    EXPECT_TRUE(testing::Contains(errors[1].description, "'Purchase orders'"));
    EXPECT_EQ(errors[1].source, kUnresolvedSource);
  }
}

TEST_P(RecipientResolutionTest, PartnerIdReachesItsListedUsersAndCodesAreNotRead) {
  const int32_t doc = Order(
      "<ORDER><BUSINESSPARTNER> 20 </BUSINESSPARTNER><BUSINESSPARTNER>30</BUSINESSPARTNER>"
      "<BUS-PART-C>AC</BUS-PART-C><BUS-PART-S>nonsense</BUS-PART-S></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{kQuotedUser, "carol"}));
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].label, "ZODAR0008");
  EXPECT_TRUE(testing::Contains(errors[0].description, "Business partner '30'"));
  EXPECT_EQ(Body(doc),
            "<ORDER><BUSINESSPARTNER/><BUSINESSPARTNER/><BUS-PART-C>AC</BUS-PART-C>"
            "<BUS-PART-S>nonsense</BUS-PART-S></ORDER>");
}

TEST_P(RecipientResolutionTest, PartnerCodesOfBothKindsAreTranslated) {
  const int32_t doc = Order(
      "<ORDER><BUSINESSPARTNER/><BUS-PART-C>AC</BUS-PART-C><BUS-PART-S>ACS</BUS-PART-S>"
      "<BUS-PART-S>AC</BUS-PART-S></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{"alice", "bob"}));
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 2u) << "AC is a code of the first kind only";
  EXPECT_EQ(errors[0].label, "ZODAR4476");
  EXPECT_EQ(errors[0].number, kProcessDocumentError);
  EXPECT_EQ(errors[0].description,
            "The business partner code 'AC' could not be translated into a business partner.");
  EXPECT_EQ(errors[0].source, kPartnerSource);
  EXPECT_EQ(errors[1].label, "ZODAR0008");
  EXPECT_TRUE(testing::Contains(errors[1].description, "Business partner 'AC'"));
  EXPECT_EQ(Body(doc), "<ORDER><BUSINESSPARTNER/><BUS-PART-C/><BUS-PART-S/><BUS-PART-S/></ORDER>");
}

TEST_P(RecipientResolutionTest, CodeOfAPartnerWithoutListedUsersIsNotResolved) {
  const int32_t doc = Order("<ORDER><BUS-PART-C>CG</BUS-PART-C></ORDER>");
  EXPECT_EQ(Resolve(doc), 0);
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].label, "ZODAR0008");
  EXPECT_TRUE(testing::Contains(errors[0].description, "Business partner 'CG'"));
}

TEST_P(RecipientResolutionTest, EmptyReceiverElementsAreNeitherResolvedNorLoggedNorStored) {
  const int32_t doc = Order("<STORED/>");
  std::string type = "ORDERS";
  std::string xml = "<ORDER><RECEIVER/><RECEIVER></RECEIVER></ORDER>";
  int32_t id = doc;
  EXPECT_EQ(utility_.GetRecipientsAndFillPublicationTable(id, type, xml), 0);
  EXPECT_TRUE(Recipients(doc).empty());
  EXPECT_TRUE(Errors(doc).empty());
  EXPECT_EQ(Body(doc), "<STORED/>");
  EXPECT_EQ(xml, "<ORDER><RECEIVER/><RECEIVER></RECEIVER></ORDER>");
}

TEST_P(RecipientResolutionTest, RoutingValuesWithQuotesStayValues) {
  const int32_t doc = Order(std::string("<ORDER><RECEIVER>") +
                            "O&apos;Brien \"Ü\"</RECEIVER><RECEIVER>x' OR '1'='1</RECEIVER>"
                            "<BUSINESSPARTNER>20 OR 1=1</BUSINESSPARTNER></ORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{kQuotedUser}));
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].description,
            "User 'x' OR '1'='1' is not on the distribution list of document type "
            "'Purchase orders'.");
  EXPECT_EQ(errors[1].label, "ZODAR4475");
  EXPECT_EQ(errors[2].label, "ZODAR0008");
}

TEST_P(RecipientResolutionTest, DocumentsWithoutXmlTypeOrIdAreLeftAlone) {
  const int32_t no_body = AddDocument(testing::DocumentRow().Type("ORDERS"));
  EXPECT_EQ(Resolve(no_body), 0);
  const int32_t no_type =
      AddDocument(testing::DocumentRow().Body("<O><USESDISTLIST>1</USESDISTLIST></O>"));
  EXPECT_EQ(Resolve(no_type), 0);
  std::string type = "ORDERS";
  std::string xml = "<O><USESDISTLIST>1</USESDISTLIST></O>";
  int32_t zero = 0;
  EXPECT_EQ(utility_.GetRecipientsAndFillPublicationTable(zero, type, xml), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION"), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS"), 0);
  EXPECT_EQ(*obi_calls_, 0);
}

TEST_P(RecipientResolutionTest, TextThatIsNotXmlFindsNoRecipient) {
  const int32_t doc = Order("<ORDER><RECEIVER>alice</RECEIVER>");
  EXPECT_EQ(Resolve(doc), 0);
  EXPECT_TRUE(Recipients(doc).empty());
  EXPECT_TRUE(Errors(doc).empty());
}

TEST_P(RecipientResolutionTest, ObiDocumentGoesToTheReceivingUserAndKeepsItsRouting) {
  const int32_t doc = Order(
      "<OBIORDER><Envelope><Receiver><PartnerName>carol</PartnerName></Receiver></Envelope>"
      "<RECEIVER>alice</RECEIVER></OBIORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(*obi_calls_, 1);
  EXPECT_EQ(Recipients(doc), (Users{"carol"}));
  EXPECT_TRUE(testing::Contains(Body(doc), "<RECEIVER>alice</RECEIVER>"));

  const int32_t unlisted = Order(
      "<OBIORDER><Envelope><Receiver><PartnerName>dave</PartnerName></Receiver></Envelope>"
      "</OBIORDER>");
  EXPECT_EQ(Resolve(unlisted), 0);
  EXPECT_TRUE(Recipients(unlisted).empty());
}

TEST_P(RecipientResolutionTest, WithoutAnObiComponentNoDocumentIsObi) {
  core::ScopedComponent missing("Velmora.OBI", []() -> ObjectRef {
    throw Error(kErrCannotCreateObject, "Velmora.OBI", "not installed");
  });
  const int32_t doc = Order(
      "<OBIORDER><Envelope><Receiver><PartnerName>carol</PartnerName></Receiver></Envelope>"
      "<RECEIVER>alice</RECEIVER></OBIORDER>");
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (Users{"alice"}));
}

TEST_P(RecipientResolutionTest, FillPublicationTableNarrowsAndNeverDuplicates) {
  int32_t doc = Order("<ORDER/>");
  std::string type = "ORDERS";
  std::string anyone;
  int32_t partner = 20;
  EXPECT_EQ(utility_.FillPublicationTable(doc, type, partner, anyone), 2);
  std::string bob = "bob";
  int32_t no_partner = 0;
  EXPECT_EQ(utility_.FillPublicationTable(doc, type, no_partner, bob), 1);
  EXPECT_EQ(utility_.FillPublicationTable(doc, type, no_partner, anyone), 1);
  EXPECT_EQ(utility_.FillPublicationTable(doc, type, no_partner, anyone), 0);
  ListUser("dave", 30);
  EXPECT_EQ(utility_.FillPublicationTable(doc, type, no_partner, anyone), 1);
  std::string quote = "x' OR '1'='1";
  EXPECT_EQ(utility_.FillPublicationTable(doc, quote, no_partner, anyone), 0);
  EXPECT_EQ(Recipients(doc).size(), 5u);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION WHERE STATUS = 0 AND FORWARD = 0 AND "
                  "PUBLICATIONERRORID IS NULL"),
            5);
}

TEST_P(RecipientResolutionTest, OtherQueriesResolveNothingAndInvalidOnesRaise) {
  int32_t doc = Order("<ORDER/>");
  std::string type = "ORDERS";
  xml::Document dom;
  ASSERT_TRUE(dom.LoadXml("<ORDER><NOTE>alice</NOTE></ORDER>"));
  std::string other = "//NOTE";
  EXPECT_FALSE(utility_.ExecuteXslPatternAndFillPublicationTable(doc, type, dom, other));
  EXPECT_EQ(Errors(doc).size(), 1u);
  EXPECT_EQ(Body(doc), "<ORDER><NOTE/></ORDER>");
  std::string none = "//RECEIVER";
  EXPECT_FALSE(utility_.ExecuteXslPatternAndFillPublicationTable(doc, type, dom, none));
  std::string invalid = "//[";
  const Error failure = testing::RaisedBy(
      [&] { utility_.ExecuteXslPatternAndFillPublicationTable(doc, type, dom, invalid); });
  EXPECT_TRUE(testing::Contains(failure.description(),
                                "Velmora.Utility.ExecuteXSLPatternAndFillPublicationTable caught"));
}

TEST_P(RecipientResolutionTest, DefaultReceiverNeedsARequisitioner) {
  std::string with =
      "<O><REQUISITIONER>x</REQUISITIONER><RECEIVER> bob </RECEIVER>"
      "<RECEIVER>alice</RECEIVER></O>";
  EXPECT_EQ(utility_.GetDefaultReceiver(with), "bob");
  std::string empty_receiver = "<O><REQUISITIONER>x</REQUISITIONER><RECEIVER/></O>";
  EXPECT_EQ(utility_.GetDefaultReceiver(empty_receiver), "");
  std::string without = "<O><REQUISITIONER> </REQUISITIONER><RECEIVER>bob</RECEIVER></O>";
  EXPECT_EQ(utility_.GetDefaultReceiver(without), "");
  std::string broken = "<O>";
  EXPECT_EQ(utility_.GetDefaultReceiver(broken), "");
}

// Processing calls the resolution service directly: the same answers as the facade, failures
// raised without a method chain, which the facade adds under its published path.
TEST_P(RecipientResolutionTest, TheServiceAnswersAsTheFacadeAndRaisesUnreported) {
  const struct {
    std::string xml;
    std::string receiver;
  } cases[] = {
      {"<O><REQUISITIONER>x</REQUISITIONER><RECEIVER> bob </RECEIVER></O>", "bob"},
      {"<O><REQUISITIONER/><RECEIVER>bob</RECEIVER></O>", ""},
      {"<O><DOCTYPE-ID>ORDERS</DOCTYPE-ID></O>", ""},
      {"<O><DOCTYPE-ID>NOSUCHTYPE</DOCTYPE-ID></O>", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    auto dom = std::make_shared<xml::Document>();
    ASSERT_TRUE(dom->LoadXml(c.xml));
    std::string xml = c.xml;
    EXPECT_EQ(recipients::DefaultReceiverOf(*dom), c.receiver);
    EXPECT_EQ(utility_.GetDefaultReceiver(xml), c.receiver);
    EXPECT_EQ(recipients::DocumentTypeOf(dom, 0), utility_.GetDocType(xml, 0));
  }

  const int32_t doc = Order("<ORDER/>");
  xml::Document dom;
  ASSERT_TRUE(dom.LoadXml("<ORDER/>"));
  const Error raw =
      testing::RaisedBy([&] { recipients::ResolveRoutingElement(doc, "ORDERS", dom, "//["); });
  EXPECT_EQ(raw.number(), kErrObjectRequired);
  EXPECT_FALSE(testing::Contains(raw.description(), "METHOD: ")) << raw.description();
  int32_t id = doc;
  std::string type = "ORDERS";
  std::string invalid = "//[";
  const Error reported = testing::RaisedBy(
      [&] { utility_.ExecuteXslPatternAndFillPublicationTable(id, type, dom, invalid); });
  EXPECT_EQ(reported.number(), kErrObjectRequired);
  EXPECT_TRUE(testing::Contains(reported.description(), std::string("METHOD: ") + kPartnerSource));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RecipientResolutionTest);

}  // namespace
}  // namespace velmora
