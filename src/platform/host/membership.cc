#include "platform/host/membership.h"

#include <optional>

#include "platform/host/configuration.h"
#include "platform/host/membership_account.h"
#include "platform/host/password_hash.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

constexpr const char* kUserSource = "KxMembership.User";
constexpr const char* kMembersSource = "KxMembership.Members";
constexpr const char* kValidatorSource = "KxMembership.Validator";

// An Argon2id hash (interactive cost) of a random password nobody knows: unknown users and users
// without a password are checked against it, so that their answer takes as long as a real one.
constexpr const char* kNobodysHash =
    "$argon2id$v=19$m=65536,t=2,p=1$fjmsSvgi7bwy3vWl6RAvzQ$"
    "UqifbLZ98drZnPIqh8ppvwSyNZzOZo6HF6ax2J7dCjI";

constexpr const char* kFilterUserId = "cn=";
constexpr const char* kFilterEmployeeNumber = "employeenumber=";

class DatabaseMembershipUser : public MembershipUser {
 public:
  explicit DatabaseMembershipUser(ConnectionFactory open) : database_(std::move(open)) {}

  void Initialize(const std::string& config_file) override {
    account_ = ServiceAccount::FromSiteConfiguration(config_file);
  }

  void Bind(const std::string& user_id, const std::string& account,
            const std::string& code) override {
    user_.reset();
    if (!account_) {
      throw Error(kErrObjectRequired, kUserSource,
                  "The user object is not initialised with the site configuration");
    }
    account_->Check(account, code, kUserSource);
    if (user_id.empty()) {
      RaiseError(EnumerationErrors::MissingUserID, kUserSource, "No user id was given");
    }
    // Most users are bound for their address or partner; the applications are read when asked.
    std::optional<MemberRecord> found =
        database_.FindUser(user_id, MembershipDatabase::WithApplications::kNo);
    if (!found) {
      RaiseError(EnumerationErrors::NotPresent, kUserSource,
                 "The membership directory holds no user '" + user_id + "'");
    }
    user_ = std::move(found);
    applications_.reset();
  }

  std::string EmailAddress() const override { return Bound().email_address; }
  int32_t BusinessPartnerID() const override { return Bound().business_partner_id; }
  std::string LanguageID() const override { return std::to_string(Bound().language_id); }
  std::string UserID() const override { return Bound().user_id; }
  std::vector<int32_t> Applications() const override {
    const MemberRecord& user = Bound();
    if (!applications_) {
      applications_ = database_.ApplicationsOfUser(user.user_id);
    }
    return *applications_;
  }
  std::string FirstName() const override { return Bound().first_name; }
  std::string LastName() const override { return Bound().last_name; }

  std::string Value() const override {
    const MemberRecord& user = Bound();
    std::string name = user.first_name;
    if (!user.last_name.empty()) {
      name += (name.empty() ? "" : " ") + user.last_name;
    }
    return name.empty() ? user.user_id : name + " (" + user.user_id + ")";
  }

 private:
  const MemberRecord& Bound() const {
    if (!user_) {
      throw Error(kErrObjectRequired, kUserSource, "The user object is not bound to a user");
    }
    return *user_;
  }

  mutable MembershipDatabase database_;
  std::optional<ServiceAccount> account_;
  std::optional<MemberRecord> user_;
  // The bound user's applications, read on first use.
  mutable std::optional<std::vector<int32_t>> applications_;
};

class DatabaseMembershipMembers : public MembershipMembers {
 public:
  explicit DatabaseMembershipMembers(ConnectionFactory open) : database_(std::move(open)) {}

  void Initialize(const std::string& config_file) override {
    account_ = ServiceAccount::FromSiteConfiguration(config_file);
  }

  void Bind(const std::string& account, const std::string& code) override {
    bound_ = false;
    if (!account_) {
      throw Error(kErrObjectRequired, kMembersSource,
                  "The directory search is not initialised with the site configuration");
    }
    account_->Check(account, code, kMembersSource);
    bound_ = true;
  }

  std::unique_ptr<db::Recordset> Search(const Variant& filters, const Variant& attributes,
                                        int32_t max_rows) override {
    if (!bound_) {
      throw Error(kErrObjectRequired, kMembersSource,
                  "The directory search is not bound with the service account");
    }
    if (!(attributes.IsEmpty() || attributes.IsNull() ||
          (attributes.kind() == Variant::Kind::kText && attributes.ToText().empty()))) {
      throw Error(kErrInvalidProcedureCall, kMembersSource,
                  "The directory search returns the columns cn and BusinessPartnerID only; "
                  "its attribute list must be empty");
    }
    if (max_rows <= 0) {
      throw Error(
          kErrInvalidProcedureCall, kMembersSource,
          "The directory search needs a positive row limit, not " + std::to_string(max_rows));
    }
    const std::string filter = OneFilter(filters);
    MemberKey key = MemberKey::kUserId;
    std::string value;
    if (filter.rfind(kFilterUserId, 0) == 0) {
      value = filter.substr(std::string(kFilterUserId).size());
    } else if (filter.rfind(kFilterEmployeeNumber, 0) == 0) {
      key = MemberKey::kEmployeeNumber;
      value = filter.substr(std::string(kFilterEmployeeNumber).size());
    } else {
      throw Error(kErrInvalidProcedureCall, kMembersSource,
                  "Unsupported directory filter '" + filter +
                      "': use cn=<user id> or employeenumber=<employee number>");
    }
    if (value.empty()) {
      throw Error(kErrInvalidProcedureCall, kMembersSource,
                  "The directory filter '" + filter + "' has no value");
    }
    return database_.SearchUsers(key, value, max_rows);
  }

 private:
  static std::string OneFilter(const Variant& filters) {
    if (filters.kind() == Variant::Kind::kText) {
      return filters.ToText();
    }
    if (filters.IsArray()) {
      const VariantArray& array = filters.AsArray();
      if (array.dimensions() == 1 && array.Count() == 1) {
        const Variant& only = array.At(array.LBound());
        if (only.kind() == Variant::Kind::kText) {
          return only.ToText();
        }
      }
    }
    throw Error(kErrInvalidProcedureCall, kMembersSource,
                "The directory search takes one filter text, alone or in a one-element array");
  }

  MembershipDatabase database_;
  std::optional<ServiceAccount> account_;
  bool bound_ = false;
};

class DatabaseMembershipValidator : public MembershipValidator {
 public:
  DatabaseMembershipValidator(ConnectionFactory open, std::shared_ptr<PasswordHasher> hasher)
      : database_(std::move(open)), hasher_(std::move(hasher)) {}

  void Initialize(const std::string& config_file) override {
    auto configuration = NewXmlConfiguration();
    configuration->LoadFile(config_file);
    initialized_ = true;
  }

  bool Validate(const std::string& user_id, const std::string& password) override {
    if (!initialized_) {
      throw Error(kErrObjectRequired, kValidatorSource,
                  "The validator is not initialised with the site configuration");
    }
    std::optional<MemberRecord> user;
    if (!user_id.empty()) {
      user = database_.FindUser(user_id);
    }
    const bool has_password = user && !user->password_hash.empty();
    const bool matches =
        hasher_->Verify(has_password ? user->password_hash : kNobodysHash, password);
    return has_password && !password.empty() && matches;
  }

 private:
  MembershipDatabase database_;
  std::shared_ptr<PasswordHasher> hasher_;
  bool initialized_ = false;
};

}  // namespace

std::shared_ptr<MembershipUser> NewMembershipUser(ConnectionFactory open) {
  return std::make_shared<DatabaseMembershipUser>(std::move(open));
}

std::shared_ptr<MembershipMembers> NewMembershipMembers(ConnectionFactory open) {
  return std::make_shared<DatabaseMembershipMembers>(std::move(open));
}

std::shared_ptr<MembershipValidator> NewMembershipValidator(
    ConnectionFactory open, std::shared_ptr<PasswordHasher> hasher) {
  if (!hasher) {
    hasher = NewSodiumPasswordHasher();
  }
  return std::make_shared<DatabaseMembershipValidator>(std::move(open), std::move(hasher));
}

}  // namespace velmora::host
