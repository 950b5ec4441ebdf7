#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/mail/composer.h"
#include "platform/mail/transports.h"
#include "velmora/base/error.h"
#include "velmora/base/sources.h"

namespace velmora::mail {
namespace {

struct EasyCleanup {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct ListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using StringList = std::unique_ptr<curl_slist, ListFree>;

void InitializeOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The bytes of one message as libcurl reads them, and the SMTP dialogue as far as the error
// text needs it.
struct Transfer {
  std::string_view remaining;
  std::string last_recipient;   // the last RCPT TO command sent
  std::string recipient_reply;  // the relay's reply to it
  std::string last_reply;
  bool awaiting_recipient_reply = false;
};

size_t ReadBytes(char* buffer, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t n = std::min(size * count, transfer->remaining.size());
  std::memcpy(buffer, transfer->remaining.data(), n);
  transfer->remaining.remove_prefix(n);
  return n;
}

std::string Line(const char* data, size_t size) {
  std::string line(data, size);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
    line.pop_back();
  }
  return line;
}

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  if (type == CURLINFO_HEADER_OUT) {
    std::string command = Line(data, size);
    if (command.rfind("RCPT TO:", 0) == 0) {
      transfer->last_recipient = command.substr(8);
      transfer->awaiting_recipient_reply = true;
    }
  } else if (type == CURLINFO_HEADER_IN) {
    transfer->last_reply = Line(data, size);
    if (transfer->awaiting_recipient_reply) {
      transfer->recipient_reply = transfer->last_reply;
      transfer->awaiting_recipient_reply = false;
    }
  }
  return 0;
}

std::string Bracketed(const std::string& address) { return "<" + address + ">"; }

class SmtpTransport : public Transport {
 public:
  explicit SmtpTransport(TransportSettings settings) : settings_(std::move(settings)) {
    InitializeOnce();
  }

  void Send(const Message& message) override {
    const ComposedMail composed = Compose(message, CurrentClock().Now());
    EasyHandle curl = TakeHandle();
    StringList recipients;
    for (const std::string& address : composed.envelope.recipients) {
      curl_slist* appended = curl_slist_append(recipients.get(), Bracketed(address).c_str());
      if (appended == nullptr) {
        throw Error(kErrMailNotSent, "Velmora.Mail", "Out of memory");
      }
      recipients.release();
      recipients.reset(appended);
    }
    Transfer transfer{composed.bytes, {}, {}, {}, false};
    char error_text[CURL_ERROR_SIZE] = {};
    const std::string sender = Bracketed(composed.envelope.sender);
    Configure(curl.get(), sender, recipients.get(), transfer, error_text);
    curl_easy_setopt(curl.get(), CURLOPT_INFILESIZE_LARGE,
                     static_cast<curl_off_t>(composed.bytes.size()));
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
      RaiseFailure(code, error_text, transfer);
    }
    GiveBack(std::move(curl));
  }

 private:
  static constexpr size_t kIdleHandles = 4;

  void Configure(CURL* curl, const std::string& sender, curl_slist* recipients, Transfer& transfer,
                 char* error_text) const {
    curl_easy_setopt(curl, CURLOPT_URL, settings_.service.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, sender.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &ReadBytes);
    curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, settings_.connect_timeout_seconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, settings_.timeout_seconds);
    // An account travels only over TLS; without one, TLS is used when the relay offers it.
    const bool implicit_tls = settings_.service.rfind("smtps://", 0) == 0;
    if (!implicit_tls) {
      curl_easy_setopt(curl, CURLOPT_USE_SSL,
                       settings_.user.empty() ? static_cast<long>(CURLUSESSL_TRY)
                                              : static_cast<long>(CURLUSESSL_ALL));
    }
    if (!settings_.user.empty()) {
      curl_easy_setopt(curl, CURLOPT_USERNAME, settings_.user.c_str());
      curl_easy_setopt(curl, CURLOPT_PASSWORD, settings_.password.c_str());
    }
    if (!settings_.ca_file.empty()) {
      curl_easy_setopt(curl, CURLOPT_CAINFO, settings_.ca_file.c_str());
    }
  }

  [[noreturn]] void RaiseFailure(CURLcode code, const char* error_text,
                                 const Transfer& transfer) const {
    const std::string reason = *error_text != '\0' ? error_text : curl_easy_strerror(code);
    std::string description;
    const char status = transfer.recipient_reply.empty() ? ' ' : transfer.recipient_reply[0];
    if (status == '4' || status == '5') {
      description = "The mail relay refused the recipient " + transfer.last_recipient + " ('" +
                    transfer.recipient_reply + "'); the mail was sent to nobody.";
    } else {
      description = "The mail could not be sent through " + settings_.service + ": " + reason;
      if (!transfer.last_reply.empty()) {
        description += " (last reply of the relay: '" + transfer.last_reply + "')";
      }
    }
    throw Error(kErrMailNotSent, "Velmora.Mail", description);
  }

  EasyHandle TakeHandle() {
    {
      std::lock_guard lock(mutex_);
      if (!idle_.empty()) {
        EasyHandle handle = std::move(idle_.back());
        idle_.pop_back();
        return handle;
      }
    }
    EasyHandle handle(curl_easy_init());
    if (!handle) {
      throw Error(kErrMailNotSent, "Velmora.Mail", "The mail client could not be started.");
    }
    return handle;
  }

  void GiveBack(EasyHandle handle) {
    std::lock_guard lock(mutex_);
    if (idle_.size() < kIdleHandles) {
      idle_.push_back(std::move(handle));
    }
  }

  TransportSettings settings_;
  std::mutex mutex_;
  std::vector<EasyHandle> idle_;
};

}  // namespace

std::unique_ptr<Transport> NewSmtpTransport(const TransportSettings& settings) {
  return std::make_unique<SmtpTransport>(settings);
}

}  // namespace velmora::mail
