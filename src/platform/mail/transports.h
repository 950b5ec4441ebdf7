#pragma once

#include <memory>
#include <string>

#include "platform/mail/transport.h"

namespace velmora::mail {

// How messages leave: the mail service of the site configuration.
struct TransportSettings {
  // "smtp://host:port" (STARTTLS when the relay offers it), "smtps://host:port" (TLS from
  // the start), or "pickup:<folder>" (one .eml file per message).
  std::string service;
  // The relay's account; no login when `user` is empty.
  std::string user;
  std::string password;
  // Seconds to reach the relay, and for a whole message (a stalled relay fails then).
  long connect_timeout_seconds = 10;
  long timeout_seconds = 60;
  // Certificates of trusted authorities (PEM) in addition to the system's; "" for none.
  std::string ca_file;
};

// The transport `settings` describe. Raises kErrMailInvalid with source "Velmora.Mail" for a
// service of any other form or a time-out below 1 second.
std::unique_ptr<Transport> NewTransport(const TransportSettings& settings);

// Sends over SMTP with libcurl: MAIL FROM the sender, RCPT TO every address of the list, the
// composed bytes as DATA. A relay that refuses any recipient gets no DATA: the message goes to
// nobody and the error names the refused address and the relay's reply. Certificates are
// verified. A connection is kept for the next message while it stays usable.
std::unique_ptr<Transport> NewSmtpTransport(const TransportSettings& settings);

// Writes each message as "<date>-<random>.eml" into `folder` (created when missing): first as
// a hidden ".tmp" file in the same folder, flushed to disk, then renamed, so that a reader of
// the folder sees only complete messages.
std::unique_ptr<Transport> NewPickupTransport(const std::string& folder);

}  // namespace velmora::mail
