#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "routing/error_folder.h"
#include "velmora/base/text.h"
#include "velmora/support/attachments.h"

namespace velmora {
namespace {

constexpr char kPath[] = "Velmora.Attachments.GetAttachmentUrlAndFolder";

// `path` with every `from` turned into `to` and ending in `to`.
std::string WithSeparators(const std::string& path, const char* from, const char* to) {
  std::string result = text::ReplaceAll(path, from, to);
  if (!result.ends_with(to)) {
    result += to;
  }
  return result;
}

std::string SiteValue(const std::string& site_file, const std::string& section,
                      const std::string& key) {
  return core::ReadConfigValue(site_file, section, key).ToText();
}

// A configured folder: the URL must be an http(s) address and the folder must exist.
bool ServedFromFolder(std::string& url, std::string& folder) {
  folder = WithSeparators(folder, "/", "\\");
  url = WithSeparators(url, "\\", "/");
  const bool is_web_address =
      text::IStartsWith(url, "http://") || text::IStartsWith(url, "https://");
  return routing::error_folder::FolderExists(folder) && is_web_address;
}

// No folder: the URL is a path below the installation directory, served by the host named in
// the site configuration. A blank host name cannot make a usable address.
bool ServedFromInstallation(std::string& url, std::string& folder) {
  url = WithSeparators(url, "\\", "/");
  if (!url.starts_with("/")) {
    url = "/" + url;
  }
  folder = core::getInstallDir() + url;
  if (!routing::error_folder::FolderExists(folder)) {
    return false;
  }
  const std::string site_file = core::getSiteConfigFile();
  const bool plain = text::IEquals(SiteValue(site_file, "COMMONPARAMETERS", "SSLMODE"), "none");
  const std::string host =
      SiteValue(site_file, "GLOBAL", plain ? "NONSECUREHOSTNAME" : "SECUREHOSTNAME");
  if (text::Trim(host).empty()) {
    return false;
  }
  url = (plain ? "http://" : "https://") + host + "/" +
        SiteValue(site_file, "GLOBAL", "APPLICATIONDIRECTORY") + url;
  return true;
}

}  // namespace

bool Attachments::GetAttachmentUrlAndFolder(std::string& oURL, std::string& oFolder) {
  return core::Guarded(kPath, [&]() -> bool {
    oURL = core::GetParameter("AttachmentsVirtualPath");
    oFolder = core::GetParameter("AttachmentsFolder");
    bool established = false;
    if (!oURL.empty()) {
      established =
          oFolder.empty() ? ServedFromInstallation(oURL, oFolder) : ServedFromFolder(oURL, oFolder);
    }
    if (!established) {
      core::LogWarning(kPath, Variant(core::GetLabel("ZODAR5725")));
    }
    return established;
  });
}

}  // namespace velmora
