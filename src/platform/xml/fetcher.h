#pragma once

#include <cstddef>
#include <string>

namespace velmora::xml {

// The answer to one HTTP(S) GET.
struct FetchReply {
  long status = 0;        // HTTP status of the last response (after redirects)
  std::string body;       // the response body, as received
  std::string final_url;  // the URL that answered, after redirects
};

// Downloads documents and stylesheets named by http(s) URLs. Implementations are safe to use
// from several threads at once. A transport failure (no connection, time-out, too large,
// unsupported scheme) raises Error EnumerationErrors::CannotLoadFile naming the URL; an HTTP
// status that is not 2xx is not a failure here: it comes back in the reply (see
// FetchChecked).
class Fetcher {
 public:
  virtual ~Fetcher() = default;
  virtual FetchReply Get(const std::string& url) = 0;
};

// The reply for `url` when its status is 2xx. Raises Error EnumerationErrors::CannotLoadFile
// naming the URL and the status otherwise, and whatever Get raises.
FetchReply FetchChecked(Fetcher& fetcher, const std::string& url);

// Fetcher over libcurl. http and https only (also for redirects); certificates are verified.
// No proxy unless one is given (proxy variables of the environment are ignored). Stateless:
// each Get uses its own connection.
class CurlFetcher : public Fetcher {
 public:
  struct Options {
    long connect_timeout_ms = 10000;
    long timeout_ms = 60000;  // whole transfer
    long max_redirects = 5;
    size_t max_bytes = 64u * 1024u * 1024u;
    std::string proxy;  // e.g. "http://proxy:3128"; "" for none
  };

  CurlFetcher();
  explicit CurlFetcher(Options options);

  FetchReply Get(const std::string& url) override;

 private:
  Options options_;
};

}  // namespace velmora::xml
