#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/host/referential_integrity.h"

namespace velmora {

// Velmora.DistributionList: who receives documents of a type (table DISTRIBUTIONLIST, written
// outside the library), and the library's answer to the host before it deletes a partner, a
// user, a user's link to a partner or document type, or a document type. Stateless; every call
// opens and closes its own connection. Every value reaches SQL as a literal of SqlText or
// SqlLong.
class DistributionList : public host::ReferentialIntegrity {
 public:
  // True when `iUserID` is on the list of `iDocTypeID`; false without a query when either is
  // empty. Failures are reported as "Velmora.DistributionList.UserFoundOnDBList" and raised.
  bool UserFoundOnDBList(const std::string& iDocTypeID, const std::string& iUserID);
  // True when some user of partner `iBPID` is on the list of `iDocTypeID`; false without a
  // query for an empty type or partner 0.
  bool BPFoundOnDBList(const std::string& iDocTypeID, int32_t iBPID);
  // True when the list of `iDocTypeID` has any row; false without a query for an empty type.
  bool AnyBPFoundOnDBList(const std::string& iDocTypeID);
  // Deletes the whole list of `iDocTypeID` (no guard). Reported as
  // "Velmora.DtributionList.RemoveBPsFromDBList".
  void RemoveBPsFromDBList(const std::string& iDocTypeID);

  // IReferentialIntegrity. `origin` is compared after upper-casing, key names exactly. True
  // when a row of this library still refers to the record ("BUSINESSPARTNER", "USER",
  // "USER_DOCUMENTTYPE", "USER_BUSINESSPARTNER", "DOCUMENTTYPE"); true as well for
  // "BUSINESSPARTNER", "USER" and "DOCUMENTTYPE" when the expected key is missing; false for
  // any other origin. A failure is logged with " / Velmora.DistributionList.
  // IReferentialIntegrity_Exists()" appended to its description and raised with its number
  // and source: it never answers false because of a failure.
  bool Exists(const Variant& origin, const VariantArray& keys, const VariantArray& values) override;
  // Nothing to clean up first: always true.
  bool BeforeDelete(const Variant& origin, const VariantArray& keys,
                    const VariantArray& values) override;

 private:
  // True when `statement` returns a row (forward-only, read-only, its own connection). A
  // failure is logged with " / Velmora.DistributionList.CheckExistenceUsingSQL(<statement>)"
  // appended and raised.
  bool CheckExistenceUsingSQL(const std::string& statement);
};

}  // namespace velmora
