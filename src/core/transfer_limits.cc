#include "core/transfer_limits.h"

#include <cstdlib>
#include <string>

#include "core/general.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

// The positive whole number of key `key` of section "TRANSFER", or `fallback`.
long SiteNumber(const std::string& site_config, const char* key, long fallback) {
  const std::string text = ReadConfigValue(site_config, "TRANSFER", key).ToText();
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && end != nullptr && *end == '\0' && value > 0 ? value : fallback;
}

}  // namespace

net::TransferLimits SiteTransferLimits() {
  net::TransferLimits limits;
  try {
    const std::string site_config = getSiteConfigFile();
    if (site_config.empty()) {
      return limits;
    }
    limits.connect_timeout_ms =
        SiteNumber(site_config, "ConnectTimeoutSeconds", limits.connect_timeout_ms / 1000) * 1000;
    limits.timeout_ms = SiteNumber(site_config, "TimeoutSeconds", limits.timeout_ms / 1000) * 1000;
    limits.max_reply_bytes = static_cast<size_t>(
        SiteNumber(site_config, "MaxReplyBytes", static_cast<long>(limits.max_reply_bytes)));
    limits.ca_file = ReadConfigValue(site_config, "TRANSFER", "CAFile").ToText();
    const std::string passive =
        text::Trim(ReadConfigValue(site_config, "TRANSFER", "FtpPassive").ToText());
    limits.ftp_passive =
        passive == "1" || text::IEquals(passive, "true") || text::IEquals(passive, "yes");
  } catch (const Error&) {
    return net::TransferLimits();
  }
  return limits;
}

}  // namespace velmora::core
