#include "convert/obi_failures.h"

#include "core/general.h"
#include "core/labels.h"
#include "velmora/base/text.h"

namespace velmora::convert {
namespace {

constexpr const char* kObiPath = "Velmora.OBI.";

}  // namespace

void RaiseObiError(EnumerationErrors number, const std::string& step, const std::string& label,
                   const Dictionary& replacements) {
  RaiseError(number, kObiPath + step, core::GetLabelForMessage(label, replacements));
}

void PassObiErrorOrReport(const std::string& method) {
  const Error current = CurrentError();
  if (text::IStartsWith(current.source(), kObiPath)) {
    throw current;
  }
  core::ReportError(kObiPath + method);
}

}  // namespace velmora::convert
