#pragma once

#include "platform/net/transfer_client.h"

namespace velmora::core {

// The limits of section "TRANSFER" of the site configuration ("ConnectTimeoutSeconds",
// "TimeoutSeconds", "MaxReplyBytes", "CAFile", "FtpPassive"), defaults for what is missing,
// not a positive number, or unreadable.
net::TransferLimits SiteTransferLimits();

}  // namespace velmora::core
