#pragma once

#include <string_view>

// The data an installation starts with, built into the program from db/ of the source tree:
// the schema script, the default parameters, the English label texts and the default
// notification templates.
namespace velmora::embedded {

std::string_view SchemaScript();
std::string_view DefaultParameters();
std::string_view EnglishLabels();
std::string_view DefaultNotificationTemplates();

}  // namespace velmora::embedded
