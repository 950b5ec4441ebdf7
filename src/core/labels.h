#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"

// Localised labels: every message is a label code ("ZODAR" + four digits) with a text per
// language in table I18NTEXT; texts carry placeholders "[%NAME%]" filled in at display time.
namespace velmora::core {

// The default language (English, United States).
inline constexpr int32_t kDefaultLanguage = 1033;

// The text of label `code` in `language` (0 = the default language), with `replacements`
// applied in entry order:
//  - an ordinary key ("[%DOCID%]") replaces every occurrence of itself, case-sensitively;
//  - a key beginning with "[%LABEL" whose value is a nested label "[%ZODARnnnn%]" puts that
//    label's text (same language) in place of its first occurrence, ignoring case. A
//    "[%LABEL..." key whose value is not written "[%...%]" is an ordinary key.
// A label without text in that language gives "<font color='red'>Error <code></font>" and no
// replacements are applied; there is no fall-back to the default language. Database failures
// propagate.
std::string GetLabel(const std::string& code, int32_t language = 0,
                     const Dictionary* replacements = nullptr);

// GetLabel with a dictionary held in a Variant (nothing and Empty mean no replacements).
std::string GetLabel(const std::string& code, int32_t language,
                     const std::shared_ptr<Dictionary>& replacements);

// GetLabel for the message of an error handler: when the label itself cannot be read (the
// database is what failed), the code with its replacements listed stands in, so that the
// error being reported is not replaced by the failure to describe it.
std::string GetLabelForMessage(const std::string& code, const Dictionary& replacements);

}  // namespace velmora::core
