#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/host/membership_database.h"
#include "velmora/base/variant.h"

namespace velmora::host {

// "KxCommon.BusinessPartner": the partner register of the host framework, over table
// BUSINESSPARTNER of Velmora's own database. Not safe for concurrent use; each call opens and
// closes its own connection.
class BusinessPartner : public Object {
 public:
  std::string TypeName() const override { return "KxCommon.BusinessPartner"; }

  // The name of partner `business_partner_id`. Raises NotPresent naming the id when the
  // register has no such partner.
  virtual std::string GetName(int32_t business_partner_id) = 0;
  // The id, as decimal text, of the partner whose code of kind `kind` (0 or 1) is `code`,
  // compared exactly. Raises NotPresent naming the code and kind when no partner has it, and
  // kErrInvalidProcedureCall for another kind or an empty code.
  virtual std::string GetIDByCode(const std::string& code, int32_t kind) = 0;
};

std::shared_ptr<BusinessPartner> NewBusinessPartner(ConnectionFactory open);

}  // namespace velmora::host
