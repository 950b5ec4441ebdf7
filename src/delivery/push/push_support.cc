#include "delivery/push/push_support.h"

#include <memory>

#include "core/env.h"
#include "core/labels.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"

namespace velmora::delivery {
namespace {

Dictionary ToDictionary(Replacements replacements) {
  Dictionary dictionary;
  for (const auto& [key, value] : replacements) {
    dictionary.Add(key, Variant(value));
  }
  return dictionary;
}

}  // namespace

std::string PushPath(std::string_view operation) {
  return "Velmora.PushDocUtils." + std::string(operation);
}

std::string Label(const std::string& code, Replacements replacements) {
  const Dictionary dictionary = ToDictionary(replacements);
  return core::GetLabel(code, 0, &dictionary);
}

std::string MessageLabel(const std::string& code, Replacements replacements) {
  return core::GetLabelForMessage(code, ToDictionary(replacements));
}

std::string DocumentLabel(int32_t doc_id) {
  return MessageLabel("ZODAR4228", {{"[%DOCID%]", std::to_string(doc_id)}});
}

std::string RedactAddress(const std::string& address) {
  const size_t scheme = address.find("://");
  if (scheme == std::string::npos) {
    return address;
  }
  const size_t authority = scheme + 3;
  const size_t end = address.find_first_of("/?#", authority);
  const size_t at = address.rfind('@', end == std::string::npos ? std::string::npos : end);
  if (at == std::string::npos || at < authority) {
    return address;
  }
  const size_t colon = address.find(':', authority);
  if (colon == std::string::npos || colon > at) {
    return address;
  }
  return address.substr(0, colon + 1) + "***" + address.substr(at);
}

void CheckPlainFileName(const std::string& name, const std::string& source) {
  const bool plain = !name.empty() && name != "." && name != ".." &&
                     name.find_first_of("\\/") == std::string::npos &&
                     !(name.size() >= 2 && name[1] == ':') && name.find('\0') == std::string::npos;
  if (!plain) {
    RaiseError(EnumerationErrors::InvalidParamValue, source,
               "The file name '" + name + "' is not a plain file name");
  }
}

std::string SendMethodOutputFileName(int32_t doc_id, const TSendMethodProperties& record) {
  const std::string id = std::to_string(doc_id);
  const std::string trimmed = text::Trim(record.sFileName);
  const bool numbered = trimmed.empty() || record.sFileName.front() == '.';
  const std::string base = numbered ? id : record.sFileName;
  const std::string suffix = record.nSuffix == ESendMethodSuffix::DocumentID ? "_" + id : "";
  const std::string extension =
      record.nFormat == ESendMethodFormat::Excel ? "xls" : record.sFileExtension;
  const std::string name = base + suffix + "." + extension;
  CheckPlainFileName(name, PushPath("GetSendMethodOutputFileName"));
  return name;
}

std::string ExtensionElement(const VariantArray& extension, int32_t offset) {
  if (extension.dimensions() != 1 || offset >= static_cast<int32_t>(extension.Count())) {
    return "";
  }
  return extension.At(extension.LBound() + offset).ToText();
}

bool AttachmentsFlag(const VariantArray& extension) {
  return text::IEquals(ExtensionElement(extension, 1), "True");
}

net::TransferClient* CurrentTransferClient() { return core::CurrentEnv().transfer.get(); }

}  // namespace velmora::delivery
