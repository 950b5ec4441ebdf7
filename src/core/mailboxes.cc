#include "core/mailboxes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/host/installation_registry.h"
#include "platform/host/xml_file.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

constexpr const char* kSection = "MAILBOXES";

[[noreturn]] void Raise(const std::string& description) {
  throw Error(mail::kErrMailboxFailed, "Velmora.Mailbox", description);
}

void CheckMailboxName(const std::string& mailbox) {
  bool plain = !mailbox.empty() && mailbox.front() != '.';
  for (const char c : mailbox) {
    const auto byte = static_cast<unsigned char>(c);
    plain = plain && c != '/' && c != '\\' && byte >= 0x20 && byte != 0x7F;
  }
  if (!plain) {
    Raise("'" + mailbox + "' cannot name an import mailbox.");
  }
}

std::string Configured(const std::string& home, const std::string& mailbox) {
  const host::XmlElement root = host::ReadXmlFile(home + "/config/SiteConfiguration.xml");
  for (const host::XmlElement& section : root.children) {
    if (section.name != "section" || section.Attribute("name") != kSection) {
      continue;
    }
    for (const host::XmlElement& key : section.children) {
      if (key.name == "key" && key.Attribute("name") == mailbox) {
        return text::Trim(key.text);
      }
    }
  }
  return "";
}

std::string InHome(const std::string& home, const std::string& path) {
  if (path.empty() || path.front() == '/') {
    return path;
  }
  return (std::filesystem::path(home) / path).lexically_normal().string();
}

void MakeFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    Raise("The mailbox folder '" + folder + "' cannot be created: " + std::strerror(errno));
  }
}

}  // namespace

std::string MailboxAddress(const std::string& home, const std::string& mailbox) {
  CheckMailboxName(mailbox);
  const std::string root = host::InstallationHome(home);
  const std::string address = Configured(root, mailbox);
  if (address.empty()) {
    return "maildir:" + root + "/mailboxes/" + mailbox;
  }
  if (address.rfind("maildir:", 0) == 0 && address.size() > 8) {
    return "maildir:" + InHome(root, address.substr(8));
  }
  return address;
}

std::unique_ptr<mail::Mailbox> OpenSiteMailbox(const std::string& home,
                                               const std::string& mailbox) {
  const std::string address = MailboxAddress(home, mailbox);
  const std::string root = host::InstallationHome(home);
  if (address == "maildir:" + root + "/mailboxes/" + mailbox) {
    const std::string folder = address.substr(8);
    for (const std::string& path :
         {root + "/mailboxes", folder, folder + "/new", folder + "/cur", folder + "/tmp"}) {
      MakeFolder(path);
    }
  }
  mail::MailboxSettings settings;
  settings.ca_file = InHome(root, Configured(root, "CAFile"));
  return mail::OpenMailbox(address, settings);
}

}  // namespace velmora::core
