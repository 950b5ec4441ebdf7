#pragma once

#include <string>

#include "platform/net/http_server.h"

namespace velmora::app {

// Answers one request to POST /v1/call: 401 without "Authorization: Bearer <token>" (compared
// in constant time), 400 for a body that is not {"progid": text, "method": text,
// "args": [...]}, else 200 with the call's reply (also when the call raised).
net::HttpResponse HandleCall(const net::HttpRequest& request, const std::string& token);

// Serves until SIGINT or SIGTERM, with the library's file service confined to the
// installation's folders (core::InstallationRoots, read once at start), then ends within the
// server's stop grace time: calls still running then are abandoned and the process exits at once.
// Refuses to run as root unless `allow_root`. Returns the exit code; a bind failure or a missing
// token is reported on standard error.
int Serve(const std::string& listen, bool allow_root);

}  // namespace velmora::app
