#include "app/admin_store_queries.h"

#include "app/admin_runner.h"
#include "core/db_utils.h"
#include "document/document_type_store.h"
#include "platform/host/membership_database.h"

namespace velmora::app {
namespace {

host::MembershipDatabase Directory() {
  return host::MembershipDatabase([] { return core::GetConnection(); });
}

}  // namespace

void RequireDocumentType(const std::string& id) {
  if (!document::DocumentTypeStore().Exists(id)) {
    Missing("The document type '" + id + "' does not exist");
  }
}

int32_t PartnerOfUser(const std::string& user_id) {
  const std::optional<host::MemberRecord> user = Directory().FindUser(user_id);
  if (!user) {
    Missing("The user '" + user_id + "' does not exist");
  }
  return user->business_partner_id;
}

int32_t RequirePartner(const std::string& text) {
  const int32_t id = ParseId("The partner id", text);
  if (!Directory().FindPartner(id)) {
    Missing("The business partner " + text + " does not exist");
  }
  return id;
}

void RequireText(const std::string& what, const std::string& value, size_t max_chars) {
  if (value.empty()) {
    BadInput(what + " must not be empty");
  }
  if (value.size() > max_chars) {
    BadInput(what + " is longer than " + std::to_string(max_chars) + " characters");
  }
}

}  // namespace velmora::app
