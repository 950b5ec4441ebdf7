#pragma once

#include <functional>
#include <string>
#include <string_view>

// A unit of work such as the delivery or the notification of one stored document asks the
// same questions again and again: a parameter, the description of a document type, the type of
// the document. While a LookupScope is open on the thread, each of those reads goes to the
// database once and its answer is kept; the answers are forgotten when the outermost scope
// closes. Nothing is kept outside a scope, so a value changed between two units of work is
// always seen. A scope is opened only around work that does not itself change what it reads.
namespace velmora::core {

class LookupScope {
 public:
  LookupScope();
  ~LookupScope();
  LookupScope(const LookupScope&) = delete;
  LookupScope& operator=(const LookupScope&) = delete;
};

// The answer kept for (`kind`, `key`) in the open scope, else `read()`, kept when a scope is
// open. A read that raises keeps nothing.
std::string Remembered(std::string_view kind, std::string_view key,
                       const std::function<std::string()>& read);

}  // namespace velmora::core
