#include <gtest/gtest.h>

#include "document/document_rows.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

using testing::DocumentRow;
using testing::ErrorOf;

class DocumentStatusTest : public testing::DocumentDbTest {
 protected:
  int32_t StatusOf(int32_t doc) { return Column(doc, "STATUS").ToInt32(); }
  int32_t Closed(int32_t error_id) {
    return Count("SELECT CLOSED FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                 std::to_string(error_id));
  }
  int32_t Publications(int32_t doc) {
    return Count("SELECT COUNT(*) FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(doc));
  }

  Document document_;
};

TEST_P(DocumentStatusTest, TransitionsFollowTheStatusRules) {
  // Deleted is always reachable; nothing but deleted leaves deleted; sent never goes back to
  // published. Everything else is written as asked.
  for (int16_t from = 0; from <= 5; ++from) {
    for (int16_t to = 0; to <= 5; ++to) {
      SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
      const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(from));
      document_.SetDocumentStatus(doc, static_cast<DOCUMENTSTATUS>(to));
      const bool refused = (from == 4 && to != 4) || (from == 5 && to == 1);
      EXPECT_EQ(StatusOf(doc), refused ? from : to);
    }
  }
}

TEST_P(DocumentStatusTest, TheNamedEdgeCasesOfTheStatusRules) {
  const int32_t sent = AddDocument(DocumentRow().Type("ORDERS").Status(5));
  document_.SetDocumentStatus(sent, DOCUMENTSTATUS::DOCUMENTPUBLISHED);
  EXPECT_EQ(StatusOf(sent), 5);
  document_.SetDocumentStatus(sent, DOCUMENTSTATUS::DOCUMENTDELETED);
  EXPECT_EQ(StatusOf(sent), 4);
  document_.SetDocumentStatus(sent, DOCUMENTSTATUS::DOCUMENTNEW);
  EXPECT_EQ(StatusOf(sent), 4);
  document_.SetDocumentStatus(sent, DOCUMENTSTATUS::DOCUMENTDELETED);
  EXPECT_EQ(StatusOf(sent), 4);

  // An unknown stored status (a new row, or a value outside the enumeration) can be changed.
  const int32_t fresh = AddDocument(DocumentRow().Status(-1));
  document_.SetDocumentStatus(fresh, DOCUMENTSTATUS::DOCUMENTPUBLISHED);
  EXPECT_EQ(StatusOf(fresh), 1);
  const int32_t odd = AddDocument(DocumentRow().Status(9));
  EXPECT_EQ(document_.GetStatusOfDocument(odd), DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS);
  document_.SetDocumentStatus(odd, DOCUMENTSTATUS::DOCUMENTSENT);
  EXPECT_EQ(StatusOf(odd), 5);
}

TEST_P(DocumentStatusTest, ValuesOutsideTheEnumerationAreRefusedNotCut) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(1));
  for (int32_t value : {65540, 65536, 7, 16, 99, -1, -5}) {
    SCOPED_TRACE(value);
    const auto raised =
        ErrorOf([&] { document_.SetDocumentStatus(doc, static_cast<DOCUMENTSTATUS>(value)); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_EQ(StatusOf(doc), 1);
  }
}

TEST_P(DocumentStatusTest, AMissingDocumentIsNeitherWrittenNorAnError) {
  EXPECT_EQ(document_.GetStatusOfDocument(424242), DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS);
  EXPECT_FALSE(
      ErrorOf([&] { document_.SetDocumentStatus(424242, DOCUMENTSTATUS::DOCUMENTDELETED); }));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 0);
}

TEST_P(DocumentStatusTest, DeletingANewDocumentRemovesItsPublicationsOnly) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(0));
  const int32_t other = AddDocument(DocumentRow().Type("ORDERS").Status(0));
  AddPublication(doc, "anna");
  AddPublication(doc, "O'Brien Müller");
  AddPublication(other, "anna");
  document_.SetDocumentStatus(doc, DOCUMENTSTATUS::DOCUMENTDELETED);
  EXPECT_EQ(StatusOf(doc), 4);
  EXPECT_EQ(Publications(doc), 0);
  EXPECT_EQ(Publications(other), 1);
}

TEST_P(DocumentStatusTest, DeletingAPublishedDocumentKeepsItsPublications) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(1));
  AddPublication(doc, "anna");
  document_.SetDocumentStatus(doc, DOCUMENTSTATUS::DOCUMENTDELETED);
  EXPECT_EQ(StatusOf(doc), 4);
  EXPECT_EQ(Publications(doc), 1);
}

TEST_P(DocumentStatusTest, PublishingANewDocumentClosesOnlyItsCannotPublishErrors) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(0));
  const int32_t other = AddDocument(DocumentRow().Type("ORDERS").Status(0));
  std::vector<int32_t> category;
  for (const char* label : {"ZODAR0008", "ZODAR4475", "ZODAR4476", "ZODAR4477", "ZODAR4478",
                            "ZODAR4479", "ZODAR4480", "ZODAR4481", "ZODAR4482"}) {
    category.push_back(AddPublicationError(doc, label));
  }
  const int32_t hidden_from_sender = AddPublicationError(doc, "ZODAR4478", 2);
  const int32_t hidden_from_both = AddPublicationError(doc, "ZODAR0008", 6);
  const int32_t already_closed = AddPublicationError(doc, "ZODAR0008", 5);
  const int32_t delivery = AddPublicationError(doc, "ZODAR1812");
  const int32_t near_miss = AddPublicationError(doc, "zodar0008");
  const int32_t other_doc = AddPublicationError(other, "ZODAR0008");

  document_.SetDocumentStatus(doc, DOCUMENTSTATUS::DOCUMENTPUBLISHED);

  EXPECT_EQ(StatusOf(doc), 1);
  for (int32_t id : category) {
    EXPECT_EQ(Closed(id), 1) << id;
  }
  EXPECT_EQ(Closed(hidden_from_sender), 3);
  EXPECT_EQ(Closed(hidden_from_both), 7);
  EXPECT_EQ(Closed(already_closed), 5);
  EXPECT_EQ(Closed(delivery), 0);
  EXPECT_EQ(Closed(near_miss), 0);
  EXPECT_EQ(Closed(other_doc), 0);
}

TEST_P(DocumentStatusTest, PublishingFromAnotherStatusLeavesErrorsOpen) {
  for (int16_t from : {-1, 1, 2, 3}) {
    SCOPED_TRACE(from);
    const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(from));
    const int32_t error_id = AddPublicationError(doc, "ZODAR0008");
    AddPublication(doc, "anna");
    document_.SetDocumentStatus(doc, DOCUMENTSTATUS::DOCUMENTPUBLISHED);
    EXPECT_EQ(StatusOf(doc), 1);
    EXPECT_EQ(Closed(error_id), 0);
    EXPECT_EQ(Publications(doc), 1);
  }
}

TEST_P(DocumentStatusTest, AFailureWhileClosingErrorsCarriesBothMethodPaths) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(0));
  Exec("DROP TABLE PUBLICATIONERRORS");
  const auto raised =
      ErrorOf([&] { document_.SetDocumentStatus(doc, DOCUMENTSTATUS::DOCUMENTPUBLISHED); });
  ASSERT_TRUE(raised);
  const std::string& text = raised->description();
  const size_t inner =
      text.find("METHOD: Velmora.Collaboration.ClosePublicationErrorsForOneCategory");
  const size_t outer = text.find("METHOD: Velmora.Document.SetDocumentStatus");
  ASSERT_NE(inner, std::string::npos) << text;
  ASSERT_NE(outer, std::string::npos) << text;
  EXPECT_LT(outer, inner);
}

TEST_P(DocumentStatusTest, StatusTextsAreTrimmedInPlaceAndComparedExactly) {
  std::string status = " Sent ";
  EXPECT_EQ(document_.ConvertStatusFromStringToEnum(status), DOCUMENTSTATUS::DOCUMENTSENT);
  EXPECT_EQ(status, "Sent");
  status = "SeNt";
  EXPECT_EQ(document_.ConvertStatusFromStringToEnum(status), DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS);
  EXPECT_EQ(status, "SeNt");

  const std::pair<const char*, DOCUMENTSTATUS> accepted[] = {
      {"New", DOCUMENTSTATUS::DOCUMENTNEW},
      {"  new", DOCUMENTSTATUS::DOCUMENTNEW},
      {"NEW  ", DOCUMENTSTATUS::DOCUMENTNEW},
      {"Published", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
      {"publish", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
      {"PUBLISH", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
      {"accepted", DOCUMENTSTATUS::DOCUMENTACCEPTED},
      {"ACCEPT", DOCUMENTSTATUS::DOCUMENTACCEPTED},
      {" Partially Accepted ", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
      {"partially", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
      {"PARTIALLY ACCEPT", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
      {"Deleted", DOCUMENTSTATUS::DOCUMENTDELETED},
      {"removed", DOCUMENTSTATUS::DOCUMENTDELETED},
      {"REMOVED", DOCUMENTSTATUS::DOCUMENTDELETED},
      {"sent", DOCUMENTSTATUS::DOCUMENTSENT},
      {"SENT", DOCUMENTSTATUS::DOCUMENTSENT},
  };
  for (const auto& [input, expected] : accepted) {
    SCOPED_TRACE(input);
    std::string argument = input;
    EXPECT_EQ(document_.ConvertStatusFromStringToEnum(argument), expected);
  }
  for (const char* input : {"", "   ", "Partially  Accepted", "Publishing", "\tSent", "Sent's",
                            "'Sent'", "Gelöscht", "deleteD", "Unknown"}) {
    SCOPED_TRACE(input);
    std::string argument = input;
    EXPECT_EQ(document_.ConvertStatusFromStringToEnum(argument),
              DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS);
  }
  std::string tabbed = "\tSent ";
  document_.ConvertStatusFromStringToEnum(tabbed);
  EXPECT_EQ(tabbed, "\tSent");
}

TEST_P(DocumentStatusTest, NumbersOutsideTheEnumerationAreUnknown) {
  for (int16_t value = 0; value <= 5; ++value) {
    EXPECT_EQ(document_.ConvertStatusFromIntToEnum(value), static_cast<DOCUMENTSTATUS>(value));
  }
  for (int16_t value : {-1, -2, 6, 9, 32767, -32768}) {
    EXPECT_EQ(document_.ConvertStatusFromIntToEnum(value), DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS)
        << value;
  }
}

TEST_P(DocumentStatusTest, RemoveInvalidDocumentDeletesOnlyUntypedRows) {
  const int32_t typed = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t untyped = AddDocument(DocumentRow());
  const int32_t empty_type = AddDocument(DocumentRow().Type(""));
  document_.RemoveInvalidDocument(typed);
  document_.RemoveInvalidDocument(untyped);
  document_.RemoveInvalidDocument(empty_type);
  document_.RemoveInvalidDocument(0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(typed)), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 1);
}

TEST_P(DocumentStatusTest, RecipientsAreRemovedPerDocument) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t other = AddDocument(DocumentRow().Type("ORDERS"));
  AddPublication(doc, "anna");
  AddPublication(other, "anna");
  document_.RemoveRecipientsForDocument(doc);
  EXPECT_EQ(Publications(doc), 0);
  EXPECT_EQ(Publications(other), 1);

  AddPublication(doc, "bob");
  document_.deleteAllUsersFromPublicationList(Variant(std::to_string(doc)));
  EXPECT_EQ(Publications(doc), 0);
  document_.deleteAllUsersFromPublicationList(Variant(other));
  EXPECT_EQ(Publications(other), 0);
}

TEST_P(DocumentStatusTest, APublicationListIdThatIsNotANumberNeverReachesSql) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS"));
  AddPublication(doc, "anna");
  for (const Variant& id :
       {Variant("1 OR 1=1"), Variant(std::to_string(doc) + "; DELETE FROM DOCUMENT"),
        Variant::MakeNull()}) {
    const auto raised = ErrorOf([&] { document_.deleteAllUsersFromPublicationList(id); });
    ASSERT_TRUE(raised);
    EXPECT_NE(raised->description().find("Velmora.Document.deleteAllUsersFromPublicationList"),
              std::string::npos);
  }
  EXPECT_EQ(Publications(doc), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 1);
}

TEST_P(DocumentStatusTest, SetParentDocumentLinksTheChild) {
  const int32_t parent = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t child = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t bystander = AddDocument(DocumentRow().Type("ORDERS"));
  document_.setParentDocument(child, parent);
  EXPECT_EQ(Column(child, "DOC_DOCUMENTID").ToInt32(), parent);
  EXPECT_TRUE(Column(bystander, "DOC_DOCUMENTID").IsNull());
  EXPECT_EQ(document_.GetParentDocIdOfDocument(child), parent);
  EXPECT_EQ(document_.GetParentDocIdOfDocument(bystander), -1);
  EXPECT_EQ(document_.GetParentDocIdOfDocument(987654), -1);
}

TEST_P(DocumentStatusTest, SetParentDocumentRefusesItselfCyclesAndMissingParents) {
  const int32_t top = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t middle = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t leaf = AddDocument(DocumentRow().Type("ORDERS"));
  document_.setParentDocument(middle, top);
  document_.setParentDocument(leaf, middle);
  for (const auto& [child, parent] :
       std::vector<std::pair<int32_t, int32_t>>{{top, top}, {top, leaf}, {top, 987654}}) {
    SCOPED_TRACE(std::to_string(child) + " <- " + std::to_string(parent));
    const auto raised = ErrorOf([&] { document_.setParentDocument(child, parent); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_TRUE(Column(top, "DOC_DOCUMENTID").IsNull());
  }
  document_.setParentDocument(leaf, 0);
  EXPECT_EQ(Column(leaf, "DOC_DOCUMENTID").ToInt32(), 0);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentStatusTest);

}  // namespace
}  // namespace velmora
