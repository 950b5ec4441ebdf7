// Utility: users, business partners and access checks, through the host framework's
// membership directory, partner register, validator and configuration components.
#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/db_utils.h"
#include "core/dispatch.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "platform/host/configuration.h"
#include "platform/host/membership.h"
#include "platform/host/partner_register.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

std::string Path(const char* operation) { return std::string("Velmora.Utility.") + operation; }

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

std::string Utility::getIISVirtID() {
  return core::Guarded(Path("getIISVirtID"), [&]() -> std::string {
    if (iis_virtual_id_.empty()) {
      auto configuration = GetRequiredComponent<host::Configuration>("Tarvex.Configuration");
      configuration->LoadFile(core::getSiteConfigFile());
      iis_virtual_id_ = configuration->GetValue("GLOBAL", "IISVirtId").ToText();
    }
    return iis_virtual_id_;
  });
}

std::shared_ptr<host::MembershipUser> Utility::GetAUObject(std::string& sUserID) {
  return core::Guarded(Path("GetAUObject"), [&]() -> std::shared_ptr<host::MembershipUser> {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = getIISVirtID();
    }
    return getAUOAddress(iis_virtual_id_, sUserID);
  });
}

std::shared_ptr<host::MembershipUser> Utility::getAUOAddress(std::string& sIISVirtID,
                                                             std::string& sUserID) {
  return core::Guarded(Path("getAUOAddress"), [&]() -> std::shared_ptr<host::MembershipUser> {
    (void)sIISVirtID;
    auto user = CreateAs<host::MembershipUser>("KxMembership.User");
    // Initialize reads the site configuration on every call: one that cannot be read fails
    // the call.
    user->Initialize(core::getSiteConfigFile());
    user->Bind(sUserID, core::GetMembershipScriptUser(), core::GetMembershipScriptCode());
    return user;
  });
}

std::shared_ptr<db::Recordset> Utility::GetAuoRSByCriteria(Variant& vCriteria,
                                                           std::string& sIISVirtID) {
  return core::Guarded(Path("GetAuoRSByCriteria"), [&]() -> std::shared_ptr<db::Recordset> {
    if (sIISVirtID.empty()) {
      sIISVirtID = getIISVirtID();
    }
    auto members = GetRequiredComponent<host::MembershipMembers>("KxMembership.Members");
    members->Initialize(core::getSiteConfigFile());
    members->Bind(core::GetMembershipScriptUser(), core::GetMembershipScriptCode());
    VariantArray filters(1);
    filters.At(0) = vCriteria;
    return std::shared_ptr<db::Recordset>(
        members->Search(Variant(std::move(filters)), Variant(""), kSearchMaxRows));
  });
}

int32_t Utility::GetAUBusinessPartnerID(std::string& sUserID) {
  return core::Guarded(Path("GetAUBusinessPartnerID"), [&]() -> int32_t {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = getIISVirtID();
    }
    return getAUOAddress(iis_virtual_id_, sUserID)->BusinessPartnerID();
  });
}

std::string Utility::GetAUEmailAddress(std::string& sUserID) {
  return core::Guarded(Path("GetAUEmailAddress"), [&]() -> std::string {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = getIISVirtID();
    }
    return getAUOAddress(iis_virtual_id_, sUserID)->EmailAddress();
  });
}

void Utility::GetSenderBPAndName(std::string& sXML, int32_t& lBPID, std::string& sSenderName) {
  try {
    lBPID = 0;
    const std::shared_ptr<xml::Document> document = ParseSenderDocument(sXML);
    sSenderName = ObiSendingUserOfDocument(document);
    std::shared_ptr<db::Recordset> found;
    if (sSenderName.empty()) {
      sSenderName = text::Trim(ExecuteXSLPattern(*document, "//SENDER"));
      if (!sSenderName.empty()) {
        Variant criteria("cn=" + sSenderName);
        found = GetAuoRSByCriteria(criteria, iis_virtual_id_);
      } else {
        const std::string contact = ExecuteXSLPattern(*document, "//CONTACT");
        if (contact.empty()) {
          RaiseError(EnumerationErrors::TagNotPresentError, Path("GetSenderBPAndName"),
                     core::GetLabel(kNoSenderLabel));
        }
        Variant by_number("employeenumber=" + contact);
        found = GetAuoRSByCriteria(by_number, iis_virtual_id_);
        if (!found || found->IsEOF()) {
          Variant by_name("cn=" + contact);
          found = GetAuoRSByCriteria(by_name, iis_virtual_id_);
        }
      }
    } else {
      Variant criteria("cn=" + sSenderName);
      found = GetAuoRSByCriteria(criteria, iis_virtual_id_);
    }
    if (found && !found->IsEOF()) {
      lBPID = found->Field("BusinessPartnerID").ToInt32();
      sSenderName = found->Field("cn").ToText();
    }
  } catch (...) {
    lBPID = 0;
    sSenderName.clear();
    core::ReportError(Path("GetSenderBPAndName"),
                      Variant(core::GetLabelForMessage(kNoSenderLabel, Dictionary())));
  }
}

std::string Utility::GetBusinessPartnerName(int32_t lBPID) {
  return core::Guarded("Velmora.Utility.GetBusinesspartnerName", [&]() -> std::string {
    return GetRequiredComponent<host::BusinessPartner>("KxCommon.BusinessPartner")->GetName(lBPID);
  });
}

bool Utility::BPOfDocumentEqualsBPOfUser(const std::string& sUser, const std::string& sXML) {
  return core::Guarded(Path("BPOfDocumentEqualsBPOfUser"), [&]() -> bool {
    std::string xml = sXML;
    int32_t partner = 0;
    std::string name;
    GetSenderBPAndName(xml, partner, name);
    std::string user = sUser;
    return GetAUObject(user)->BusinessPartnerID() == partner;
  });
}

Variant Utility::CheckUserAuthorization(std::string& sUser, std::string& sPassword,
                                        std::string& sXML) {
  return core::Guarded(Path("CheckUserAuthorization"), [&]() -> Variant {
    (void)sXML;
    auto validator = GetRequiredComponent<host::MembershipValidator>("KxMembership.Validator");
    validator->Initialize(core::getSiteConfigFile());
    return Variant(validator->Validate(sUser, sPassword));
  });
}

int32_t Utility::GetApplicationID(const std::string& sApplicationName) {
  return core::Guarded("Velmora.Utility.GetApplicID", [&]() -> int32_t {
    auto configuration = GetRequiredComponent<host::Configuration>("Tarvex.Configuration");
    configuration->LoadFile(core::GetB2BConfigFile());
    return configuration->GetApplicationID(sApplicationName);
  });
}

bool Utility::UserAccessToApplicationAllowed(const std::string& sUser,
                                             const std::string& sApplicationName) {
  return core::Guarded(Path("UserAccessToApplicationAllowed"), [&]() -> bool {
    const int32_t application = GetApplicationID(sApplicationName);
    std::string user = sUser;
    for (int32_t permitted : GetAUObject(user)->Applications()) {
      if (permitted == application) {
        return true;
      }
    }
    return false;
  });
}

std::string Utility::GetR2AVidodeParameter(std::string& sParamName) {
  return core::GetParameter(sParamName);
}

bool Utility::RetrieveElementFromRequestFormCollection(const std::string& sFormCollection,
                                                       const std::string& sPattern,
                                                       Variant& vValue) {
  try {
    std::string value;
    // An empty pattern is found at the start of any form that is not empty.
    size_t at = std::string::npos;
    if (!sFormCollection.empty()) {
      at = sPattern.empty() ? 0 : text::IFind(sFormCollection, sPattern);
    }
    if (at != std::string::npos) {
      value = sFormCollection.substr(at + sPattern.size());
      value = value.substr(0, value.find('&'));
    }
    vValue = Variant(value);
    std::string decoded = urlDecode(value);
    vValue = Variant(decoded);
    return !text::Trim(decoded).empty();
  } catch (...) {
    // The copy of the form is evidence for the failure being reported; when it cannot be
    // written, that is logged and the original failure still reaches the caller.
    PendingError failure;
    failure.Capture();
    try {
      std::string file_name;
      WriteXmlFileToErrorDir(sFormCollection, file_name);
    } catch (...) {
      core::LogError("RetrieveElementFromRequestFormCollection",
                     Variant(std::string("The form could not be written to the error folder.")));
    }
    core::ReportError(failure, "RetrieveElementFromRequestFormCollection");
  }
  return false;
}

int32_t Utility::CheckLong(Variant& vValue) {
  return core::Guarded(Path("CheckLong"), [&]() -> int32_t {
    if (vValue.IsNull()) {
      return 0;
    }
    return static_cast<int32_t>(vValue.ToInt16());
  });
}

std::string Utility::CheckString(Variant& vValue) {
  return core::Guarded(Path("CheckString"), [&]() -> std::string {
    if (vValue.IsNull()) {
      return "";
    }
    return vValue.ToText();
  });
}

}  // namespace velmora
