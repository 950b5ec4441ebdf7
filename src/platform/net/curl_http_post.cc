// HTTP(S) form posts over libcurl: HTTP/1.1, the status text read from the status line.
#include <string>

#include "platform/net/curl_easy.h"
#include "platform/net/curl_transfer_client.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::net::internal {
namespace {

constexpr const char* kSource = "Velmora.Net.CurlTransferClient.Post";

// The reason phrase of the last status line seen; every new status line replaces it.
struct StatusLine {
  bool seen = false;
  std::string text;
};

size_t ReadHeader(char* data, size_t size, size_t count, void* context) {
  auto* status = static_cast<StatusLine*>(context);
  const size_t bytes = size * count;
  std::string line(data, bytes);
  if (line.rfind("HTTP/", 0) == 0) {
    status->seen = true;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
      line.pop_back();
    }
    const size_t code = line.find(' ');
    const size_t reason = code == std::string::npos ? std::string::npos : line.find(' ', code + 1);
    status->text = reason == std::string::npos ? std::string() : line.substr(reason + 1);
  }
  return bytes;
}

bool IsConnectFailure(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
      return true;
    default:
      return false;
  }
}

}  // namespace

HttpReply PostWithCurl(const HttpPost& request) {
  const int32_t number = ErrNumber(EnumerationErrors::PushByHTTPError);
  CurlPtr curl = NewEasy(number, kSource, "http,https", request.limits, request.proxy);
  CURL* handle = curl.get();
  const std::string url = std::string(request.secure ? "https://" : "http://") + request.host +
                          ":" + std::to_string(request.port) + request.page;
  SlistPtr headers(curl_slist_append(nullptr, ("Content-Type: " + request.content_type).c_str()));
  headers.reset(curl_slist_append(headers.release(), "Expect:"));
  char error_buffer[CURL_ERROR_SIZE] = {};
  StatusLine status;
  Sink sink;
  sink.limit = request.limits.max_reply_bytes;
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error_buffer);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "HTTPPOST");
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                   static_cast<curl_off_t>(request.body.size()));
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &status);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToSink);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);

  const CURLcode code = curl_easy_perform(handle);
  if (sink.too_large) {
    throw TransferError(number, TransferStage::kReceive, kSource,
                        "The reply is larger than " + std::to_string(sink.limit) + " bytes");
  }
  if (code != CURLE_OK) {
    long request_size = 0;
    curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &request_size);
    const TransferStage stage = status.seen || request_size > 0 ? TransferStage::kReceive
                                : IsConnectFailure(code)        ? TransferStage::kConnect
                                                                : TransferStage::kSend;
    throw TransferError(number, stage, kSource, Reason(code, error_buffer));
  }
  HttpReply reply;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply.status);
  reply.status_text = std::move(status.text);
  reply.body = std::move(sink.bytes);
  return reply;
}

}  // namespace velmora::net::internal
