#include "core/secrets.h"

#include "core/general.h"
#include "platform/files/native_path.h"
#include "platform/files/path_text.h"
#include "platform/host/secret_box.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::core {
namespace {

// The installation's key file, in the folder of the site configuration.
std::string KeyFile(const std::string& source) {
  const std::string site = getSiteConfigFile();
  if (site.empty()) {
    RaiseError(EnumerationErrors::InvalidParamValue, source,
               "The installation's configuration folder, which holds the key that seals "
               "stored passwords, is not known");
  }
  return host::KeyFilePath(files::ToNativePath(files::GetParentFolderPart(site)));
}

}  // namespace

std::string SealSecret(const std::string& plain, const std::string& source) {
  return plain.empty() ? plain : host::Seal(KeyFile(source), plain);
}

std::string UnsealSecret(const std::string& stored, const std::string& source) {
  return stored.empty() ? stored : host::Unseal(KeyFile(source), stored);
}

void CheckSecretFits(const std::string& plain, size_t width, const std::string& what,
                     const std::string& source) {
  const size_t longest = host::LongestSealable(width);
  if (plain.size() > longest) {
    RaiseError(EnumerationErrors::InvalidParamValue, source,
               "The password of " + what + " may be at most " + std::to_string(longest) +
                   " bytes long; this one has " + std::to_string(plain.size()));
  }
}

}  // namespace velmora::core
