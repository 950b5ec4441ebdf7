// FTP transfers over libcurl: one connection per session, single CWD to absolute directories.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>
#include <vector>

#include "platform/net/curl_easy.h"
#include "platform/net/curl_transfer_client.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::net::internal {
namespace {

constexpr const char* kSource = "Velmora.Net.CurlTransferClient.Ftp";

struct Source {
  const std::string* bytes = nullptr;
  size_t offset = 0;
};

size_t ReadFromSource(char* buffer, size_t size, size_t count, void* context) {
  auto* source = static_cast<Source*>(context);
  const size_t left = source->bytes->size() - source->offset;
  const size_t bytes = std::min(left, size * count);
  std::memcpy(buffer, source->bytes->data() + source->offset, bytes);
  source->offset += bytes;
  return bytes;
}

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

// A plain name that can also travel inside an FTP command line.
bool IsCommandSafeName(const std::string& name) {
  return IsPlainName(name) && std::none_of(name.begin(), name.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
         });
}

// Drops what libcurl writes without being asked (the header lines of a request without body).
size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// Passes downloaded chunks on; the first exception of the receiver stops the transfer.
struct Download {
  const std::function<void(std::string_view)>* write = nullptr;
  std::exception_ptr failure;
};

size_t WriteToDownload(char* data, size_t size, size_t count, void* context) {
  auto* download = static_cast<Download*>(context);
  try {
    (*download->write)(std::string_view(data, size * count));
  } catch (...) {
    download->failure = std::current_exception();
    return 0;
  }
  return size * count;
}

// The URL path of a directory, ending in "/": "" for the login directory; an absolute one
// begins with "%2F" so that the server is asked for it from its root.
std::string DirectoryPath(const std::string& directory) {
  if (directory.empty()) {
    return "";
  }
  std::string path = EscapePath(directory, true);
  if (directory.front() == '/') {
    path = "%2F" + path.substr(1);
  }
  if (path.back() != '/') {
    path += '/';
  }
  return path;
}

class CurlFtpSession : public FtpSession {
 public:
  explicit CurlFtpSession(const FtpLogin& login)
      : base_("ftp://" + login.host + ":" + std::to_string(login.port) + "/"),
        curl_(NewEasy(Number(), kSource, "ftp", login.limits, login.proxy)),
        max_reply_bytes_(login.limits.max_reply_bytes) {
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error_buffer_);
    curl_easy_setopt(handle, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    if (!login.limits.ftp_passive) {
      curl_easy_setopt(handle, CURLOPT_FTPPORT, "-");
    }
    if (!login.user.empty()) {
      curl_easy_setopt(handle, CURLOPT_USERNAME, login.user.c_str());
      curl_easy_setopt(handle, CURLOPT_PASSWORD, login.password.c_str());
    }
    if (!login.proxy.host.empty()) {
      curl_easy_setopt(handle, CURLOPT_HTTPPROXYTUNNEL, 1L);
    }
    Perform(base_, TransferStage::kConnect, Mode::kNoBody);
  }

  void ChangeDirectory(const std::string& directory) override {
    const std::string path = DirectoryPath(directory);
    if (!path.empty()) {
      Perform(base_ + path, TransferStage::kDirectory, Mode::kNoBody);
    }
    directory_ = path;
  }

  void Put(const std::string& name, const std::string& bytes, bool ascii) override {
    if (!IsPlainName(name)) {
      throw TransferError(Number(), TransferStage::kSend, kSource,
                          "The remote name '" + name + "' is not a plain file name");
    }
    Source source{&bytes, 0};
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadFromSource);
    curl_easy_setopt(handle, CURLOPT_READDATA, &source);
    curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
    curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    Perform(base_ + directory_ + EscapePath(name, false), TransferStage::kSend, Mode::kUpload);
  }

  bool Exists(const std::string& name) override {
    const std::vector<std::string> names = List();
    return std::find(names.begin(), names.end(), name) != names.end();
  }

  std::vector<std::string> List() override {
    Sink sink;
    sink.limit = max_reply_bytes_;
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToSink);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, 0L);
    Perform(base_ + directory_, TransferStage::kReceive, Mode::kNameList);
    std::vector<std::string> names;
    size_t start = 0;
    while (start < sink.bytes.size()) {
      size_t end = sink.bytes.find('\n', start);
      if (end == std::string::npos) {
        end = sink.bytes.size();
      }
      std::string entry = sink.bytes.substr(start, end - start);
      if (!entry.empty() && entry.back() == '\r') {
        entry.pop_back();
      }
      if (!entry.empty()) {
        names.push_back(std::move(entry));
      }
      start = end + 1;
    }
    return names;
  }

  void Get(const std::string& name, const std::function<void(std::string_view)>& write) override {
    RequireCommandSafe(name, TransferStage::kReceive);
    Download download{&write, nullptr};
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToDownload);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, 0L);
    try {
      Perform(base_ + directory_ + EscapePath(name, false), TransferStage::kReceive,
              Mode::kDownload);
    } catch (const TransferError&) {
      if (download.failure) {
        std::rethrow_exception(download.failure);
      }
      throw;
    }
  }

  std::optional<DateTime> ModifiedTime(const std::string& name) override {
    RequireCommandSafe(name, TransferStage::kReceive);
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_FILETIME, 1L);
    try {
      Perform(base_ + directory_ + EscapePath(name, false), TransferStage::kReceive, Mode::kNoBody);
    } catch (...) {
      curl_easy_setopt(handle, CURLOPT_FILETIME, 0L);
      throw;
    }
    curl_easy_setopt(handle, CURLOPT_FILETIME, 0L);
    curl_off_t seconds = -1;
    struct tm local {};
    if (curl_easy_getinfo(handle, CURLINFO_FILETIME_T, &seconds) != CURLE_OK || seconds < 0) {
      return std::nullopt;
    }
    const auto time = static_cast<time_t>(seconds);
    if (localtime_r(&time, &local) == nullptr) {
      return std::nullopt;
    }
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
  }

  void Delete(const std::string& name) override {
    RequireCommandSafe(name, TransferStage::kSend);
    const std::string command = "DELE " + name;
    SlistPtr commands(curl_slist_append(nullptr, command.c_str()));
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_POSTQUOTE, commands.get());
    try {
      Perform(base_ + directory_, TransferStage::kSend, Mode::kNoBody);
    } catch (...) {
      curl_easy_setopt(handle, CURLOPT_POSTQUOTE, nullptr);
      throw;
    }
    curl_easy_setopt(handle, CURLOPT_POSTQUOTE, nullptr);
  }

 private:
  enum class Mode { kNoBody, kUpload, kNameList, kDownload };

  static int32_t Number() { return ErrNumber(EnumerationErrors::PushByFTPError); }

  static void RequireCommandSafe(const std::string& name, TransferStage stage) {
    if (!IsCommandSafeName(name)) {
      throw TransferError(Number(), stage, kSource,
                          "The remote name is not a plain file name without control characters");
    }
  }

  void Perform(const std::string& url, TransferStage stage, Mode mode) {
    CURL* handle = curl_.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOBODY, mode == Mode::kNoBody ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_UPLOAD, mode == Mode::kUpload ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_DIRLISTONLY, mode == Mode::kNameList ? 1L : 0L);
    if (mode == Mode::kNoBody || mode == Mode::kUpload) {
      curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Discard);
      curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
    }
    error_buffer_[0] = '\0';
    const CURLcode code = curl_easy_perform(handle);
    if (code != CURLE_OK) {
      const bool login_failed = code == CURLE_LOGIN_DENIED || code == CURLE_COULDNT_CONNECT ||
                                code == CURLE_COULDNT_RESOLVE_HOST;
      throw TransferError(Number(), login_failed ? TransferStage::kConnect : stage, kSource,
                          Reason(code, error_buffer_), static_cast<int32_t>(code));
    }
  }

  std::string base_;
  std::string directory_;
  CurlPtr curl_;
  size_t max_reply_bytes_;
  char error_buffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace

std::unique_ptr<FtpSession> ConnectFtpWithCurl(const FtpLogin& login) {
  return std::make_unique<CurlFtpSession>(login);
}

}  // namespace velmora::net::internal
