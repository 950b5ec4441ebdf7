#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Velmora.Queries: tells the administration pages which parts of the configuration still refer
// to a document type before it is deleted. Reads only. Stateless; each call opens and closes
// its own connection.
class Queries {
 public:
  // "" when nothing refers to `iDocTypeID` (or the type does not exist); otherwise a script
  // array literal of the quoted label texts (in `iLanguageID`) of what refers to it, in a fixed
  // order: Array("Documents","Notification templates"); a quote inside a text is doubled. On
  // failure the call returns "" and the error is reported as
  // "Velmora.Queries.CheckDocTypeReferences".
  std::string CheckDocTypeReferences(std::string& iDocTypeID, int32_t iLanguageID = 1033);

 private:
  // Whether type `docType` has a send method without a rule (first) and one with a rule
  // (second). Both false when the read fails, reported as "Velmora.Queries.GetSendMethods".
  void GetSendMethods(const std::string& docType, bool& without_rule, bool& with_rule);
};

}  // namespace velmora
