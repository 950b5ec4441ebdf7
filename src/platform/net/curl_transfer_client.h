#pragma once

#include <memory>

#include "platform/net/transfer_client.h"

// The two halves of the libcurl transfer client.
namespace velmora::net::internal {

HttpReply PostWithCurl(const HttpPost& request);
std::unique_ptr<FtpSession> ConnectFtpWithCurl(const FtpLogin& login);

}  // namespace velmora::net::internal
