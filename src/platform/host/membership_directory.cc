#include "platform/host/membership_directory.h"

#include <algorithm>

#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text_encoding.h"

namespace velmora::host {
namespace {

constexpr const char* kSource = "KxMembership.Directory";

// Column sizes of the directory tables, in characters.
constexpr size_t kUserIdChars = 255;
constexpr size_t kEmployeeNumberChars = 100;
constexpr size_t kEmailChars = 255;
constexpr size_t kNameFieldChars = 100;
constexpr size_t kPartnerNameChars = 255;
constexpr size_t kPartnerCodeChars = 100;
constexpr size_t kApplicationNameChars = 100;

[[noreturn]] void Refuse(const std::string& description) {
  throw Error(kErrInvalidProcedureCall, kSource, description);
}

size_t CharacterCount(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

void CheckPositiveId(const std::string& what, int32_t id) {
  if (id < 1) {
    Refuse(what + " must be a number of at least 1, not " + std::to_string(id));
  }
}

// One "@" with text on both sides, no blanks or control characters.
void CheckEmailAddress(const std::string& address) {
  CheckDirectoryText(kSource, "The e-mail address", address, kEmailChars, true);
  const size_t at = address.find('@');
  if (at == std::string::npos || at == 0 || at + 1 == address.size() ||
      address.find('@', at + 1) != std::string::npos || address.find(' ') != std::string::npos) {
    Refuse("'" + address + "' is not an e-mail address");
  }
}

VariantArray Texts(std::initializer_list<std::string> texts) {
  VariantArray array(texts.size());
  int32_t i = 0;
  for (const std::string& text : texts) {
    array.At(i++) = Variant(text);
  }
  return array;
}

[[noreturn]] void RefuseDelete(const std::string& what, const std::string& reason) {
  RaiseError(EnumerationErrors::ReferentialDelete, kSource,
             what + " cannot be removed: it is " + reason);
}

}  // namespace

void CheckDirectoryText(const std::string& source, const std::string& what,
                        const std::string& value, size_t max_chars, bool is_key) {
  if (!text::IsValidUtf8(value)) {
    throw Error(kErrInvalidProcedureCall, source, what + " is not valid UTF-8 text");
  }
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      throw Error(kErrInvalidProcedureCall, source, what + " holds a control character");
    }
  }
  if (CharacterCount(value) > max_chars) {
    throw Error(kErrInvalidProcedureCall, source,
                what + " is longer than " + std::to_string(max_chars) + " characters");
  }
  if (is_key && value.empty()) {
    throw Error(kErrInvalidProcedureCall, source, what + " is empty");
  }
  if (is_key && (value.front() == ' ' || value.back() == ' ')) {
    throw Error(kErrInvalidProcedureCall, source,
                what + " '" + value + "' begins or ends with a blank");
  }
}

MembershipDirectory::MembershipDirectory(ConnectionFactory open,
                                         std::shared_ptr<PasswordHasher> hasher,
                                         const ReferentialIntegrityRegistry& participants)
    : database_(std::move(open)), hasher_(std::move(hasher)), participants_(participants) {}

void MembershipDirectory::AddPartner(const PartnerRecord& partner) {
  CheckPositiveId("A business partner id", partner.id);
  CheckDirectoryText(kSource, "The partner name", partner.name, kPartnerNameChars, true);
  for (const auto& [kind, code] : {std::pair{0, &partner.code0}, std::pair{1, &partner.code1}}) {
    if (code->empty()) {
      continue;
    }
    CheckDirectoryText(kSource, "The partner code", *code, kPartnerCodeChars, true);
    if (auto owner = database_.FindPartnerByCode(kind, *code)) {
      RaiseError(EnumerationErrors::AlreadyPresent, kSource,
                 "The code '" + *code + "' of kind " + std::to_string(kind) +
                     " already belongs to business partner " + std::to_string(owner->id));
    }
  }
  if (database_.FindPartner(partner.id)) {
    RaiseError(EnumerationErrors::AlreadyPresent, kSource,
               "Business partner " + std::to_string(partner.id) + " already exists");
  }
  database_.InsertPartner(partner);
}

void MembershipDirectory::RemovePartner(int32_t partner_id) {
  const std::string what = "Business partner " + std::to_string(partner_id);
  if (!database_.FindPartner(partner_id)) {
    RaiseError(EnumerationErrors::NotPresent, kSource, what + " does not exist");
  }
  const std::vector<std::string> users = database_.UsersOfPartner(partner_id);
  if (!users.empty()) {
    std::string list;
    for (const std::string& user : users) {
      list += (list.empty() ? "" : ", ") + user;
    }
    RefuseDelete(what, "the partner of " + std::to_string(users.size()) + " user" +
                           (users.size() == 1 ? "" : "s") + " (" + list + ")");
  }
  if (auto refusal = participants_.RefusalToDelete(kOriginBusinessPartner, "BUSINESSPARTNERID",
                                                   Variant(partner_id))) {
    RefuseDelete(what, *refusal);
  }
  database_.DeletePartner(partner_id);
}

std::vector<PartnerRecord> MembershipDirectory::ListPartners() { return database_.ListPartners(); }

void MembershipDirectory::AddApplication(const ApplicationRecord& application) {
  CheckPositiveId("An application id", application.id);
  CheckDirectoryText(kSource, "The application name", application.name, kApplicationNameChars,
                     true);
  if (database_.FindApplication(application.id)) {
    RaiseError(EnumerationErrors::AlreadyPresent, kSource,
               "Application " + std::to_string(application.id) + " already exists");
  }
  if (auto same_name = database_.FindApplicationByName(application.name)) {
    RaiseError(EnumerationErrors::AlreadyPresent, kSource,
               "The application name '" + application.name + "' is already used by application " +
                   std::to_string(same_name->id));
  }
  database_.InsertApplication(application);
}

std::vector<ApplicationRecord> MembershipDirectory::ListApplications() {
  return database_.ListApplications();
}

void MembershipDirectory::AddUser(const std::string& user_id, const UserFields& fields) {
  CheckDirectoryText(kSource, "The user id", user_id, kUserIdChars, true);
  if (!fields.business_partner_id) {
    Refuse("A new user needs a business partner");
  }
  if (!fields.email_address) {
    Refuse("A new user needs an e-mail address");
  }
  if (database_.FindUser(user_id)) {
    RaiseError(EnumerationErrors::AlreadyPresent, kSource,
               "The user '" + user_id + "' already exists");
  }
  MemberRecord user;
  user.user_id = user_id;
  ApplyFields(fields, user);
  database_.InsertUser(user);
}

void MembershipDirectory::SetUser(const std::string& user_id, const UserFields& fields) {
  std::optional<MemberRecord> user = database_.FindUser(user_id);
  if (!user) {
    RaiseError(EnumerationErrors::NotPresent, kSource, "The user '" + user_id + "' does not exist");
  }
  const int32_t old_partner = user->business_partner_id;
  ApplyFields(fields, *user);
  if (user->business_partner_id != old_partner) {
    const VariantArray keys = Texts({"USERID", "BUSINESSPARTNERID"});
    VariantArray values(2);
    values.At(0) = Variant(user_id);
    values.At(1) = Variant(old_partner);
    if (auto refusal = participants_.RefusalToDelete(kOriginUserBusinessPartner, keys, values)) {
      RaiseError(EnumerationErrors::ReferentialDelete, kSource,
                 "The user '" + user_id + "' cannot leave business partner " +
                     std::to_string(old_partner) + ": the link is " + *refusal);
    }
  }
  database_.UpdateUser(*user);
}

void MembershipDirectory::RemoveUser(const std::string& user_id) {
  const std::string what = "The user '" + user_id + "'";
  if (!database_.FindUser(user_id)) {
    RaiseError(EnumerationErrors::NotPresent, kSource, what + " does not exist");
  }
  if (auto refusal = participants_.RefusalToDelete(kOriginUser, "USERID", Variant(user_id))) {
    RefuseDelete(what, *refusal);
  }
  database_.DeleteUser(user_id);
}

std::vector<MemberRecord> MembershipDirectory::ListUsers() { return database_.ListUsers(); }

void MembershipDirectory::ApplyFields(const UserFields& fields, MemberRecord& user) {
  if (fields.business_partner_id) {
    if (!database_.FindPartner(*fields.business_partner_id)) {
      RaiseError(
          EnumerationErrors::NotPresent, kSource,
          "Business partner " + std::to_string(*fields.business_partner_id) + " does not exist");
    }
    user.business_partner_id = *fields.business_partner_id;
  }
  if (fields.email_address) {
    CheckEmailAddress(*fields.email_address);
    user.email_address = *fields.email_address;
  }
  if (fields.language_id) {
    CheckPositiveId("A language id", *fields.language_id);
    user.language_id = *fields.language_id;
  }
  if (fields.employee_number) {
    CheckDirectoryText(kSource, "The employee number", *fields.employee_number,
                       kEmployeeNumberChars, false);
    user.employee_number = *fields.employee_number;
  }
  if (fields.first_name) {
    CheckDirectoryText(kSource, "The first name", *fields.first_name, kNameFieldChars, false);
    user.first_name = *fields.first_name;
  }
  if (fields.last_name) {
    CheckDirectoryText(kSource, "The last name", *fields.last_name, kNameFieldChars, false);
    user.last_name = *fields.last_name;
  }
  if (fields.applications) {
    std::vector<int32_t> ids;
    for (const std::string& name : *fields.applications) {
      std::optional<ApplicationRecord> application;
      if (text::IsValidUtf8(name) && name.find('\0') == std::string::npos) {
        application = database_.FindApplicationByName(name);
      }
      if (!application) {
        RaiseError(EnumerationErrors::NotPresent, kSource, "Unknown application '" + name + "'");
      }
      ids.push_back(application->id);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    user.applications = std::move(ids);
  }
  // Hashing is slow: last, once everything else is known to be right.
  if (fields.password) {
    if (fields.password->empty()) {
      Refuse("The password is empty");
    }
    user.password_hash = hasher_->Hash(*fields.password);
  }
}

}  // namespace velmora::host
