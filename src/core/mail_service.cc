#include "core/mail_service.h"

#include <charconv>
#include <filesystem>
#include <mutex>

#include "platform/host/xml_file.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

constexpr const char* kSection = "MAIL";

std::string InHome(const std::string& home, const std::string& path) {
  if (path.empty() || path.front() == '/') {
    return path;
  }
  return (std::filesystem::path(home) / path).lexically_normal().string();
}

long Seconds(const std::string& key, const std::string& value, long fallback) {
  if (value.empty()) {
    return fallback;
  }
  long seconds = 0;
  const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (failure != std::errc() || end != value.data() + value.size() || seconds < 1) {
    throw Error(mail::kErrMailInvalid, "Velmora.Mail",
                "Key '" + key + "' of section MAIL must be a whole number of seconds, not '" +
                    value + "'.");
  }
  return seconds;
}

// Builds the configured transport on the first message and forwards every message to it.
class SiteMailTransport : public mail::Transport {
 public:
  explicit SiteMailTransport(std::string home) : home_(std::move(home)) {}

  void Send(const mail::Message& message) override { Configured().Send(message); }

 private:
  mail::Transport& Configured() {
    std::lock_guard lock(mutex_);
    if (!transport_) {
      const mail::TransportSettings settings = ReadMailSettings(home_);
      if (settings.service.empty()) {
        throw Error(mail::kErrMailNotSent, "Velmora.Mail",
                    "No mail service is configured (key Service of section MAIL of " + home_ +
                        "/config/SiteConfiguration.xml).");
      }
      transport_ = mail::NewTransport(settings);
    }
    return *transport_;
  }

  std::string home_;
  std::mutex mutex_;
  std::unique_ptr<mail::Transport> transport_;
};

}  // namespace

mail::TransportSettings ReadMailSettings(const std::string& home) {
  const host::XmlElement root = host::ReadXmlFile(home + "/config/SiteConfiguration.xml");
  std::map<std::string, std::string> keys;
  for (const host::XmlElement& section : root.children) {
    if (section.name != "section" || section.Attribute("name") != kSection) {
      continue;
    }
    for (const host::XmlElement& key : section.children) {
      if (key.name == "key") {
        keys[key.Attribute("name")] = text::Trim(key.text);
      }
    }
  }
  mail::TransportSettings settings;
  settings.service = keys["Service"];
  if (settings.service.rfind("pickup:", 0) == 0) {
    settings.service = "pickup:" + InHome(home, settings.service.substr(7));
  }
  settings.user = keys["User"];
  settings.password = keys["Password"];
  settings.connect_timeout_seconds =
      Seconds("ConnectTimeoutSeconds", keys["ConnectTimeoutSeconds"], 10);
  settings.timeout_seconds = Seconds("TimeoutSeconds", keys["TimeoutSeconds"], 60);
  settings.ca_file = InHome(home, keys["CAFile"]);
  return settings;
}

std::shared_ptr<mail::Transport> NewSiteMailTransport(const std::string& home) {
  return std::make_shared<SiteMailTransport>(home);
}

}  // namespace velmora::core
