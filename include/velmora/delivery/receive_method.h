#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Velmora.ReceiveMethod: the style sheet that turns a partner's own format of a document type
// into the type's standard form, one per (partner, document type). Stateless; every call opens
// and closes its own connection. Failures are reported as "Velmora.ReceiveMethod.<operation>"
// and raised.
class ReceiveMethod {
 public:
  // The style sheet file name for documents of `iDocTypeID` from partner `iBPID`, or "".
  std::string GetXslFileName(int32_t& iBPID, std::string& iDocTypeID);
  // Stores the style sheet for the pair: updates the pair's row when there is one, else adds
  // one. Returns the row's RECEIVEMETHODID.
  int32_t InsertReceiveMethod(int32_t& iBPID, std::string& iDocTypeID, std::string& iXSLFileName);
  // Changes the style sheet of row `iRMID`; an unknown id changes nothing.
  void UpdateReceiveMethod(int32_t& iRMID, std::string& iXSLFileName);
  void DeleteReceiveMethod(int32_t& iRMID);
  // The RECEIVEMETHODID of the pair, or 0 (without a query when the partner is 0 or the type
  // is "").
  int32_t GetReceiveMethodID(int32_t& iBusinessPartnerID, std::string& iDocTypeID);
};

}  // namespace velmora
