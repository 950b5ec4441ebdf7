#include "app/service.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "automation/call_service.h"
#include "core/env.h"
#include "core/file_service.h"
#include "core/general.h"
#include "platform/host/password_hash.h"
#include "platform/json/json_codec.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"

namespace velmora::app {
namespace {

net::HttpResponse ErrorResponse(int status, const std::string& description) {
  auto details = std::make_shared<Dictionary>();
  details->Add("number", Variant(static_cast<int32_t>(status)));
  details->Add("source", Variant("velmora serve"));
  details->Add("description", Variant(description));
  auto body = std::make_shared<Dictionary>();
  body->Add("error", Variant(ObjectRef(details)));
  return net::HttpResponse{status, "application/json", json::Serialize(Variant(ObjectRef(body)))};
}

bool SplitListen(const std::string& listen, std::string& host, int& port) {
  const size_t colon = listen.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    return false;
  }
  host = listen.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  int64_t value = 0;
  if (!text::ParseInt64(listen.substr(colon + 1), value) || value < 0 || value > 65535) {
    return false;
  }
  port = static_cast<int>(value);
  return true;
}

}  // namespace

net::HttpResponse HandleCall(const net::HttpRequest& request, const std::string& token) {
  static const std::string kScheme = "Bearer ";
  const std::string& authorization = request.authorization;
  const bool bearer =
      authorization.size() > kScheme.size() && text::IStartsWith(authorization, kScheme);
  if (token.empty() || !bearer ||
      !host::ConstantTimeEquals(text::Trim(authorization.substr(kScheme.size())), token)) {
    return ErrorResponse(401, "A valid bearer token is required");
  }
  Variant body;
  try {
    body = json::Parse(request.body);
  } catch (const Error& failure) {
    return ErrorResponse(400, failure.description());
  }
  auto call = body.As<Dictionary>();
  if (!call) {
    return ErrorResponse(400, "The body must be a JSON object");
  }
  const Variant progid = call->Item("progid");
  const Variant method = call->Item("method");
  const Variant args = call->Item("args");
  if (progid.kind() != Variant::Kind::kText || method.kind() != Variant::Kind::kText) {
    return ErrorResponse(400, "\"progid\" and \"method\" must be texts");
  }
  if (!args.IsEmpty() && !args.IsArray()) {
    return ErrorResponse(400, "\"args\" must be an array");
  }
  std::vector<Variant> arguments;
  if (args.IsArray()) {
    arguments = args.AsArray().values();
  }
  automation::CallReply reply =
      automation::CallAndReply(progid.ToText(), method.ToText(), std::move(arguments));
  return net::HttpResponse{200, "application/json", std::move(reply.json)};
}

int Serve(const std::string& listen, bool allow_root) {
  std::string host;
  int port = 0;
  if (!SplitListen(listen, host, port)) {
    std::cerr << "velmora serve: --listen must be HOST:PORT, not '" << listen << "'\n";
    return 2;
  }
  if (::geteuid() == 0 && !allow_root) {
    std::cerr << "velmora serve: refusing to run as root; start it as the installation's own "
                 "user, or pass --allow-root\n";
    return 1;
  }
  const std::string site_file = core::getSiteConfigFile();
  std::string token;
  try {
    token = text::Trim(core::ReadConfigValue(site_file, "SERVICE", "Token").ToText());
  } catch (const Error& failure) {
    std::cerr << "velmora serve: cannot read the site configuration: " << failure.description()
              << "\n";
    return 1;
  }
  if (token.empty()) {
    std::cerr << "velmora serve: no service token in section SERVICE, key Token of '" << site_file
              << "'; run velmora init\n";
    return 1;
  }

  try {
    core::Env env = core::CurrentEnv();
    env.allowed_roots = core::InstallationRoots();
    env.allowed_hosts = core::ConfiguredHosts();
    core::InstallEnv(std::move(env));
  } catch (const Error& failure) {
    std::cerr << "velmora serve: cannot list the folders and hosts calls may use: "
              << failure.description() << "\n";
    return 1;
  }

  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::unique_ptr<net::HttpServer> server = net::NewHttpServer(net::HttpServerLimits{});
  int bound = 0;
  try {
    bound = server->Bind(host, port);
  } catch (const Error& failure) {
    std::cerr << "velmora serve: " << failure.description() << "\n";
    return 1;
  }
  std::cout << "velmora serve: listening on http://" << host << ":" << bound << "/v1/call"
            << std::endl;
  std::thread stopper([&server, signals] {
    int received = 0;
    sigwait(&signals, &received);
    server->Stop();
  });
  const bool finished = server->Serve(
      "/v1/call", [token](const net::HttpRequest& request) { return HandleCall(request, token); });
  stopper.join();
  if (!finished) {
    std::cout << "velmora serve: stopped; calls still running were abandoned" << std::endl;
    std::_Exit(0);
  }
  std::cout << "velmora serve: stopped" << std::endl;
  return 0;
}

}  // namespace velmora::app
