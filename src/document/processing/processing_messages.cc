// The localised messages of processing.
#include <string>

#include "core/labels.h"
#include "document/processing/processing.h"

namespace velmora::document {
namespace {

std::string Line(const char* code, const char* placeholder, std::string value) {
  Dictionary replacements;
  replacements.Add(placeholder, Variant(std::move(value)));
  return Message(code, replacements);
}

}  // namespace

std::string Message(const std::string& code, const Dictionary& replacements) {
  return core::GetLabelForMessage(code, replacements);
}

std::string XmlLoadFailureMessage(const xml::ParseError& failure) {
  return Message("ZODAR1839") + "\r\n" + Line("ZODAR1843", "[%DESCRIPTION%]", failure.reason) +
         "\r\n" + Line("ZODAR1840", "[%ERROR_LINE%]", std::to_string(failure.line)) + "\r\n" +
         Line("ZODAR1841", "[%ERROR_COLUMN%]", std::to_string(failure.column));
}

}  // namespace velmora::document
