#include "platform/host/partner_register.h"

#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text_encoding.h"

namespace velmora::host {
namespace {

constexpr const char* kSource = "KxCommon.BusinessPartner";

class DatabaseBusinessPartner : public BusinessPartner {
 public:
  explicit DatabaseBusinessPartner(ConnectionFactory open) : database_(std::move(open)) {}

  std::string GetName(int32_t business_partner_id) override {
    std::optional<PartnerRecord> partner = database_.FindPartner(business_partner_id);
    if (!partner) {
      RaiseError(
          EnumerationErrors::NotPresent, kSource,
          "The partner register holds no business partner " + std::to_string(business_partner_id));
    }
    return partner->name;
  }

  std::string GetIDByCode(const std::string& code, int32_t kind) override {
    if (kind != 0 && kind != 1) {
      throw Error(kErrInvalidProcedureCall, kSource,
                  "Partner codes are of kind 0 or 1, not " + std::to_string(kind));
    }
    if (code.empty()) {
      throw Error(kErrInvalidProcedureCall, kSource, "No partner code was given");
    }
    std::optional<PartnerRecord> partner;
    if (text::IsValidUtf8(code) && code.find('\0') == std::string::npos) {
      partner = database_.FindPartnerByCode(kind, code);
    }
    if (!partner) {
      RaiseError(EnumerationErrors::NotPresent, kSource,
                 "No business partner has the code '" + code + "' of kind " + std::to_string(kind));
    }
    return std::to_string(partner->id);
  }

 private:
  MembershipDatabase database_;
};

}  // namespace

std::shared_ptr<BusinessPartner> NewBusinessPartner(ConnectionFactory open) {
  return std::make_shared<DatabaseBusinessPartner>(std::move(open));
}

}  // namespace velmora::host
