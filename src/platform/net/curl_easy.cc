#include "platform/net/curl_easy.h"

#include <mutex>

#include "velmora/base/error.h"

namespace velmora::net::internal {
namespace {

void EnsureGlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlPtr NewEasy(int32_t number, const char* source, const char* protocols,
                const TransferLimits& limits, const Proxy& proxy) {
  EnsureGlobalInit();
  CurlPtr curl(curl_easy_init());
  if (!curl) {
    throw TransferError(number, TransferStage::kConnect, source,
                        "The transfer could not be set up");
  }
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, protocols);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limits.connect_timeout_ms);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits.timeout_ms);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!limits.ca_file.empty()) {
    curl_easy_setopt(handle, CURLOPT_CAINFO, limits.ca_file.c_str());
  }
  curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
  if (proxy.host.empty()) {
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
  } else {
    const std::string address = "http://" + proxy.host;
    curl_easy_setopt(handle, CURLOPT_PROXY, address.c_str());
    if (proxy.port != -1) {
      curl_easy_setopt(handle, CURLOPT_PROXYPORT, proxy.port);
    }
  }
  return curl;
}

size_t WriteToSink(char* data, size_t size, size_t count, void* context) {
  auto* sink = static_cast<Sink*>(context);
  const size_t bytes = size * count;
  if (sink->bytes.size() + bytes > sink->limit) {
    sink->too_large = true;
    return 0;
  }
  sink->bytes.append(data, bytes);
  return bytes;
}

std::string Reason(CURLcode code, const char* error_buffer) {
  return error_buffer != nullptr && error_buffer[0] != '\0' ? std::string(error_buffer)
                                                            : curl_easy_strerror(code);
}

std::string EscapePath(const std::string& text, bool keep_slash) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (unsigned char c : text) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || (keep_slash && c == '/');
    if (plain) {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0x0F];
    }
  }
  return escaped;
}

}  // namespace velmora::net::internal
