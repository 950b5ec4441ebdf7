#include "velmora/convert/obi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/obi_envelope.h"
#include "core/labels.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/support/base64.h"

namespace velmora {
namespace {

constexpr const char* kOrder =
    "<OBIOrder version=\"3.0\"><Envelope>"
    "<Sender><PartnerName> Acme Buyer </PartnerName></Sender>"
    "<Receiver><PartnerName>Supplier &amp; Söhne</PartnerName></Receiver>"
    "</Envelope><Item>Grüße € 5</Item></OBIOrder>";

class ObiTest : public testing::LibraryDbTest {
 protected:
  std::string Construct(Bytes version, EObiLanguage language, const std::string& xml,
                        Bytes signature) {
    std::string object;
    obi_.ConstructObiObject(version, language, xml, signature, object);
    return object;
  }

  // The Base64 text of an object with header version 3.0, `language_code`, `content` and
  // signature 5.
  static std::string Object(uint8_t language_code, const std::string& content) {
    convert::ObiEnvelope envelope;
    envelope.major = 3;
    envelope.language_code = language_code;
    envelope.content = Bytes(content.begin(), content.end());
    envelope.signature = Bytes{5};
    Bytes bytes;
    convert::WriteObiEnvelope(envelope, bytes);
    return Encode(bytes);
  }

  static std::string Encode(Bytes bytes) { return Base64().Base64Encode(bytes); }

  // DeconstructObiObject of `object`, which must fail with `number` and the text of `label`;
  // the outputs must then be cleared.
  void ExpectRefused(const std::string& object, EnumerationErrors number,
                     const std::string& label_text, const std::string& source) {
    Bytes version{9, 9};
    auto language = EObiLanguage::XML;
    std::string xml = "stale";
    Bytes signature{1};
    const Error failure = testing::RaisedBy(
        [&] { obi_.DeconstructObiObject(object, version, language, xml, signature); });
    EXPECT_EQ(failure.number(), ErrNumber(number));
    EXPECT_EQ(failure.source(), source);
    EXPECT_EQ(failure.description(), label_text);
    EXPECT_EQ(version, (Bytes{0, 0}));
    EXPECT_EQ(static_cast<int32_t>(language), 0);
    EXPECT_EQ(xml, "");
    EXPECT_TRUE(signature.empty());
  }

  static std::string Label(const std::string& code, const std::string& key = "",
                           const std::string& value = "") {
    Dictionary replacements;
    if (!key.empty()) {
      replacements.Add(key, Variant(value));
    }
    return core::GetLabel(code, 0, &replacements);
  }

  OBI obi_;
};

TEST_P(ObiTest, ConstructingAndDeconstructingGivesBackEveryPart) {
  const std::vector<std::string> texts = {kOrder, "<OBIOrder>Ā ő 😀</OBIOrder>", "<a/>"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::string object =
        Construct(Bytes{3, 7}, EObiLanguage::XML, "  " + text + " ", Bytes{0, 255, 10, 13});
    Bytes version;
    EObiLanguage language{};
    std::string xml;
    Bytes signature;
    obi_.DeconstructObiObject(object, version, language, xml, signature);
    EXPECT_EQ(version, (Bytes{3, 7}));
    EXPECT_EQ(language, EObiLanguage::XML);
    EXPECT_EQ(xml, text);
    EXPECT_EQ(signature, (Bytes{0, 255, 10, 13}));
  }
}

TEST_P(ObiTest, TheObjectIsTheEnvelopeInBase64Lines) {
  const std::string object = Construct(Bytes{3}, EObiLanguage::XML, kOrder, Bytes{});
  std::string text = object;
  const Bytes bytes = Base64().Base64Decode(text);
  const Bytes content = Base64().UnicodeStringToByte(kOrder);
  ASSERT_EQ(bytes.size(), 12 + content.size());
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{3, 0, 0, 2}));
  EXPECT_EQ(convert::ByteArrayToLong(&bytes[4]), content.size());
  EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.end() - 4), content);
  EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(object.find("\r\n"), 76u);
}

TEST_P(ObiTest, ConstructionChecksVersionLanguageAndXml) {
  Error failure = testing::RaisedBy([&] { Construct(Bytes{2, 0}, EObiLanguage::XML, kOrder, {}); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::InvalidObiVersion));
  EXPECT_EQ(failure.description(), Label("ZODAR4500", "[%VERSION%]", "2"));

  failure = testing::RaisedBy([&] { Construct(Bytes{}, EObiLanguage::XML, kOrder, {}); });
  EXPECT_EQ(failure.description(), Label("ZODAR4500", "[%VERSION%]", "0"));

  failure = testing::RaisedBy([&] { Construct(Bytes{3, 0}, EObiLanguage::X12, "ISA*", {}); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::InvalidObiLanguage));

  failure = testing::RaisedBy([&] { Construct(Bytes{3, 0}, EObiLanguage::XML, "<A><B></A>", {}); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::InvalidObiObject));
  EXPECT_EQ(failure.source(), "Velmora.OBI.CheckObiObjectContainsValidXml");
  EXPECT_EQ(failure.description(), Label("ZODAR4504"));
}

TEST_P(ObiTest, VersionAndLanguageChecks) {
  EXPECT_NO_THROW(obi_.CheckObiVersionSupported(Bytes{3, 9}, EObiLanguage::XML));
  EXPECT_NO_THROW(obi_.CheckObiVersionSupported(Bytes{3}, EObiLanguage::XML));
  const struct {
    Bytes version;
    EObiLanguage language;
    EnumerationErrors number;
    std::string description;
  } refused[] = {
      {{},
       EObiLanguage::XML,
       EnumerationErrors::InvalidObiVersion,
       Label("ZODAR4500", "[%VERSION%]", "0")},
      {{255, 3},
       EObiLanguage::XML,
       EnumerationErrors::InvalidObiVersion,
       Label("ZODAR4500", "[%VERSION%]", "255")},
      {{3, 0},
       EObiLanguage::X12,
       EnumerationErrors::InvalidObiLanguage,
       Label("ZODAR4501", "[%OBILANGUAGE%]", "X12")},
      {{3, 0},
       EObiLanguage::Edifact,
       EnumerationErrors::InvalidObiLanguage,
       Label("ZODAR4501", "[%OBILANGUAGE%]", "EDIFACT")},
      {{3, 0},
       static_cast<EObiLanguage>(7),
       EnumerationErrors::InvalidObiLanguage,
       Label("ZODAR4501", "[%OBILANGUAGE%]", Label("ZODAR0033"))},
  };
  for (const auto& input : refused) {
    SCOPED_TRACE(input.description);
    const Error failure =
        testing::RaisedBy([&] { obi_.CheckObiVersionSupported(input.version, input.language); });
    EXPECT_EQ(failure.number(), ErrNumber(input.number));
    EXPECT_EQ(failure.source(), "Velmora.OBI.CheckObiVersionSupported");
    EXPECT_EQ(failure.description(), input.description);
  }
}

TEST_P(ObiTest, AnotherLanguageByteIsRefused) {
  ExpectRefused(Object(7, "<a/>"), EnumerationErrors::InvalidObiObject,
                Label("ZODAR4501", "[%OBILANGUAGE%]", Label("ZODAR0033")),
                "Velmora.OBI.DeconstructObiObject");
}

TEST_P(ObiTest, TextThatIsNoObjectIsRefused) {
  const std::string path = "Velmora.OBI.DeconstructObiObject";
  for (const std::string& text :
       {std::string(""), std::string("AAAAA"), std::string("AA*A"), Encode(Bytes(15, 0))}) {
    SCOPED_TRACE(text);
    ExpectRefused(text, EnumerationErrors::InvalidObiObject, Label("ZODAR4503"), path);
  }
}

TEST_P(ObiTest, TruncatedAndOversizedObjectsAreRefused) {
  const std::string path = "Velmora.OBI.DeconstructObiObject";
  std::string object = Construct(Bytes{3, 0}, EObiLanguage::XML, kOrder, Bytes{1, 2, 3});
  std::string text = object;
  const Bytes bytes = Base64().Base64Decode(text);
  for (size_t cut : {size_t{1}, size_t{3}, size_t{4}, bytes.size() / 2, bytes.size() - 20}) {
    SCOPED_TRACE(cut);
    ExpectRefused(Encode(Bytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut))),
                  EnumerationErrors::InvalidObiObject, Label("ZODAR4502"), path);
  }
  for (uint32_t length : {0x7FFFFFFFu, 0xFFFFFFF8u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(length);
    Bytes oversized = bytes;
    convert::LongToByteArray(length, &oversized[4]);
    ExpectRefused(Encode(oversized), EnumerationErrors::InvalidObiObject, Label("ZODAR4502"), path);
  }
}

TEST_P(ObiTest, XmlContentMustBeWellFormedOtherContentIsReturned) {
  ExpectRefused(Object(convert::kObiLanguageCodeXml, "<A><B></A>"),
                EnumerationErrors::InvalidObiObject, Label("ZODAR4504"),
                "Velmora.OBI.CheckObiObjectContainsValidXml");

  Bytes version;
  EObiLanguage language{};
  std::string content;
  Bytes signature;
  obi_.DeconstructObiObject(Object(convert::kObiLanguageCodeX12, "ISA*00*\xe9"), version, language,
                            content, signature);
  EXPECT_EQ(language, EObiLanguage::X12);
  EXPECT_EQ(content, "ISA*00*é");
  EXPECT_EQ(signature, Bytes{5});
  const Error failure =
      testing::RaisedBy([&] { obi_.CheckObiVersionSupported(version, language); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::InvalidObiLanguage));
}

TEST_P(ObiTest, VersionComesFromTheRootAttribute) {
  const auto version = [&](const std::string& attribute) {
    return obi_.GetObiDocumentVersion(nullptr, "<OBIOrder" + attribute + "><x/></OBIOrder>");
  };
  EXPECT_EQ(version(" version=\"3.0\""), (Bytes{3, 0}));
  EXPECT_EQ(version(" version=\"3.2.1\""), (Bytes{3, 2}));
  EXPECT_EQ(version(" version=\"3\""), (Bytes{3, 0}));
  EXPECT_EQ(version(" version=\"3.x\""), (Bytes{3, 0}));
  EXPECT_EQ(version(" version=\"\""), (Bytes{0, 0}));
  const Bytes missing = version("");
  EXPECT_EQ(missing, (Bytes{0, 0}));
  const Error failure =
      testing::RaisedBy([&] { obi_.CheckObiVersionSupported(missing, EObiLanguage::XML); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::InvalidObiVersion));

  // A given document is used and the text is not parsed.
  const auto document = obi_.XmlToDom("<OBIOrder version=\"3.1\"/>");
  EXPECT_EQ(obi_.GetObiDocumentVersion(document, "not xml"), (Bytes{3, 1}));
}

TEST_P(ObiTest, ObiTypesBeginWithObiAfterBlanksInAnyCase) {
  for (const char* type : {"OBIOrder", "  obiorder", "ObI", "oBi ", " OBI"}) {
    EXPECT_TRUE(obi_.IsObiDocument(type)) << type;
  }
  for (const char* type : {"ORDER", "OB", "", "\tOBI", "X OBI", "O BI"}) {
    EXPECT_FALSE(obi_.IsObiDocument(type)) << type;
  }
}

TEST_P(ObiTest, DocumentInfoFillsOnlyTheOutputsAskedFor) {
  std::string type;
  std::string sender_bp;
  std::string sender_user = "untouched";
  std::string receiver_user;
  EXPECT_TRUE(obi_.GetObiDocumentInfo(
      nullptr, kOrder,
      {.oDocTypeID = &type, .oSenderBP = &sender_bp, .oReceiverUser = &receiver_user}));
  EXPECT_EQ(type, "OBIOrder");
  EXPECT_EQ(sender_bp, "Acme Buyer");
  EXPECT_EQ(sender_user, "untouched");
  EXPECT_EQ(receiver_user, "Supplier & Söhne");

  std::string only_user;
  EXPECT_TRUE(obi_.GetObiDocumentInfo(obi_.XmlToDom(kOrder), "", {.oSenderUser = &only_user}));
  EXPECT_EQ(only_user, "Acme Buyer");
  EXPECT_TRUE(obi_.GetObiDocumentInfo(nullptr, "<obiInvoice/>"));
}

TEST_P(ObiTest, OtherDocumentsAreNotObiAndKeepTheirOutputs) {
  std::string type = "ORDERS";
  std::string sender = "kept";
  const std::string order =
      "<ORDER><Envelope><Sender><PartnerName>Mallory</PartnerName></Sender></Envelope></ORDER>";
  EXPECT_FALSE(
      obi_.GetObiDocumentInfo(nullptr, order, {.oDocTypeID = &type, .oSenderUser = &sender}));
  EXPECT_EQ(type, "ORDERS");
  EXPECT_EQ(sender, "kept");
  EXPECT_FALSE(
      obi_.GetObiDocumentInfo(std::make_shared<xml::Document>(), "", {.oDocTypeID = &type}));
  EXPECT_EQ(type, "ORDERS");
}

TEST_P(ObiTest, XmlThatDoesNotLoadIsDescribedInFourLines) {
  const std::string bad = "<OBIOrder>\n  <Item>x</Itm>\n</OBIOrder>";
  xml::Document parsed;
  ASSERT_FALSE(parsed.LoadXml(bad));
  const xml::ParseError& expected = parsed.parse_error();

  const Error failure = testing::RaisedBy([&] { obi_.XmlToDom(bad); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::ProcessDocumentError));
  EXPECT_EQ(failure.source(), "Velmora.OBI.XmlToDom");
  const std::vector<std::string> lines = text::Split(failure.description(), "\r\n");
  ASSERT_EQ(lines.size(), 4u) << failure.description();
  EXPECT_EQ(lines[0], Label("ZODAR1839"));
  EXPECT_EQ(lines[1], Label("ZODAR1843", "[%DESCRIPTION%]", expected.reason));
  EXPECT_EQ(lines[2], Label("ZODAR1840", "[%ERROR_LINE%]", "2"));
  EXPECT_EQ(lines[3], Label("ZODAR1841", "[%ERROR_COLUMN%]", std::to_string(expected.column)));

  const Error from_info = testing::RaisedBy([&] { obi_.GetObiDocumentInfo(nullptr, bad, {}); });
  EXPECT_EQ(from_info.number(), ErrNumber(EnumerationErrors::ProcessDocumentError));
  EXPECT_EQ(from_info.description(), failure.description());
}

TEST_P(ObiTest, ObiHandlingIsOff) {
  SetParameter("ObiPath", Home() + "/obi");
  EXPECT_FALSE(obi_.IsOBIEnabled());
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ObiTest);

}  // namespace
}  // namespace velmora
