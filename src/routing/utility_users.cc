// Utility: users, business partners and access checks, the published forms of the users
// service of routing.
#include <memory>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "routing/users.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

std::string Path(const char* operation) { return std::string("Velmora.Utility.") + operation; }

}  // namespace

std::string Utility::getIISVirtID() {
  return core::Guarded(Path("getIISVirtID"), [&]() -> std::string {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = routing::users::IisVirtualId();
    }
    return iis_virtual_id_;
  });
}

std::shared_ptr<host::MembershipUser> Utility::GetAUObject(const std::string& sUserID) {
  return core::Guarded(Path("GetAUObject"), [&]() -> std::shared_ptr<host::MembershipUser> {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = getIISVirtID();
    }
    return getAUOAddress(iis_virtual_id_, sUserID);
  });
}

std::shared_ptr<host::MembershipUser> Utility::getAUOAddress(const std::string& sIISVirtID,
                                                             const std::string& sUserID) {
  (void)sIISVirtID;
  return core::Guarded(Path("getAUOAddress"), [&] { return routing::users::BoundUser(sUserID); });
}

std::shared_ptr<db::Recordset> Utility::GetAuoRSByCriteria(const Variant& vCriteria,
                                                           std::string& sIISVirtID) {
  return core::Guarded(Path("GetAuoRSByCriteria"), [&] {
    if (sIISVirtID.empty()) {
      sIISVirtID = getIISVirtID();
    }
    return routing::users::Search(vCriteria);
  });
}

int32_t Utility::GetAUBusinessPartnerID(const std::string& sUserID) {
  return core::Guarded(Path("GetAUBusinessPartnerID"), [&]() -> int32_t {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = getIISVirtID();
    }
    return getAUOAddress(iis_virtual_id_, sUserID)->BusinessPartnerID();
  });
}

std::string Utility::GetAUEmailAddress(const std::string& sUserID) {
  return core::Guarded(Path("GetAUEmailAddress"), [&]() -> std::string {
    if (iis_virtual_id_.empty()) {
      iis_virtual_id_ = getIISVirtID();
    }
    return getAUOAddress(iis_virtual_id_, sUserID)->EmailAddress();
  });
}

void Utility::GetSenderBPAndName(const std::string& sXML, int32_t& lBPID,
                                 std::string& sSenderName) {
  lBPID = 0;
  sSenderName.clear();
  const routing::users::Sender sender = core::Guarded(
      routing::users::kSenderPath, [&] { return routing::users::SenderOf(sXML); },
      [] { return routing::users::NoSenderInfo(); });
  lBPID = sender.partner;
  sSenderName = sender.name;
}

std::string Utility::GetBusinessPartnerName(int32_t lBPID) {
  return core::Guarded("Velmora.Utility.GetBusinesspartnerName",
                       [&] { return routing::users::PartnerName(lBPID); });
}

bool Utility::BPOfDocumentEqualsBPOfUser(const std::string& sUser, const std::string& sXML) {
  return core::Guarded(Path("BPOfDocumentEqualsBPOfUser"), [&]() -> bool {
    int32_t partner = 0;
    std::string name;
    GetSenderBPAndName(sXML, partner, name);
    return GetAUObject(sUser)->BusinessPartnerID() == partner;
  });
}

Variant Utility::CheckUserAuthorization(const std::string& sUser, const std::string& sPassword,
                                        const std::string& sXML) {
  (void)sXML;
  return core::Guarded(Path("CheckUserAuthorization"),
                       [&] { return Variant(routing::users::Authorized(sUser, sPassword)); });
}

int32_t Utility::GetApplicationID(const std::string& sApplicationName) {
  return core::Guarded("Velmora.Utility.GetApplicID",
                       [&] { return routing::users::ApplicationId(sApplicationName); });
}

bool Utility::UserAccessToApplicationAllowed(const std::string& sUser,
                                             const std::string& sApplicationName) {
  return core::Guarded(Path("UserAccessToApplicationAllowed"), [&]() -> bool {
    const int32_t application = GetApplicationID(sApplicationName);
    for (int32_t permitted : GetAUObject(sUser)->Applications()) {
      if (permitted == application) {
        return true;
      }
    }
    return false;
  });
}

std::string Utility::GetR2AVidodeParameter(const std::string& sParamName) {
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

int32_t Utility::CheckLong(const Variant& vValue) {
  return core::Guarded(Path("CheckLong"), [&]() -> int32_t {
    if (vValue.IsNull()) {
      return 0;
    }
    return static_cast<int32_t>(vValue.ToInt16());
  });
}

std::string Utility::CheckString(const Variant& vValue) {
  return core::Guarded(Path("CheckString"), [&]() -> std::string {
    if (vValue.IsNull()) {
      return "";
    }
    return vValue.ToText();
  });
}

}  // namespace velmora
