#pragma once

// Internal: the send method rule set of one document, evaluated partner by partner (a push
// run). The stored document and its sender's locale are read by the first selection and kept
// for the ones after it, so that each further partner costs only its own rule rows.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "velmora/xml/document.h"

namespace velmora::rules {

class SendMethodRuleSet {
 public:
  SendMethodRuleSet(int32_t doc_id, std::string doc_type);

  // As Rules::ExecuteSendMethodRuleSet for `partner`, reported under the same path. A failure
  // to read the document or its sender is not kept: the next selection reads again.
  int32_t Select(int32_t partner);

 private:
  const int32_t doc_id_;
  const std::string doc_type_;
  std::shared_ptr<xml::Document> document_;
  std::optional<int32_t> locale_;
};

}  // namespace velmora::rules
