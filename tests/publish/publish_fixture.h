#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "core/sql_literals.h"
#include "document/document_rows.h"
#include "platform/host/membership_database.h"
#include "support/expectations.h"
#include "support/temp_folder.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"

// The installation the processing and publishing tests run on: partner 10 (Acme) with sender
// sam ("Sam Sender"), allowed to publish ORDERS ("Purchase orders"); partner 20 (Brix) with
// rita and ron on the distribution list of ORDERS. Working folders (error, pick-up,
// attachments, style sheets) live in the test's own folder.
namespace velmora::testing {

inline constexpr const char* kOrder =
    "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER><USESDISTLIST>1</USESDISTLIST>"
    "<B2BSHOW>1</B2BSHOW><LINE>5 bolts</LINE></ORDER>";

// "Velmora.Notification" as the program offers it: counts its SendNotifications calls and
// runs `fault` (when set) to fail them.
class FakeNotification : public core::Dispatch {
 public:
  std::string TypeName() const override { return "FakeNotification"; }
  bool HasMethod(const std::string& method) const override { return method == "SendNotifications"; }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    if (!HasMethod(method) || args.size() != 1) {
      throw Error(kErrUnknownMethod, "FakeNotification", "unexpected call " + method);
    }
    documents.push_back(args[0].ToInt32());
    if (fault) {
      fault();
    }
    return Variant();
  }

  std::vector<int32_t> documents;
  std::function<void()> fault;
};

class PublishTest : public DocumentDbTest {
 protected:
  void SetUpDatabase() override {
    DocumentDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    folder_ = std::make_unique<TempFolder>();
    WriteFile(Home() + "/config/SiteConfiguration.xml",
              "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">svc</key>"
              "<key name=\"MemScriptCode\">code</key></section><section name=\"GLOBAL\">"
              "<key name=\"IISVirtId\">/portal</key></section></configuration>");
    host::MembershipDatabase directory([this] { return Open(); });
    directory.InsertPartner({10, "Acme", "", ""});
    directory.InsertPartner({20, "Brix", "", ""});
    for (const auto& [user, partner] :
         std::vector<std::pair<std::string, int32_t>>{{"sam", 10}, {"rita", 20}, {"ron", 20}}) {
      host::MemberRecord record;
      record.user_id = user;
      record.business_partner_id = partner;
      record.email_address = user + "@example.com";
      record.first_name = user == "sam" ? "Sam" : "";
      record.last_name = user == "sam" ? "Sender" : "";
      directory.InsertUser(record);
    }
    AddType("ORDERS", "Purchase orders");
    AllowSender("ORDERS", "sam", 10);
    ListRecipient("ORDERS", "rita", 20);
    ListRecipient("ORDERS", "ron", 20);
    for (const auto& [name, sub] :
         std::vector<std::pair<std::string, std::string>>{{"XMLErrorPath", "error/"},
                                                          {"XMLPath2", "pickup/"},
                                                          {"AttachmentsFolder", "att/"},
                                                          {"TransformXSLPath", "xsl/"}}) {
      std::filesystem::create_directories(Dir(sub));
      SetParameter(name, Dir(sub));
    }
    SetParameter("AttachmentsVirtualPath", "http://localhost/att/");
    notification_ = std::make_shared<FakeNotification>();
    notification_scope_ = std::make_unique<core::ScopedComponent>(
        "Velmora.Notification", [n = notification_] { return ObjectRef(n); });
  }

  void TearDown() override {
    notification_scope_.reset();
    folder_.reset();
    DocumentDbTest::TearDown();
  }

  std::string Dir(const std::string& rest) const { return folder_->path() + "/" + rest; }

  void AddType(const std::string& type, const std::string& description) {
    Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES (" + core::SqlText(type) +
         ", " + core::SqlText(description) + ")");
  }
  void AllowSender(const std::string& type, const std::string& user, int32_t partner) {
    Exec("INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES (" +
         core::SqlText(type) + ", " + core::SqlText(user) + ", " + core::SqlLong(partner) + ")");
  }
  void ListRecipient(const std::string& type, const std::string& user, int32_t partner) {
    Exec(
        "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, EMAIL) "
        "VALUES (" +
        core::SqlText(type) + ", " + core::SqlText(user) + ", " + core::SqlLong(partner) + ", 1)");
  }

  int32_t Count(const std::string& sql) { return Scalar(sql).ToInt32(); }
  int32_t Documents() { return Count("SELECT COUNT(*) FROM DOCUMENT"); }
  // The LABEL of each PUBLICATIONERRORS row of `doc`, in the order written.
  std::vector<std::string> ErrorLabels(int32_t doc) {
    std::vector<std::string> labels;
    auto connection = Open();
    auto rows = connection->Query("SELECT LABEL FROM PUBLICATIONERRORS WHERE DOCUMENTID = " +
                                  std::to_string(doc) + " ORDER BY PUBLICATIONERRORID");
    for (; !rows->IsEOF(); rows->MoveNext()) {
      labels.push_back(rows->Field("LABEL").ToText());
    }
    return labels;
  }
  // The files below `sub` of the test's folder, as paths relative to it.
  std::vector<std::string> FilesBelow(const std::string& sub) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir(sub))) {
      if (entry.is_regular_file()) {
        files.push_back(std::filesystem::relative(entry.path(), Dir(sub)).string());
      }
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  std::unique_ptr<TempFolder> folder_;
  std::shared_ptr<FakeNotification> notification_;
  std::unique_ptr<core::ScopedComponent> notification_scope_;
};

inline bool RaisedProcessingError(const std::optional<Error>& error) {
  return error && error->number() == ErrNumber(EnumerationErrors::ProcessDocumentError);
}

}  // namespace velmora::testing
