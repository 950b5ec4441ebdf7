#pragma once

#include <string>
#include <vector>

#include "core/file_service.h"
#include "core/publication_errors.h"
#include "core/sql_literals.h"
#include "routing/recipients/recipients_fixture.h"
#include "support/fake_mail_transport.h"
#include "velmora/base/enumeration_errors.h"

// Document mails on the recipients' installation: dave (partner 30) sends ORDERS documents and
// asks for his confirmation; alice and bob (partner 10) and carol (20) receive them by mail.
// Mails go to a FakeMailTransport.
namespace velmora::testing {

class MailTest : public RecipientsTest {
 protected:
  void SetUpDatabase() override {
    RecipientsTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    Exec(
        "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, NOTIFICATION, "
        "ATTACHMENTS, HTMLATTACHMENT) VALUES ('ORDERS', 'dave', 30, 1, 0, 0)");
    SetParameter("SiteLink", "http://portal.example.com");
    SetParameter("SiteLinkStartingPoint", "doc page/");
  }

  // A published ORDERS document of dave with a publication for each user (status 0 unless
  // given).
  int32_t Published(const std::vector<std::pair<std::string, int16_t>>& publications) {
    const int32_t doc =
        AddDocument(DocumentRow().Type("ORDERS").Sender("dave").Status(1).Body("<ORDER/>"));
    for (const auto& [user, status] : publications) {
      AddPublication(doc, user, status);
    }
    return doc;
  }

  // The receivers of the mails sent, in order.
  std::vector<std::string> Receivers() {
    std::vector<std::string> receivers;
    for (const mail::Message& message : mail_->Sent()) {
      receivers.push_back(message.to);
    }
    return receivers;
  }

  ScopedFakeMail mail_;
};

}  // namespace velmora::testing
