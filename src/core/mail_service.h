#pragma once

#include <memory>
#include <string>

#include "platform/mail/transport.h"
#include "platform/mail/transports.h"

// The mail service of an installation: section "MAIL" of the site configuration of its home.
//   "Service"                 smtp://host:port, smtps://host:port or pickup:<folder> (a
//                             relative folder is taken relative to the home)
//   "User", "Password"        the relay's account, when it needs one
//   "ConnectTimeoutSeconds"   reaching the relay (default 10)
//   "TimeoutSeconds"          one whole message (default 60)
//   "CAFile"                  PEM certificates of a private authority (relative to the home)
namespace velmora::core {

// The settings of `home`/config/SiteConfiguration.xml. Raises an Error naming the file when it
// cannot be read, and kErrMailInvalid for a time-out that is not a whole number of seconds. A
// missing "Service" gives an empty service.
mail::TransportSettings ReadMailSettings(const std::string& home);

// The transport of the home's mail service, built from the configuration when the first
// message is sent (so that reading the configuration cannot fail a program that sends no
// mail); a configuration that cannot be used fails each Send with its reason. Safe to use from
// several threads at once.
std::shared_ptr<mail::Transport> NewSiteMailTransport(const std::string& home);

}  // namespace velmora::core
