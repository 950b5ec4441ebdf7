#include "core/general.h"

#include <cstdio>
#include <exception>

#include "core/components.h"
#include "core/guarded.h"
#include "platform/host/configuration.h"
#include "platform/host/log.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

constexpr const char* kMainProduct = "R2AVidode";

thread_local std::string b2b_config_file;
thread_local std::string site_config_file;
thread_local std::string membership_script_user;
thread_local std::string membership_script_code;
thread_local int16_t logging_level = 0;
thread_local bool logging_level_read = false;

// The error in flight, or an Error with number 0 outside a catch block.
Error ErrorInFlight() {
  if (std::current_exception() == nullptr) {
    return Error();
  }
  return CurrentError();
}

std::string InfoText(const Variant& info) {
  if (info.IsEmpty() || info.IsNull()) {
    return {};
  }
  if (info.IsObject() || info.IsArray()) {
    return info.TypeName();
  }
  return info.ToText();
}

std::string InfoTail(const Info& info) {
  return info ? " Additional information: " + InfoText(*info) : std::string();
}

// The detail an error carries for the log only (see Error::detail).
std::string DetailTail(const Error& error) {
  return error.detail().empty() ? std::string() : " Detail: " + error.detail();
}

std::string LogText(const Error& error, std::string_view path, const Info& info) {
  return std::string(path) + " caught: " + error.description() + "(" + text::Hex(error.number()) +
         ")." + InfoTail(info) + DetailTail(error);
}

std::shared_ptr<host::Log> NewLog() {
  auto log = std::dynamic_pointer_cast<host::Log>(ComponentRegistry::Global().Create("Tarvex.Log"));
  if (!log) {
    throw Error(kErrTypeMismatch, "Tarvex.Log", "The log component has the wrong type");
  }
  return log;
}

std::shared_ptr<host::Configuration> NewConfiguration() {
  auto configuration = GetComponent<host::Configuration>("Tarvex.Configuration");
  if (!configuration) {
    throw Error(kErrObjectRequired, "Tarvex.Configuration",
                "The configuration component could not be created");
  }
  return configuration;
}

// A field of the last installation record of the main product.
std::string LastInstallation(std::string host::ProductInfo::*field) {
  const std::vector<host::ProductInfo> installations =
      NewConfiguration()->GetProductInfo(kMainProduct);
  if (installations.empty()) {
    throw Error(kErrPathNotFound, "Tarvex.Configuration",
                std::string("No installation of ") + kMainProduct +
                    " is recorded in the installation registry");
  }
  return installations.back().*field;
}

std::string ConfigFile(std::string& cache, const char* file_name, const char* path,
                       const char* failure) {
  if (cache.empty()) {
    try {
      cache = LastInstallation(&host::ProductInfo::config_dir) + "\\" + file_name;
    } catch (...) {
      LogError(path, Variant(failure));
      return {};
    }
  }
  return cache;
}

}  // namespace

std::string ChainText(const Error& error, std::string_view path, const Info& info) {
  return "\r\nMETHOD: " + std::string(path) + " caught: " + error.description() + "(" +
         text::Hex(error.number()) + ")." + InfoTail(info);
}

void ReportError(std::string_view path, const Info& info) {
  const Error current = ErrorInFlight();
  LogError(current, path, info);
  if (current.number() != 0) {
    throw current.WithDescription(ChainText(current, path, info));
  }
}

void RaiseReported(std::string_view path, const Info& info) {
  ReportError(path, info);
  throw;
}

void ReportError(const PendingError& current, std::string_view path, const Info& info) {
  LogError(current.error(), path, info);
  if (current.IsSet()) {
    const Error& error = current.error();
    throw error.WithDescription(ChainText(error, path, info));
  }
}

void RethrowError(std::string_view path, const Info& info) {
  PendingError current;
  if (std::current_exception() != nullptr) {
    current.Capture();
  }
  RethrowError(current, path, info);
}

void RethrowError(const PendingError& current, std::string_view path, const Info& info) {
  if (current.IsSet()) {
    const Error& error = current.error();
    throw error.WithDescription(ChainText(error, path, info));
  }
}

void LogError(std::string_view path, const Info& info) { LogError(ErrorInFlight(), path, info); }

void LogError(const Error& current, std::string_view path, const Info& info) {
  NewLog()->WriteErrorEntry(current.source(), LogText(current, path, info), 0, Variant());
}

void LogWarning(std::string_view path, const Info& info) {
  LogWarning(ErrorInFlight(), path, info);
}

void LogWarning(const Error& current, std::string_view path, const Info& info) {
  NewLog()->WriteNoticeEntry(current.source(), LogText(current, path, info), 0, Variant());
}

void LogTrace(std::string_view path, const Info& info) { LogTrace(ErrorInFlight(), path, info); }

void LogTrace(const Error& current, std::string_view path, const Info& info) {
  std::string entry = "\r\nERROR 0x" + text::Hex(current.number()) +
                      "\r\n METHOD: " + std::string(path) + "\r\n DESC: " + current.description() +
                      ".\r\n";
  if (info) {
    entry += " INFO: " + InfoText(*info) + ".\r\n";
  }
  NewLog()->WriteNoticeEntry(std::string(path), entry, 2, Variant());
}

void RaiseLoggedWithSuffix(const std::string& suffix) {
  const Error failure = CurrentError();
  const Error extended = failure.WithDescription(failure.description() + suffix);
  try {
    if (auto log = GetComponent<host::Log>("Tarvex.Log")) {
      log->WriteErrorEntry(extended.source(), extended.description() + DetailTail(extended), 0,
                           Variant());
    }
  } catch (...) {
    // The failure being reported matters more than the failure to log it.
  }
  throw extended;
}

void Trace(std::string_view path, const Info& info) {
  if (iGeneral_B2BLogging() >= 2) {
    LogTrace(path, info);
  }
}

int16_t iGeneral_B2BLogging() {
  if (logging_level_read) {
    return logging_level;
  }
  logging_level_read = true;
  logging_level = 0;
  std::shared_ptr<host::Configuration> configuration;
  try {
    configuration = NewConfiguration();
    configuration->LoadFile(GetB2BConfigFile());
  } catch (...) {
    LogError("general\\iGeneral_B2BLogging");
    return 0;
  }
  try {
    const int16_t level = configuration->GetValue("GLOBAL", "B2BLogging").ToInt16();
    if (level >= 1 && level <= 98) {
      logging_level = level;
    }
  } catch (...) {
    // A value that is not a number leaves tracing off.
  }
  return logging_level;
}

Variant B2B_getComponent(const std::string& progid) {
  try {
    return Variant(ComponentRegistry::Global().Create(progid));
  } catch (...) {
    LogError("General.B2B_getComponent", Variant("Create instance of " + progid + " failed."));
    return Variant();
  }
}

std::string GetB2BConfigFile() {
  return ConfigFile(b2b_config_file, "R2AVidodeConfiguration.xml", "General.GetB2BConfigFile",
                    "Getting the R2AVidode configuration file is failed.");
}

std::string getSiteConfigFile() {
  return ConfigFile(site_config_file, "SiteConfiguration.xml", "General.getSiteConfigFile",
                    "Getting the site configuration file is failed.");
}

std::string getInstallDir() {
  try {
    return LastInstallation(&host::ProductInfo::install_dir);
  } catch (...) {
    LogError("General.getInstallDir",
             Variant("Can't Getting the install directory where R2AVidode is installed."));
    return {};
  }
}

Variant ReadConfigValue(const std::string& path, const std::string& section,
                        const std::string& key) {
  auto configuration = NewConfiguration();
  configuration->LoadFile(path);
  return configuration->GetValue(section, key);
}

std::string GetMembershipScriptUser() {
  if (membership_script_user.empty()) {
    const std::string file = getSiteConfigFile();
    std::string user = ReadConfigValue(file, "MEMBERSHIP", "MemScriptUser").ToText();
    const std::string root = ReadConfigValue(file, "MEMBERSHIP", "LDAPRoot").ToText();
    if (!root.empty()) {
      user += "," + root;
    }
    membership_script_user = user;
  }
  return membership_script_user;
}

std::string GetMembershipScriptCode() {
  if (membership_script_code.empty()) {
    membership_script_code =
        ReadConfigValue(getSiteConfigFile(), "MEMBERSHIP", "MemScriptCode").ToText();
  }
  return membership_script_code;
}

std::string iGeneral_GenerateGUID() {
  try {
    const GuidBytes bytes = CurrentGuidSource().NewGuid();
    std::string guid;
    guid.reserve(32);
    for (uint8_t byte : bytes) {
      char digits[3];
      std::snprintf(digits, sizeof digits, "%02X", byte);
      guid += digits;
    }
    return guid;
  } catch (...) {
    ReportError("Velmora.iGeneral_GenerateGUID");
    return {};
  }
}

}  // namespace velmora::core
