#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/db/recordset.h"
#include "velmora/host/membership_user.h"
#include "velmora/xml/document.h"

// Users and partners of the host's membership directory and partner register, bound with the
// membership service account of the site configuration. Failures raise as the directory and
// the register raise them (NotPresent, MissingUserID, ...), unreported: the caller's own
// method reports them.
namespace velmora::routing::users {

// "GLOBAL"/"IISVirtId" of the site configuration ("" when the key is absent).
std::string IisVirtualId();

// A new "KxMembership.User" initialised with the site configuration file and bound to
// `user_id` (compared exactly).
std::shared_ptr<host::MembershipUser> BoundUser(const std::string& user_id);

// The partner id and the e-mail address of the user object of `user_id`.
int32_t PartnerOf(const std::string& user_id);
std::string EmailAddressOf(const std::string& user_id);

// The directory search for one filter ("cn=<user id>" or "employeenumber=<number>"): at most
// 10 rows with "cn" and "BusinessPartnerID".
std::shared_ptr<db::Recordset> Search(const Variant& criteria);

// The register's name of partner `partner`; an unknown partner raises NotPresent.
std::string PartnerName(int32_t partner);

// The sender of a document as the directory knows it.
struct Sender {
  int32_t partner = 0;
  std::string name;
};

// The sender of document `xml`: for an OBI document the sender partner name of its envelope
// (looked up by "cn="); otherwise, or when that name is empty, the trimmed SENDER (looked up
// by "cn="), else CONTACT (by "employeenumber=", then by "cn="). A sender the directory knows
// gives its partner and its stored user id; an unknown one partner 0 and the name as the
// document has it. No SENDER and no CONTACT raises TagNotPresentError with label "ZODAR0004";
// a text that is not well-formed raises the parser's number, its input line as source and its
// reason as description.
Sender SenderOf(const std::string& xml);
// The same for a document already parsed.
Sender SenderOf(const std::shared_ptr<xml::Document>& document);

// The path under which a sender that cannot be determined is reported, and the additional
// information of that report: the message text of label "ZODAR0004".
inline constexpr const char* kSenderPath = "Velmora.Utility.GetSenderBPAndName";
Variant NoSenderInfo();

// The validator's answer for `user` / `password`.
bool Authorized(const std::string& user, const std::string& password);

// The id of application `application` in the B2B configuration file.
int32_t ApplicationId(const std::string& application);

}  // namespace velmora::routing::users
