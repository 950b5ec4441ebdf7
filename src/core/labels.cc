#include "core/labels.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/sql_literals.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

// The stored text, or nullopt when the label has none in that language.
std::optional<std::string> LabelText(const std::string& code, int32_t language) {
  std::unique_ptr<db::Connection> connection = GetConnection();
  try {
    const std::string sql =
        language == 0 ? "SELECT I18NTEXT.TEXT FROM I18NTEXT WHERE LABEL = " + SqlText(code) +
                            " AND LOCALEID = 1033"
                      : "SELECT TEXT FROM I18NTEXT WHERE LABEL = " + SqlText(code) +
                            " AND LOCALEID = " + SqlLong(language);
    std::unique_ptr<db::Recordset> recordset = connection->Query(sql);
    std::optional<std::string> found;
    if (!recordset->IsEOF()) {
      const Variant value = recordset->Field(0);
      found = value.IsNull() ? std::string() : value.ToText();
    }
    recordset.reset();
    CloseConnection(connection);
    return found;
  } catch (...) {
    CloseConnection(connection);
    throw;
  }
}

bool IsNestedLabel(const std::string& key, const std::string& value) {
  return text::TrimView(key).substr(0, 7) == "[%LABEL" && value.size() >= 4 &&
         value.compare(0, 2, "[%") == 0 && value.compare(value.size() - 2, 2, "%]") == 0;
}

void ReplaceFirstIgnoringCase(std::string& text, const std::string& key, const std::string& value) {
  const size_t position = text::IFind(text, key);
  if (!key.empty() && position != std::string::npos) {
    text.replace(position, key.size(), value);
  }
}

// `code` as HTML element text: the characters that start markup or references are escaped.
std::string HtmlText(const std::string& code) {
  std::string out;
  for (char c : code) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string GetLabel(const std::string& code, int32_t language, const Dictionary* replacements) {
  std::optional<std::string> found = LabelText(code, language);
  if (!found) {
    return "<font color='red'>Error " + HtmlText(code) + "</font>";
  }
  std::string result = std::move(*found);
  if (replacements == nullptr) {
    return result;
  }
  for (const auto& [key, item] : replacements->entries()) {
    const std::string value = item.IsNull() ? std::string() : item.ToText();
    if (IsNestedLabel(key, value)) {
      const std::string nested = value.substr(2, value.size() - 4);
      ReplaceFirstIgnoringCase(result, key, GetLabel(nested, language));
    } else {
      result = text::ReplaceAll(result, key, value);
    }
  }
  return result;
}

std::string GetLabel(const std::string& code, int32_t language,
                     const std::shared_ptr<Dictionary>& replacements) {
  return GetLabel(code, language, replacements.get());
}

std::string GetLabelForMessage(const std::string& code, const Dictionary& replacements) {
  try {
    return GetLabel(code, 0, &replacements);
  } catch (...) {
    std::string text = code;
    for (const auto& [key, value] : replacements.entries()) {
      text += " " + key + "=" + (value.IsNull() ? std::string() : value.ToText());
    }
    return text;
  }
}

}  // namespace velmora::core
