// `velmora inbox|outbox|errors` and `velmora show` on a fresh installation holding the box
// documents of tests/boxes/box_documents.h.
#include <string>
#include <vector>

#include "app/admin_program_test.h"
#include "boxes/box_documents.h"

namespace velmora::app {
namespace {

using testing::Contains;

class BoxesCommandsTest : public AdminProgramTest {
 protected:
  void SetUpDatabase() override {
    AdminProgramTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    Init();
    auto connection = ProgramDatabase();
    boxes::SeedBoxDocuments([&](const std::string& sql) { connection->Execute(sql); });
  }

  Outcome Velmora(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--home", home_});
    return RunVelmora(arguments);
  }

  // The records a list or show command printed with --json.
  Variant JsonOf(std::vector<std::string> arguments) {
    arguments.push_back("--json");
    const Outcome outcome = Velmora(arguments);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
    return json::Parse(outcome.output);
  }

  std::vector<int32_t> ListedIds(const std::vector<std::string>& arguments) {
    std::vector<int32_t> ids;
    const Variant list = Field(JsonOf(arguments), "documents");
    for (const Variant& record : list.AsArray().values()) {
      ids.push_back(Field(record, "DOCUMENTID").ToInt32());
    }
    return ids;
  }

  void ExpectRefused(const std::vector<std::string>& arguments, const std::string& message) {
    const Outcome outcome = Velmora(arguments);
    EXPECT_EQ(outcome.exit_code, 1) << outcome.output;
    EXPECT_TRUE(Contains(outcome.output, message)) << "expected: " << message << "\n"
                                                   << outcome.output;
  }
};

TEST_P(BoxesCommandsTest, ListsShowEachBoxNewestFirstWithTheTypesTags) {
  const std::vector<std::string> who = {"--user", "o'neil", "--type", "ORD'ER"};
  const auto with = [&](const char* command) {
    std::vector<std::string> arguments = {command};
    arguments.insert(arguments.end(), who.begin(), who.end());
    return arguments;
  };
  EXPECT_EQ(ListedIds(with("inbox")), (std::vector<int32_t>{1, 9}));
  EXPECT_EQ(ListedIds(with("outbox")), (std::vector<int32_t>{7, 6}));
  EXPECT_EQ(ListedIds(with("errors")), (std::vector<int32_t>{7, 6, 1}));

  const Variant first = Field(JsonOf(with("inbox")), "documents").AsArray().At(0);
  EXPECT_EQ(Field(first, "SENDER").ToText(), "sam");
  EXPECT_EQ(Field(first, "PUBLICATIONSTATUS").ToInt32(), 0);
  EXPECT_TRUE(Field(first, "CHILDREN").ToBool());
  EXPECT_EQ(Field(first, "ATTACHMENTS").ToInt32(), 2);
  EXPECT_EQ(Field(first, "Order number").ToText(), "alpha");
  EXPECT_EQ(Field(first, "Buyer").ToText(), "beta's");
  EXPECT_TRUE(Field(first, "Amount").IsNull());

  const Outcome table = Velmora(with("outbox"));
  ASSERT_EQ(table.exit_code, 0) << table.output;
  EXPECT_TRUE(Contains(table.output,
                       "DOCUMENTID\tCREATIONDATE\tSENDER\tDOCUMENTSTATUS\tCHILDREN\t"
                       "ATTACHMENTS\tOrder number\tBuyer\tAmount\n"))
      << table.output;
  EXPECT_TRUE(Contains(table.output, "\n6\t2026-01-07 10:00:00\to'neil\t1\tyes\t0\tsix\t\t\n"))
      << table.output;
}

TEST_P(BoxesCommandsTest, FiltersNarrowTheList) {
  EXPECT_EQ(ListedIds({"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter",
                       "PUBLICATION.STATUS=New"}),
            (std::vector<int32_t>{1}));
  EXPECT_EQ(ListedIds({"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter",
                       "DOCUMENT.SENDER like s?m", "--filter", "DOCUMENT.DOCUMENTID>=5"}),
            (std::vector<int32_t>{9}));
  EXPECT_EQ(ListedIds({"outbox", "--user", "o'neil", "--type", "ORD'ER", "--filter",
                       "DOCUMENT.STATUS = Sent"}),
            (std::vector<int32_t>{7}));
}

TEST_P(BoxesCommandsTest, BadListInputIsRefusedWithAClearMessage) {
  ExpectRefused({"inbox", "--type", "ORD'ER"}, "velmora inbox: --user must not be empty");
  ExpectRefused({"outbox", "--user", "o'neil"}, "velmora outbox: --type must not be empty");
  ExpectRefused({"inbox", "--user", "nobody", "--type", "ORD'ER"},
                "The user 'nobody' does not exist");
  ExpectRefused({"errors", "--user", "o'neil", "--type", "NONE"},
                "velmora errors: The document type 'NONE' does not exist");
  ExpectRefused({"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter", "DOCUMENTID=1"},
                "is not a qualified column, an operator");
  ExpectRefused(
      {"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter", "DOCUMENT.DOCUMENTID=-1"},
      "The filter value entered for 'Document ID' is not valid. Enter a whole number from 1 to "
      "999999999.");
  ExpectRefused(
      {"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter", "PUBLICATION.STATUS=N*"},
      "Wildcards (*) cannot be used in a status filter.");
  ExpectRefused(
      {"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter", "DOCUMENT.DOCUMENTID=1 OR 1=1"},
      "The filter value entered for 'Document ID' is not valid.");
}

TEST_P(BoxesCommandsTest, ListsComeAPageAtATimeWithTheCursorOfTheNextPage) {
  const std::vector<std::string> errors = {"errors", "--user",  "o'neil", "--type",
                                           "ORD'ER", "--limit", "2"};
  const Variant first = JsonOf(errors);
  const std::string next = Field(first, "next").ToText();
  ASSERT_FALSE(next.empty());
  std::vector<std::string> rest = errors;
  rest.insert(rest.end(), {"--after", next});
  EXPECT_EQ(ListedIds(errors), (std::vector<int32_t>{7, 6}));
  EXPECT_EQ(ListedIds(rest), (std::vector<int32_t>{1}));
  EXPECT_TRUE(Field(JsonOf(rest), "next").ToText().empty());
  const Outcome table = Velmora(errors);
  EXPECT_TRUE(Contains(table.output, "next page: --after " + next + "\n")) << table.output;

  ExpectRefused(
      {"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter", "DOCUMENT.NOSUCH LIKE a"},
      "velmora inbox: The filter 'DOCUMENT.NOSUCH LIKE ' names no column of the inbox");
  ExpectRefused(
      {"inbox", "--user", "o'neil", "--type", "ORD'ER", "--filter", "DOCUMENT.SENDER=sam"},
      "velmora inbox: The filter 'DOCUMENT.SENDER = ' does not narrow the inbox");
  ExpectRefused({"outbox", "--user", "o'neil", "--type", "ORD'ER", "--limit", "0"},
                "velmora outbox: The limit 0 is outside 1 ... 1000 rows per page.");
  ExpectRefused({"outbox", "--user", "o'neil", "--type", "ORD'ER", "--after", "D3-1"},
                "velmora outbox: The cursor 'D3-1' is not one that BoxList.List handed out");
}

TEST_P(BoxesCommandsTest, InitOnAnExistingHomeAddsTheIndexesOfTheLists) {
  const std::string catalog =
      IsSqlite()
          ? "SELECT COUNT(*) AS N FROM sqlite_master WHERE type = 'index' AND name = "
            "'IX_DOCUMENT_TYPE_CREATED'"
          : "SELECT COUNT(*) AS N FROM pg_indexes WHERE indexname = 'ix_document_type_created'";
  auto count = [&] { return ProgramDatabase()->Query(catalog)->Field("N").ToInt32(); };
  ProgramDatabase()->Execute("DROP INDEX IX_DOCUMENT_TYPE_CREATED");
  ASSERT_EQ(count(), 0);
  Init();
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(ListedIds({"inbox", "--user", "o'neil", "--type", "ORD'ER"}),
            (std::vector<int32_t>{1, 9}));
}

TEST_P(BoxesCommandsTest, ShowPrintsTheRecipientsOrTheSendersViewWithAttachments) {
  const Variant received = JsonOf({"show", "1", "--user", "o'neil"});
  EXPECT_EQ(Field(received, "VIEW").ToText(), "recipient");
  EXPECT_EQ(Field(received, "SENDER").ToText(), "sam");
  EXPECT_EQ(Field(received, "DESCRIPTION").ToText(), "Orders");
  EXPECT_EQ(Field(received, "PUBLICATIONSTATUS").ToInt32(), 0);
  const VariantArray tags = Field(received, "TAGS").AsArray();
  ASSERT_EQ(tags.Count(), 2u);
  EXPECT_EQ(Field(tags.At(0), "DESCRIPTION").ToText(), "Order number");
  EXPECT_EQ(Field(tags.At(1), "VALUE").ToText(), "beta's");
  const VariantArray attachments = Field(received, "ATTACHMENTS").AsArray();
  ASSERT_EQ(attachments.Count(), 2u);
  EXPECT_EQ(Field(attachments.At(1), "ATTACHMENTFILENAME").ToText(), "price's list.xls");

  const Variant sent = JsonOf({"show", "6", "--user", "o'neil"});
  EXPECT_EQ(Field(sent, "VIEW").ToText(), "sender");
  EXPECT_EQ(Field(sent, "DOCUMENTSTATUS").ToInt32(), 1);
  EXPECT_EQ(Field(sent, "TAGS").AsArray().Count(), 3u);
  EXPECT_EQ(Field(sent, "ATTACHMENTS").AsArray().Count(), 0u);

  const Outcome plain = Velmora({"show", "1", "--user", "o'neil"});
  ASSERT_EQ(plain.exit_code, 0) << plain.output;
  EXPECT_TRUE(Contains(plain.output, "  Buyer:\tbeta's\n")) << plain.output;
  EXPECT_TRUE(Contains(plain.output, "  2\tprice's list.xls\n")) << plain.output;
}

TEST_P(BoxesCommandsTest, ShowRefusesDocumentsOutsideTheUsersBoxes) {
  ExpectRefused({"show", "2", "--user", "bob"},
                "velmora show: Document 2 is not in a box of user 'bob'");
  ExpectRefused({"show", "8", "--user", "o'neil"}, "Document 8 is not in a box of user 'o'neil'");
  ExpectRefused({"show", "404", "--user", "bob"}, "Document 404 is not in a box of user 'bob'");
  ExpectRefused({"show", "x1", "--user", "bob"}, "The document id must be a whole number");
  ExpectRefused({"show", "1"}, "--user must not be empty");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(BoxesCommandsTest);

}  // namespace
}  // namespace velmora::app
