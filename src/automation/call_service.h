#pragma once

#include <string>
#include <vector>

#include "velmora/base/variant.h"

namespace velmora::automation {

struct CallReply {
  bool failed = false;
  // {"result": ..., "args": [...]} or
  // {"error": {"number": N, "source": "...", "description": "..."}, "args": [...]}; args are
  // the arguments after the call, so by-reference results are visible (also after a failure).
  // Recordsets are written as {"columns": [...], "rows": [[...], ...]} (see ReplyValue), XML
  // documents as their XML text.
  std::string json;
};

// Calls `method` of the class `progid` through the automation layer and writes the reply.
// Never raises: every failure, including one of the arguments, becomes the error reply.
CallReply CallAndReply(const std::string& progid, const std::string& method,
                       std::vector<Variant> args);

// A command-line argument as a variant: JSON when the text is one JSON value, else the text.
Variant ArgumentFromText(const std::string& text);

}  // namespace velmora::automation
