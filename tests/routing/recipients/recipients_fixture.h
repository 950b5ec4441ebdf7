#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "core/sql_literals.h"
#include "document/document_rows.h"
#include "platform/host/membership_database.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

// The installation the recipient tests run on: document type ORDERS ("Purchase orders") with
// alice and bob (partner 10, codes "AC" / "ACS"), carol and kQuotedUser (partner 20, no
// codes) on its list, and dave (partner 30) known to the directory but on no list; a fake
// "Velmora.OBI" that calls a document OBI when its root element begins with "OBI".
namespace velmora::testing {

inline constexpr const char* kQuotedUser = "O'Brien \"Ü\"";

// The OBI service as the automation layer offers it: GetObiDocumentInfo(DOM, text, type,
// sender partner, sender user, receiver partner, receiver user).
class FakeObi : public core::Dispatch {
 public:
  explicit FakeObi(std::shared_ptr<int> calls) : calls_(std::move(calls)) {}
  std::string TypeName() const override { return "FakeObi"; }
  bool HasMethod(const std::string& method) const override {
    return method == "GetObiDocumentInfo";
  }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    if (!HasMethod(method) || args.size() != 7) {
      throw Error(kErrUnknownMethod, "FakeObi", "unexpected call " + method);
    }
    ++*calls_;
    auto dom = args[0].As<xml::Document>();
    const std::optional<xml::Node> root = dom ? dom->DocumentElement() : std::nullopt;
    if (!root || root->Name().rfind("OBI", 0) != 0) {
      return Variant(false);
    }
    const std::optional<xml::Node> receiver =
        dom->SelectSingleNode("/" + root->Name() + "/Envelope/Receiver/PartnerName");
    args[2] = Variant(root->Name());
    args[5] = args[6] = Variant(receiver ? receiver->Text() : std::string());
    return Variant(true);
  }

 private:
  std::shared_ptr<int> calls_;
};

class RecipientsTest : public DocumentDbTest {
 protected:
  void SetUpDatabase() override {
    DocumentDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    WriteFile(Home() + "/config/SiteConfiguration.xml",
              "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">svc</key>"
              "<key name=\"MemScriptCode\">code</key></section><section name=\"GLOBAL\">"
              "<key name=\"IISVirtId\">/portal</key></section></configuration>");
    host::MembershipDatabase directory([this] { return Open(); });
    directory.InsertPartner({10, "Acme", "AC", "ACS"});
    directory.InsertPartner({20, "Brix", "", ""});
    directory.InsertPartner({30, "Cogs", "CG", ""});
    for (const auto& [user, partner] : std::vector<std::pair<std::string, int32_t>>{
             {"alice", 10}, {"bob", 10}, {"carol", 20}, {kQuotedUser, 20}, {"dave", 30}}) {
      host::MemberRecord record;
      record.user_id = user;
      record.business_partner_id = partner;
      record.email_address = user + "@example.com";
      directory.InsertUser(record);
    }
    Exec(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('ORDERS', "
        "'Purchase orders')");
    ListUser("alice", 10);
    ListUser("bob", 10);
    ListUser("carol", 20);
    ListUser(kQuotedUser, 20);
  }

  void ListUser(const std::string& user, int32_t partner, const std::string& type = "ORDERS") {
    Exec(
        "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, EMAIL) "
        "VALUES (" +
        core::SqlText(type) + ", " + core::SqlText(user) + ", " + core::SqlLong(partner) + ", 1)");
  }

  // A document of type ORDERS whose XML body is `xml`.
  int32_t Order(const std::string& xml) {
    return AddDocument(DocumentRow().Type("ORDERS").Body(xml));
  }

  // The recipients of `doc`, ordered by user id.
  std::vector<std::string> Recipients(int32_t doc) {
    std::vector<std::string> users;
    const int32_t count =
        Count("SELECT COUNT(*) FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(doc));
    for (int32_t i = 0; i < count; ++i) {
      users.push_back(
          Scalar("SELECT USERID FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(doc) +
                 " ORDER BY USERID LIMIT 1 OFFSET " + std::to_string(i))
              .ToText());
    }
    return users;
  }

  // The publication error rows of `doc` in the order written: LABEL, ERRORNUMBER, DESCRIPTION,
  // SOURCE.
  struct ErrorRow {
    std::string label;
    int32_t number = 0;
    std::string description;
    std::string source;
  };
  std::vector<ErrorRow> Errors(int32_t doc) {
    std::vector<ErrorRow> rows;
    const int32_t count =
        Count("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE DOCUMENTID = " + std::to_string(doc));
    for (int32_t i = 0; i < count; ++i) {
      const std::string where =
          " FROM PUBLICATIONERRORS WHERE DOCUMENTID = " + std::to_string(doc) +
          " ORDER BY PUBLICATIONERRORID LIMIT 1 OFFSET " + std::to_string(i);
      rows.push_back({Scalar("SELECT LABEL" + where).ToText(),
                      Scalar("SELECT ERRORNUMBER" + where).ToInt32(),
                      Scalar("SELECT DESCRIPTION" + where).ToText(),
                      Scalar("SELECT SOURCE" + where).ToText()});
    }
    return rows;
  }

  std::string Body(int32_t doc) { return Column(doc, "XMLBODY").ToText(); }

  // Resolves `doc` with its stored type and body, as document processing does.
  int32_t Resolve(int32_t doc) {
    std::string type;
    std::string xml;
    return utility_.GetRecipientsAndFillPublicationTable(doc, type, xml);
  }

  Utility utility_;
  std::shared_ptr<int> obi_calls_ = std::make_shared<int>(0);
  core::ScopedComponent obi_{"Velmora.OBI",
                             [calls = obi_calls_] { return std::make_shared<FakeObi>(calls); }};
};

}  // namespace velmora::testing
