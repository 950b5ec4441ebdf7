#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "velmora/base/variant.h"

// The maintenance of the installation's parameters (COLLABORATIONPARAMETER) and label texts
// (I18NTEXT); GetParameter (db_utils.h) and the label readers (labels.h) read them. Each call
// opens its own connection of the installation and closes it on every path; database failures
// raise.
namespace velmora::core {

// Every parameter by name, its value as stored (Null kept).
std::vector<std::pair<std::string, Variant>> ListParameters();

// Sets parameter `name` to `value`, adding the row when there is none, in one transaction.
void SetParameter(const std::string& name, const std::string& value);

// Sets the text of label `code` in language `locale`, adding the row when there is none, in
// one transaction.
void SetLabelText(const std::string& code, int32_t locale, const std::string& text);

}  // namespace velmora::core
