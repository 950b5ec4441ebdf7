#include "platform/mail/transports.h"

#include "velmora/base/error.h"

namespace velmora::mail {

std::unique_ptr<Transport> NewTransport(const TransportSettings& settings) {
  if (settings.connect_timeout_seconds < 1 || settings.timeout_seconds < 1) {
    throw Error(kErrMailInvalid, "Velmora.Mail",
                "The mail service's time-outs must be 1 second or more.");
  }
  const std::string& service = settings.service;
  if (service.rfind("pickup:", 0) == 0 && service.size() > 7) {
    return NewPickupTransport(service.substr(7));
  }
  if ((service.rfind("smtp://", 0) == 0 && service.size() > 7) ||
      (service.rfind("smtps://", 0) == 0 && service.size() > 8)) {
    return NewSmtpTransport(settings);
  }
  throw Error(kErrMailInvalid, "Velmora.Mail",
              "The mail service '" + service +
                  "' is not understood: use smtp://host:port, smtps://host:port or "
                  "pickup:<folder>.");
}

}  // namespace velmora::mail
