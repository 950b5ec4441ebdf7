#include "platform/net/curl_transfer_client.h"

namespace velmora::net {
namespace {

class CurlTransferClient : public TransferClient {
 public:
  HttpReply Post(const HttpPost& request) override { return internal::PostWithCurl(request); }
  std::unique_ptr<FtpSession> ConnectFtp(const FtpLogin& login) override {
    return internal::ConnectFtpWithCurl(login);
  }
};

}  // namespace

std::shared_ptr<TransferClient> NewCurlTransferClient() {
  return std::make_shared<CurlTransferClient>();
}

}  // namespace velmora::net
