#include "routing/users.h"

#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "core/general.h"
#include "core/labels.h"
#include "core/lookup_scope.h"
#include "platform/host/configuration.h"
#include "platform/host/membership.h"
#include "platform/host/partner_register.h"
#include "routing/node_queries.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/xml/document.h"

namespace velmora::routing::users {
namespace {

// The label that names a sender who cannot be determined.
constexpr const char* kNoSenderLabel = "ZODAR0004";
// The most users one directory search returns.
constexpr int32_t kSearchMaxRows = 10;

// `progid` created through the component registry as `T`; raises when it cannot be created
// or is not of that kind.
template <class T>
std::shared_ptr<T> CreateAs(const std::string& progid) {
  auto component = std::dynamic_pointer_cast<T>(core::ComponentRegistry::Global().Create(progid));
  if (!component) {
    throw Error(kErrObjectRequired, progid, "The component " + progid + " has the wrong type");
  }
  return component;
}

// `progid` created with B2B_getComponent (which logs a failure and gives nothing); raises
// kErrObjectRequired when nothing came back.
template <class T>
std::shared_ptr<T> GetRequiredComponent(const std::string& progid) {
  auto component = core::GetComponent<T>(progid);
  if (!component) {
    throw Error(kErrObjectRequired, progid, "Object required: " + progid);
  }
  return component;
}

// `xml` parsed; a text that is not well-formed raises the parser's number with its input line
// as source and its reason as description.
std::shared_ptr<xml::Document> ParseSenderDocument(const std::string& xml) {
  auto document = std::make_shared<xml::Document>();
  if (!document->LoadXml(xml)) {
    const xml::ParseError& failure = document->parse_error();
    throw Error(failure.code, failure.source_text, failure.reason);
  }
  return document;
}

// The sending user that the OBI service reports for `document`: the sender partner name of an
// OBI document, "" for any other. The service is created late-bound ("Velmora.OBI" through the
// component registry), since the conversion classes sit above routing. A document counts as not
// OBI when the service is not available.
std::string ObiSendingUserOfDocument(const std::shared_ptr<xml::Document>& document) {
  const auto obi = core::GetComponent<core::Dispatch>("Velmora.OBI");
  if (!obi) {
    return "";
  }
  // The document, no text, and the outputs up to the sender user: type, sender partner, user.
  std::vector<Variant> args{Variant(ObjectRef(document)), Variant(""), Variant(), Variant(),
                            Variant()};
  if (!obi->Invoke("GetObiDocumentInfo", args).ToBool()) {
    return "";
  }
  return args[4].ToText();
}

}  // namespace

std::string IisVirtualId() {
  auto configuration = GetRequiredComponent<host::Configuration>("Tarvex.Configuration");
  configuration->LoadFile(core::getSiteConfigFile());
  return configuration->GetValue("GLOBAL", "IISVirtId").ToText();
}

std::shared_ptr<host::MembershipUser> BoundUser(const std::string& user_id) {
  auto user = CreateAs<host::MembershipUser>("KxMembership.User");
  // Initialize reads the site configuration on every call: one that cannot be read fails the
  // call.
  user->Initialize(core::getSiteConfigFile());
  user->Bind(user_id, core::GetMembershipScriptUser(), core::GetMembershipScriptCode());
  return user;
}

int32_t PartnerOf(const std::string& user_id) {
  return std::stoi(core::Remembered("partner of user", user_id, [&] {
    return std::to_string(BoundUser(user_id)->BusinessPartnerID());
  }));
}

std::string EmailAddressOf(const std::string& user_id) {
  return core::Remembered("e-mail address of user", user_id,
                          [&] { return BoundUser(user_id)->EmailAddress(); });
}

std::shared_ptr<db::Recordset> Search(const Variant& criteria) {
  auto members = GetRequiredComponent<host::MembershipMembers>("KxMembership.Members");
  members->Initialize(core::getSiteConfigFile());
  members->Bind(core::GetMembershipScriptUser(), core::GetMembershipScriptCode());
  VariantArray filters(1);
  filters.At(0) = criteria;
  return std::shared_ptr<db::Recordset>(
      members->Search(Variant(std::move(filters)), Variant(""), kSearchMaxRows));
}

std::string PartnerName(int32_t partner) {
  return GetRequiredComponent<host::BusinessPartner>("KxCommon.BusinessPartner")->GetName(partner);
}

Sender SenderOf(const std::string& xml) { return SenderOf(ParseSenderDocument(xml)); }

Sender SenderOf(const std::shared_ptr<xml::Document>& document) {
  Sender sender;
  sender.name = ObiSendingUserOfDocument(document);
  std::shared_ptr<db::Recordset> found;
  if (sender.name.empty()) {
    sender.name = text::Trim(node_queries::FirstText(*document, "//SENDER"));
    if (!sender.name.empty()) {
      found = Search(Variant("cn=" + sender.name));
    } else {
      const std::string contact = node_queries::FirstText(*document, "//CONTACT");
      if (contact.empty()) {
        RaiseError(EnumerationErrors::TagNotPresentError, kSenderPath,
                   core::GetLabel(kNoSenderLabel));
      }
      found = Search(Variant("employeenumber=" + contact));
      if (!found || found->IsEOF()) {
        found = Search(Variant("cn=" + contact));
      }
    }
  } else {
    found = Search(Variant("cn=" + sender.name));
  }
  if (found && !found->IsEOF()) {
    sender.partner = found->Field("BusinessPartnerID").ToInt32();
    sender.name = found->Field("cn").ToText();
  }
  return sender;
}

bool Authorized(const std::string& user, const std::string& password) {
  auto validator = GetRequiredComponent<host::MembershipValidator>("KxMembership.Validator");
  validator->Initialize(core::getSiteConfigFile());
  return validator->Validate(user, password);
}

int32_t ApplicationId(const std::string& application) {
  auto configuration = GetRequiredComponent<host::Configuration>("Tarvex.Configuration");
  configuration->LoadFile(core::GetB2BConfigFile());
  return configuration->GetApplicationID(application);
}

Variant NoSenderInfo() { return Variant(core::GetLabelForMessage(kNoSenderLabel, Dictionary())); }

}  // namespace velmora::routing::users
