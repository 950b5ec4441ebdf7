#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/base/error.h"
#include "velmora/base/variant.h"

// The runtime floor of every class: the error convention, logging, component creation, the
// installation's configuration files, GUIDs and the state of connections.
//
// The error convention: every public method ends in
//   catch (...) { <release what it holds>; ReportError("Velmora.Class.Method"); }
// ReportError logs the error and raises it again with "\r\nMETHOD: <path> caught: " in front
// of its description, so the description that reaches a page carries the chain of methods.
namespace velmora::core {

// Additional information for an error report: absent, or a value written as text.
using Info = std::optional<Variant>;

// The text of `error` as one level of the chain adds it:
// "\r\nMETHOD: " + path + " caught: " + description + "(" + HEX(number) + ")." and, with
// `info`, " Additional information: " + info.
std::string ChainText(const Error& error, std::string_view path, const Info& info);

// Logs the current error (the exception in flight, or number 0 outside a catch) with `path`
// and raises it again with ChainText as its description, keeping its number, source and help.
// With number 0 it only logs. The PendingError forms report a trapped step's error.
void ReportError(std::string_view path, const Info& info = std::nullopt);
void ReportError(const PendingError& current, std::string_view path,
                 const Info& info = std::nullopt);
// As ReportError without the log entry.
void RethrowError(std::string_view path, const Info& info = std::nullopt);
void RethrowError(const PendingError& current, std::string_view path,
                  const Info& info = std::nullopt);

// Log entries through "Tarvex.Log": text = path + " caught: " + description + "(" + HEX + ")."
// [+ " Additional information: " + info], source = the error's source, level 0. They never
// raise on their own account; a log component that cannot be created or called does raise.
void LogError(std::string_view path, const Info& info = std::nullopt);
void LogError(const Error& current, std::string_view path, const Info& info = std::nullopt);
void LogWarning(std::string_view path, const Info& info = std::nullopt);
void LogWarning(const Error& current, std::string_view path, const Info& info = std::nullopt);
// Raises the error in flight with `suffix` appended to its description, after writing it (its
// source and description, level 0) to the host log. A log that cannot be created or written is
// passed over, so that the error in flight is the one raised. REQUIRES: called inside a catch
// block.
[[noreturn]] void RaiseLoggedWithSuffix(const std::string& suffix);
// A trace entry at level 2. Callers check iGeneral_B2BLogging() >= 2 first (or use Trace).
void LogTrace(std::string_view path, const Info& info = std::nullopt);
void LogTrace(const Error& current, std::string_view path, const Info& info = std::nullopt);
// LogTrace when the trace level is 2 or more.
void Trace(std::string_view path, const Info& info = std::nullopt);

// The trace level of "GLOBAL"/"B2BLogging" in the B2B configuration file: 1 ... 98, else 0.
// Read once per thread; a failed read is logged and not retried.
int16_t iGeneral_B2BLogging();

// A new component by ProgID, or Empty after a log entry when it cannot be created.
Variant B2B_getComponent(const std::string& progid);
// The component as `T`, or nullptr (logged as B2B_getComponent does).
template <class T>
std::shared_ptr<T> GetComponent(const std::string& progid) {
  return B2B_getComponent(progid).As<T>();
}

// Paths of the configuration files ("<config dir>\R2AVidodeConfiguration.xml" and
// "<config dir>\SiteConfiguration.xml", the directory of the last installation record),
// cached per thread; "" after a log entry on failure.
std::string GetB2BConfigFile();
std::string getSiteConfigFile();
// The installation directory of the last installation record; not cached; "" on failure.
std::string getInstallDir();

// "MEMBERSHIP"/"MemScriptUser" of the site configuration, with "," + "LDAPRoot" when that is
// set; and "MEMBERSHIP"/"MemScriptCode". Cached per thread.
std::string GetMembershipScriptUser();
std::string GetMembershipScriptCode();

// The text of key `key` of `section` in the configuration file at `path` (Empty when absent).
// Raises when the file cannot be loaded.
Variant ReadConfigValue(const std::string& path, const std::string& section,
                        const std::string& key);

// A new GUID as 32 upper-case hexadecimal digits, without braces or hyphens.
std::string iGeneral_GenerateGUID();

// Closes `connection` when it is open and sets the reference to nothing; a null reference is
// left alone.
template <class ConnectionT>
void CloseConnection(std::unique_ptr<ConnectionT>& connection) {
  if (connection && connection->IsOpen()) {
    connection->Close();
  }
  connection.reset();
}

}  // namespace velmora::core
