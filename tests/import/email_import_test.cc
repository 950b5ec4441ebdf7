// EMailImport on both engines, with Maildir mailboxes in the test's folder, administrator mails
// written into a pick-up folder and the import's temporary folders under $TMPDIR.
#include "velmora/import/email_import.h"

#include <filesystem>
#include <random>
#include <regex>

#include "automation/call_service.h"
#include "core/env.h"
#include "core/job_lock.h"
#include "platform/mail/mailbox.h"
#include "platform/mail/transports.h"
#include "publish/publish_fixture.h"
#include "support/fake_workbook.h"
#include "support/imap_requests.h"
#include "support/parsed_mail.h"
#include "support/scoped_environment.h"
#include "support/scoped_sheet_engine.h"
#include "support/test_peers.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::pair<std::string, std::string>>;

// A mail from sender@example.com with a text body and `files` attached as they are named.
std::string MailWith(const Files& files) {
  std::string mail =
      "From: sender@example.com\r\nSubject: in\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
      "Content-Type: text/plain\r\n\r\nsee attached\r\n";
  for (const auto& [name, content] : files) {
    mail +=
        "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
        "filename=\"" +
        name + "\"\r\n\r\n" + content + "\r\n";
  }
  return mail + "--b--\r\n";
}

// A mailbox whose messages cannot be deleted.
class UndeletableMailbox : public mail::Mailbox {
 public:
  explicit UndeletableMailbox(std::unique_ptr<mail::Mailbox> inner) : inner_(std::move(inner)) {}
  std::vector<std::string> List() override { return inner_->List(); }
  std::string Fetch(const std::string& id) override { return inner_->Fetch(id); }
  void Delete(const std::string&) override {
    throw Error(mail::kErrMailboxFailed, "Velmora.Mailbox", "The mailbox is read-only.");
  }

 private:
  std::unique_ptr<mail::Mailbox> inner_;
};

class EmailImportTest : public PublishTest {
 protected:
  void SetUpDatabase() override {
    PublishTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    fs::create_directories(Dir("import"));
    fs::create_directories(Dir("tmp"));
    SetParameter("XMLPath1", Dir("import/"));
    tmpdir_ = std::make_unique<ScopedEnvironmentVariable>("TMPDIR", Dir("tmp"));
    core::Env env = core::CurrentEnv();
    env.mail = mail::NewPickupTransport(Dir("admin-mail"));
    env.open_mailbox = [this](const std::string& address) -> std::unique_ptr<mail::Mailbox> {
      opened_.push_back(address);
      auto mailbox = mail::OpenMailbox("maildir:" + Maildir(address), {});
      if (undeletable_) {
        return std::make_unique<UndeletableMailbox>(std::move(mailbox));
      }
      return mailbox;
    };
    env_ = std::make_unique<core::ScopedEnv>(std::move(env));
  }

  void TearDown() override {
    env_.reset();
    tmpdir_.reset();
    PublishTest::TearDown();
  }

  std::string Maildir(const std::string& address) {
    for (const char* sub : {"new", "cur", "tmp"}) {
      fs::create_directories(Dir("mailboxes/" + address + "/" + sub));
    }
    return Dir("mailboxes/" + address);
  }
  void Deliver(const std::string& address, const std::string& file, const std::string& bytes) {
    WriteFile(Maildir(address) + "/new/" + file, bytes);
  }
  std::vector<std::string> Inbox(const std::string& address) {
    return mail::OpenMailbox("maildir:" + Maildir(address), {})->List();
  }
  std::vector<std::string> Names(const std::string& sub) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir(sub))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<ParsedMail> AdminMails() {
    std::vector<ParsedMail> mails;
    if (fs::exists(Dir("admin-mail"))) {
      for (const auto& entry : fs::directory_iterator(Dir("admin-mail"))) {
        mails.push_back(ParseMail(ReadFile(entry.path().string())));
      }
    }
    return mails;
  }

  std::unique_ptr<ScopedEnvironmentVariable> tmpdir_;
  std::unique_ptr<core::ScopedEnv> env_;
  std::vector<std::string> opened_;
  bool undeletable_ = false;
  EMailImport import_;
};

TEST_P(EmailImportTest, WithBothUsersEmptyAMailboxIsNeverOpened) {
  SetParameter("EmailImportLocalSMTPServer", "");
  SetParameter("XMLErrorPath", "");
  const JobRunReport report = import_.RunOnce({});
  EXPECT_TRUE(opened_.empty());
  EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
  EXPECT_FALSE(Logged("EmailImport"));
}

TEST_P(EmailImportTest, DropWritesXmlAndWorkbookAttachmentsAndKeepsOtherMails) {
  SetParameter("EmailImportSMTPUserID", "drop");
  WriteFile(Dir("import/b.xls"), "older");
  Deliver("drop@localhost", "1", MailWith({{"a.XML", "<a/>"}, {"notes.txt", "n"}}));
  Deliver("drop@localhost", "2", MailWith({{"notes.txt", "only text"}}));
  Deliver("drop@localhost", "3", MailWith({{"b.xls", "newer"}}));
  Deliver("drop@localhost", "4", MailWith({{"../evil.xml", "<e/>"}}));
  const JobRunReport report = import_.RunOnce({});
  const std::vector<std::string> names = Names("import");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "a.XML");
  EXPECT_EQ(ReadFile(Dir("import/a.XML")), "<a/>");
  EXPECT_TRUE(std::regex_match(names[2], std::regex("b_rad[0-9a-fA-F]{5}\\.xls"))) << names[2];
  EXPECT_EQ(ReadFile(Dir("import/" + names[2])), "newer");
  EXPECT_FALSE(fs::exists(Dir("evil.xml")));
  EXPECT_EQ(Inbox("drop@localhost"), (std::vector<std::string>{"new/2", "new/4"}));
  EXPECT_EQ(std::make_tuple(report.found, report.moved, report.left), std::make_tuple(4, 2, 2));
  EXPECT_TRUE(Logged("The attachment name '../evil.xml' of the e-mail from"));
}

TEST_P(EmailImportTest, DocumentMailPublishesTheFirstXmlWithTheOtherFilesAttached) {
  SetParameter("EmailImportForDocumentAttachmentsUserID", "docs");
  Deliver("docs@localhost", "1",
          MailWith({{"data.xls", "not a workbook"}, {"order.xml", kOrder}, {"terms.pdf", "%"}}));
  const JobRunReport report = import_.RunOnce({});
  EXPECT_EQ(report.published, 1);
  EXPECT_EQ(Documents(), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM ATTACHMENT WHERE ATTACHMENTFILENAME IN "
                  "('data.xls', 'terms.pdf')"),
            2);
  EXPECT_TRUE(Inbox("docs@localhost").empty());
  for (const std::string& name : Names("tmp")) {
    EXPECT_NE(name.front(), 'F') << "temporary folder left: " << name;
  }
}

TEST_P(EmailImportTest, WithASpreadsheetEngineTheFirstWorkbookIsTheDocument) {
  SetParameter("EmailImportForDocumentAttachmentsUserID", "docs");
  const ScopedSheetEngine engine(std::make_shared<FakeEngine>());
  Deliver("docs@localhost", "1",
          MailWith({{"data.xls", "not a workbook"}, {"order.xml", kOrder}, {"terms.pdf", "%"}}));
  const JobRunReport report = import_.RunOnce({});
  EXPECT_EQ(std::make_tuple(report.published, report.refused), std::make_tuple(0, 1));
  EXPECT_EQ(Documents(), 0);
  std::vector<std::string> kept;
  for (const std::string& file : FilesBelow("error")) {
    kept.push_back(fs::path(file).filename().string());
  }
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"data.xls", "message.eml", "order.xml", "terms.pdf"}));
  EXPECT_TRUE(Inbox("docs@localhost").empty());
}

TEST_P(EmailImportTest, AMailWithoutDocumentGoesToAnErrorFolderAndTheAdministratorIsMailed) {
  SetParameter("EmailImportForDocumentAttachmentsUserID", "docs");
  Deliver("docs@localhost", "1", MailWith({}));
  const JobRunReport report = import_.RunOnce({});
  EXPECT_EQ(report.refused, 1);
  EXPECT_TRUE(Inbox("docs@localhost").empty());
  const std::vector<std::string> kept = FilesBelow("error");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(fs::path(kept[0]).filename(), "message.eml");
  const std::vector<ParsedMail> mails = AdminMails();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].subject, "E-mail import: a message could not be imported");
  EXPECT_TRUE(Contains(mails[0].body,
                       "The e-mail from 'sender@example.com' could not be "
                       "imported.\r\n\r\nIts attachments have been saved in"));
}

TEST_P(EmailImportTest, AMailThatCannotBeDeletedDisablesTheDocumentImport) {
  SetParameter("EmailImportForDocumentAttachmentsUserID", "docs");
  undeletable_ = true;
  Deliver("docs@localhost", "1", MailWith({{"order.xml", kOrder}}));
  Deliver("docs@localhost", "2", MailWith({{"order.xml", kOrder}}));
  EXPECT_EQ(import_.RunOnce({}).left, 2);
  EXPECT_EQ(Documents(), 1);
  EXPECT_EQ(import_.GetEmailParameter("EmailImportForDocumentAttachmentsUserID"), "~docs");
  const std::vector<ParsedMail> mails = AdminMails();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_TRUE(Contains(mails[0].body,
                       "The import was disabled by putting a ~ in front of the "
                       "value of the parameter "
                       "'EmailImportForDocumentAttachmentsUserID'."));
}

TEST_P(EmailImportTest, ARunWhileAnotherHoldsTheLockDoesNothing) {
  SetParameter("EmailImportSMTPUserID", "drop");
  Deliver("drop@localhost", "1", MailWith({{"a.xml", "<a/>"}}));
  const auto held = core::TryLockJob("email-import");
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(import_.RunOnce({}).skipped);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(Inbox("drop@localhost").size(), 1u);
}

TEST_P(EmailImportTest, DropsFromTheImapMailboxOfTheSiteConfiguration) {
  std::string host, port, user, password;
  VELMORA_REQUIRE_PEER(host, "VELMORA_TEST_IMAP_HOST");
  VELMORA_REQUIRE_PEER(port, "VELMORA_TEST_IMAP_PORT");
  VELMORA_REQUIRE_PEER(user, "VELMORA_TEST_IMAP_USER");
  VELMORA_REQUIRE_PEER(password, "VELMORA_TEST_IMAP_PASSWORD");
  const std::string box = "e" + std::to_string(std::random_device()());
  const std::string server = "imap://" + user + ":" + password + "@" + host + ":" + port + "/";
  ASSERT_EQ(ImapRequest(server + "INBOX", "CREATE " + box), "");
  ASSERT_EQ(ImapRequest(server + box, "", MailWith({{"a.xml", "<a/>"}})), "");
  WriteFile(Home() + "/config/SiteConfiguration.xml",
            "<configuration><section name=\"MAILBOXES\"><key name=\"drop@localhost\">" + server +
                box + "</key></section></configuration>");
  core::Env env = core::CurrentEnv();
  env.open_mailbox = nullptr;
  const core::ScopedEnv site_mailboxes(std::move(env));
  SetParameter("EmailImportSMTPUserID", "drop");
  EXPECT_EQ(import_.RunOnce({}).moved, 1);
  EXPECT_EQ(ReadFile(Dir("import/a.xml")), "<a/>");
  EXPECT_TRUE(mail::OpenMailbox(server + box, {})->List().empty());
}

TEST_P(EmailImportTest, MailsStayWhenTheirFilesCannotBeWritten) {
  WriteFile(Dir("not-a-folder"), "");
  SetParameter("EmailImportSMTPUserID", "drop");
  SetParameter("XMLPath1", Dir("missing/"));
  SetParameter("EmailImportForDocumentAttachmentsUserID", "docs");
  SetParameter("XMLErrorPath", Dir("not-a-folder/"));
  Deliver("drop@localhost", "1", MailWith({{"a.xml", "<a/>"}}));
  Deliver("docs@localhost", "1", MailWith({{"notes.txt", "no document"}}));
  const JobRunReport report = import_.RunOnce({});
  EXPECT_EQ(std::make_tuple(report.found, report.left, report.refused), std::make_tuple(2, 2, 0));
  EXPECT_EQ(Inbox("drop@localhost").size(), 1u);
  EXPECT_EQ(Inbox("docs@localhost").size(), 1u);
  EXPECT_TRUE(
      Logged("The attachment 'a.xml' of the e-mail from 'sender@example.com' could not be "
             "saved.\r\nDestination folder: '" +
             Dir("missing/") + "'."));
  EXPECT_TRUE(Logged("Its attachments could not be saved in the folder"));
}

TEST_P(EmailImportTest, AStopRequestLeavesTheMailsNotReachedInTheMailbox) {
  SetParameter("EmailImportSMTPUserID", "drop");
  Deliver("drop@localhost", "1", MailWith({{"a.xml", "<a/>"}}));
  Deliver("drop@localhost", "2", MailWith({{"b.xml", "<b/>"}}));
  std::stop_source stop;
  stop.request_stop();
  const JobRunReport report = import_.RunOnce(stop.get_token());
  EXPECT_EQ(std::make_tuple(report.found, report.moved, report.left), std::make_tuple(2, 0, 2));
  EXPECT_EQ(Inbox("drop@localhost").size(), 2u);
}

TEST_P(EmailImportTest, IsReachedThroughTheAutomationLayer) {
  SetParameter("AdminEmailAddress", "admin@example.com");
  const auto reply = automation::CallAndReply("Velmora.EMailImport", "GetEmailParameter",
                                              {Variant("AdminEmailAddress")});
  ASSERT_FALSE(reply.failed) << reply.json;
  EXPECT_TRUE(Contains(reply.json, "\"result\":\"admin@example.com\"")) << reply.json;
  EXPECT_FALSE(automation::CallAndReply("Velmora.EMailImport", "Run", {}).failed);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(EmailImportTest);

}  // namespace
}  // namespace velmora::testing
