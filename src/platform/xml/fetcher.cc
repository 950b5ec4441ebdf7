#include "platform/xml/fetcher.h"

#include <curl/curl.h>

#include <memory>

#include "platform/xml/libxml_runtime.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::xml {
namespace {

constexpr const char* kSource = "Velmora.Xml.CurlFetcher.Get";

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;

struct Download {
  std::string body;
  size_t limit = 0;
  bool too_large = false;
};

size_t Collect(char* data, size_t size, size_t count, void* context) {
  auto* download = static_cast<Download*>(context);
  size_t bytes = size * count;
  if (download->body.size() + bytes > download->limit) {
    download->too_large = true;
    return 0;  // aborts the transfer
  }
  download->body.append(data, bytes);
  return bytes;
}

[[noreturn]] void Fail(const std::string& url, const std::string& reason) {
  RaiseError(EnumerationErrors::CannotLoadFile, kSource,
             "The document at '" + url + "' could not be downloaded: " + reason);
}

}  // namespace

FetchReply FetchChecked(Fetcher& fetcher, const std::string& url) {
  FetchReply reply = fetcher.Get(url);
  if (reply.status < 200 || reply.status > 299) {
    RaiseError(
        EnumerationErrors::CannotLoadFile, "Velmora.Xml.FetchChecked",
        "The server answered HTTP status " + std::to_string(reply.status) + " for '" + url + "'");
  }
  return reply;
}

CurlFetcher::CurlFetcher() : CurlFetcher(Options()) {}

CurlFetcher::CurlFetcher(Options options) : options_(std::move(options)) {}

FetchReply CurlFetcher::Get(const std::string& url) {
  internal::EnsureInitialized();
  CurlPtr curl(curl_easy_init());
  if (!curl) {
    Fail(url, "the transfer could not be set up");
  }
  CURL* handle = curl.get();
  char error_text[CURL_ERROR_SIZE] = {};
  Download download;
  download.limit = options_.max_bytes;
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options_.max_redirects);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, options_.connect_timeout_ms);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, options_.timeout_ms);
  curl_easy_setopt(handle, CURLOPT_PROXY, options_.proxy.c_str());
  curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "Velmora");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options_.max_bytes));

  CURLcode code = curl_easy_perform(handle);
  if (download.too_large) {
    Fail(url, "the reply is larger than " + std::to_string(options_.max_bytes) + " bytes");
  }
  if (code != CURLE_OK) {
    Fail(url, error_text[0] != '\0' ? std::string(error_text) : curl_easy_strerror(code));
  }
  FetchReply reply;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply.status);
  char* effective = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
      effective != nullptr) {
    reply.final_url = effective;
  }
  reply.body = std::move(download.body);
  return reply;
}

}  // namespace velmora::xml
