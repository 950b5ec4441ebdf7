// The HTTP(S) transport: the document posted as a form, an XML error reply read back.
#include <cstdint>
#include <string>

#include "core/guarded.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "routing/node_queries.h"
#include "velmora/base/text.h"
#include "velmora/delivery/push_doc_utils.h"
#include "velmora/xml/document.h"

namespace velmora::delivery {
namespace {

// The parts of an http(s) address.
struct HttpAddress {
  bool secure = false;
  std::string host;
  long port = 0;
  std::string page;
};

[[noreturn]] void FailHttp(int32_t doc_id, const std::string& code, Replacements replacements) {
  RaiseError(EnumerationErrors::PushByHTTPError, PushPath("SendDataByHTTP"),
             Label(code, replacements) + " " + DocumentLabel(doc_id));
}

// Port 0 and -1 stand for the default port of the scheme.
long DefaultedPort(int32_t port, bool secure) {
  return port == -1 || port == 0 ? (secure ? 443 : 80) : port;
}

HttpAddress ParseHttpAddress(int32_t doc_id, const TSendMethodProperties& record) {
  const std::string& address = record.sAddress;
  const std::string shown = RedactAddress(address);
  HttpAddress parsed;
  std::string rest;
  if (text::IStartsWith(address, "http://")) {
    rest = address.substr(7);
  } else if (text::IStartsWith(address, "https://")) {
    rest = address.substr(8);
    parsed.secure = true;
  } else {
    FailHttp(doc_id, "ZODAR4241", {{"[%ADDRESS%]", shown}});
  }
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) {
    FailHttp(doc_id, "ZODAR4243", {{"[%ADDRESS%]", shown}});
  }
  parsed.page = rest.substr(slash);
  parsed.host = rest.substr(0, slash);
  const size_t colon = parsed.host.find(':');
  if (colon == std::string::npos) {
    parsed.port = DefaultedPort(record.lPort, parsed.secure);
  } else {
    int64_t port = 0;
    if (!text::ParseInt64(parsed.host.substr(colon + 1), port) || port < 1 || port > 65535) {
      FailHttp(doc_id, "ZODAR4242", {{"[%ADDRESS%]", shown}});
    }
    parsed.port = static_cast<long>(port);
    parsed.host = parsed.host.substr(0, colon);
  }
  if (parsed.host.empty()) {
    FailHttp(doc_id, "ZODAR4242", {{"[%ADDRESS%]", shown}});
  }
  return parsed;
}

// The ERROR_NUMBER text as a number; 0 when it is not one.
int32_t ErrorNumber(const std::string& text) {
  int64_t number = 0;
  if (text::ParseInt64(text, number) && number >= INT32_MIN && number <= INT32_MAX) {
    return static_cast<int32_t>(number);
  }
  return 0;
}

}  // namespace

std::string HttpFormBody(int32_t doc_id, const TSendMethodProperties& record,
                         const std::string& data) {
  PushDocUtils utils;
  std::string body =
      (record.nFormat == ESendMethodFormat::OBI ? "EOBIO=" : "xml=") + utils.URLEncode(data);
  if (!record.sUser.empty()) {
    body +=
        "&USER=" + utils.URLEncode(record.sUser) + "&PASSWORD=" + utils.URLEncode(record.sPassword);
  }
  return body + "&DocID=" + utils.URLEncode(std::to_string(doc_id));
}

std::string SendDataByHTTP(int32_t doc_id, const TSendMethodProperties& record,
                           const std::string& body) {
  std::string reason;
  return GuardedWithMessage(
      PushPath("SendDataByHTTP"),
      [&]() -> core::Info { return reason.empty() ? core::Info() : core::Info(Variant(reason)); },
      [&] {
        const HttpAddress address = ParseHttpAddress(doc_id, record);
        const std::string port = std::to_string(address.port);
        net::TransferClient* client = CurrentTransferClient();
        if (client == nullptr) {
          FailHttp(doc_id, "ZODAR4244", {});
        }
        net::HttpPost post;
        post.secure = address.secure;
        post.host = address.host;
        post.port = address.port;
        post.page = address.page;
        post.content_type = "application/x-www-form-urlencoded";
        post.body = body;
        post.proxy = net::Proxy{record.sProxy, record.lProxyPort};
        post.limits = SiteTransferLimits();
        net::HttpReply reply;
        try {
          reply = client->Post(post);
        } catch (const net::TransferError& failure) {
          reason = failure.description();
          const Replacements where = {
              {"[%SERVER%]", address.host}, {"[%PORT%]", port}, {"[%PAGE%]", address.page}};
          switch (failure.stage()) {
            case net::TransferStage::kConnect:
              FailHttp(doc_id, "ZODAR4245", where);
            case net::TransferStage::kReceive:
              FailHttp(doc_id, "ZODAR4249", where);
            default:
              FailHttp(doc_id, "ZODAR4247", where);
          }
        }
        if (reply.status != 200) {
          throw Error(
              ErrNumber(EnumerationErrors::PushByHTTPError), "WinInet.HttpSendRequest",
              "Server responded with:" + std::to_string(reply.status) + " " + reply.status_text);
        }
        return reply.body;
      });
}

void SendByHTTP(int32_t doc_id, TSendMethodProperties& record, const std::string& data) {
  core::Guarded(PushPath("SendByHTTP"), [&] {
    const std::string reply = SendDataByHTTP(doc_id, record, HttpFormBody(doc_id, record, data));
    xml::Document document;
    if (!document.LoadXml(reply)) {
      return;
    }
    using routing::node_queries::FirstText;
    const int32_t number = ErrorNumber(FirstText(document, "//ERROR_NUMBER"));
    if (number != 0) {
      throw Error(number, "Error from receiving web page: " + FirstText(document, "//ERROR_SOURCE"),
                  FirstText(document, "//ERROR_DESCRIPTION"));
    }
  });
}

}  // namespace velmora::delivery
