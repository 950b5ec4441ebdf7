#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/net/transfer_client.h"

// What the libcurl transfers share: the handle owner, process-wide initialisation and the
// options of limits, trust and proxy.
namespace velmora::net::internal {

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

// A new easy handle with the options every transfer has: no signals, time-outs and TLS trust
// of `limits`, `proxy` (or none, whatever the environment says), `protocols` only.
// Raises TransferError(number, kConnect) when libcurl cannot make one.
CurlPtr NewEasy(int32_t number, const char* source, const char* protocols,
                const TransferLimits& limits, const Proxy& proxy);

// Collects a reply body up to a limit.
struct Sink {
  std::string bytes;
  size_t limit = 0;
  bool too_large = false;
};
size_t WriteToSink(char* data, size_t size, size_t count, void* context);

// The reason libcurl gives for `code`: the error buffer when it holds one.
std::string Reason(CURLcode code, const char* error_buffer);

// "%XX" for every byte of `text` other than letters, digits and "-._~"; "/" is kept when
// `keep_slash`.
std::string EscapePath(const std::string& text, bool keep_slash);

}  // namespace velmora::net::internal
