// The loaders of Velmora.XML: a new DOM document per load, the failure texts with line and
// column, and the error numbers callers tell failures apart by.
#include "routing/xml_loading.h"

#include <optional>

#include "core/env.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "platform/xml/fetcher.h"
#include "routing/xml_text.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::routing {
namespace {

constexpr const char* kLoadXmlPath = "Velmora.XML.LoadXmlInDomDocument";
constexpr const char* kLoadXslPath = "Velmora.XML.LoadXslInDomDocument";
constexpr const char* kMissingStyleSheetLabel = "ZODAR0052";

bool IsHttpUrl(const std::string& location) {
  return text::IStartsWith(location, "http://") || text::IStartsWith(location, "https://");
}

// The host of an http(s) URL, lower case, without user, port or brackets.
std::string HostOf(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) {
    return {};
  }
  const size_t start = scheme + 3;
  std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
  authority = authority.substr(authority.rfind('@') + 1);
  if (!authority.empty() && authority.front() == '[') {
    return text::ToLower(authority.substr(1, authority.find(']') - 1));
  }
  return text::ToLower(authority.substr(0, authority.find(':')));
}

// The refusal of a download from a host the environment does not allow, or nullopt.
std::optional<xml::ParseError> RefusedHost(const std::string& url) {
  const auto& allowed = core::CurrentEnv().allowed_hosts;
  if (!allowed) {
    return std::nullopt;
  }
  const std::string host = HostOf(url);
  for (const std::string& entry : *allowed) {
    if (text::IEquals(text::Trim(entry), host)) {
      return std::nullopt;
    }
  }
  xml::ParseError refused;
  refused.failure = xml::ParseFailure::kFileUnreadable;
  refused.code = kErrPermissionDenied;
  refused.reason = "Downloads from '" + host +
                   "' are not allowed: the host is not listed in section ALLOWEDHOSTS of the "
                   "site configuration";
  refused.url = url;
  return refused;
}

// Loads `file` into `document`: the URL for `download`, otherwise the file at the path
// (written the library's way, shares and drives through the site maps). Returns the outcome; a path
// the file layer cannot map fails like an unreadable file.
xml::ParseError LoadLocation(xml::Document& document, const std::string& file, bool download) {
  if (download) {
    if (std::optional<xml::ParseError> refused = RefusedHost(file)) {
      return *refused;
    }
    xml::CurlFetcher::Options options;
    if (core::CurrentEnv().allowed_hosts) {
      options.max_redirects = 0;
    }
    xml::CurlFetcher fetcher(options);
    document.LoadUrl(file, fetcher);
    return document.parse_error();
  }
  std::string local;
  try {
    local = core::NewSitePathResolver().ToNative(file);
  } catch (const Error& error) {
    xml::ParseError unreadable;
    unreadable.failure = xml::ParseFailure::kFileUnreadable;
    unreadable.code = error.number();
    unreadable.reason = error.description();
    unreadable.url = file;
    return unreadable;
  }
  document.LoadFile(local);
  return document.parse_error();
}

std::string Detail(const xml::ParseError& error) {
  return "Description : " + error.reason + "\r\nLine        : " + std::to_string(error.line) +
         "\r\nColumn      : " + std::to_string(error.column);
}

}  // namespace

std::string LabelWithFileName(const std::string& code, const std::string& file) {
  try {
    return ReplaceIgnoringCase(core::GetLabel(code), "[%FILENAME%]", file);
  } catch (...) {
    return code + " [%FILENAME%]=" + file;
  }
}

bool IsHttpStyleSheet(const std::string& location) {
  return text::ToLower(location.substr(0, 4)) == "http";
}

std::string XmlLoadFailureText(const xml::ParseError& error, bool from_file,
                               const std::string& file) {
  const std::string location = from_file ? "File/URL    : " + file + "\r\n" : std::string();
  if (error.code == 0) {
    return "Unable to parse the XML document: It is not present, invalid or not well-formed. "
           "\r\n" +
           location;
  }
  return "Unable to parse the XML document: It is not present, invalid or not well-formed\r\n" +
         location + Detail(error);
}

std::string XslLoadFailureText(const xml::ParseError& error, bool from_file,
                               const std::string& file) {
  const std::string head =
      from_file ? "Unable to parse the XSL file " + file +
                      ": It is not present, invalid or not well-formed. "
                : std::string("Unable to parse the XML string: It is invalid or not well-formed. ");
  if (error.code == 0) {
    return head + "\r\n";
  }
  return head + "\r\n" + Detail(error) + "\r\n";
}

std::shared_ptr<xml::Document> LoadXmlInDomDocument(const std::string& xml_text,
                                                    const std::string& file) {
  return core::Guarded(kLoadXmlPath, [&]() -> std::shared_ptr<xml::Document> {
    auto document = std::make_shared<xml::Document>();
    const bool from_file = text::Trim(xml_text).empty();
    xml::ParseError error;
    if (from_file) {
      error = LoadLocation(*document, file, IsHttpUrl(file));
    } else {
      document->LoadXml(xml_text);
      error = document->parse_error();
    }
    if (error.failed()) {
      const EnumerationErrors number = error.failure == xml::ParseFailure::kMalformed
                                           ? EnumerationErrors::XMLLoadError
                                           : EnumerationErrors::MissingXMLFile;
      RaiseError(number, kLoadXmlPath, XmlLoadFailureText(error, from_file, file));
    }
    return document;
  });
}

std::shared_ptr<xml::Document> LoadXslInDomDocument(const std::string& xsl_text,
                                                    const std::string& file) {
  return core::Guarded(kLoadXslPath, [&]() -> std::shared_ptr<xml::Document> {
    auto document = std::make_shared<xml::Document>();
    const bool from_file = text::Trim(xsl_text).empty();
    xml::ParseError error;
    if (from_file) {
      error = LoadLocation(*document, file, IsHttpStyleSheet(file));
    } else {
      document->LoadXml(xsl_text);
      error = document->parse_error();
    }
    if (error.failed()) {
      if (from_file && error.file_not_found()) {
        RaiseError(EnumerationErrors::CannotLoadFile, kLoadXslPath,
                   LabelWithFileName(kMissingStyleSheetLabel, file));
      }
      const EnumerationErrors number = error.failure == xml::ParseFailure::kMalformed
                                           ? EnumerationErrors::XSLParseError
                                           : EnumerationErrors::CannotLoadFile;
      RaiseError(number, kLoadXslPath, XslLoadFailureText(error, from_file, file));
      return document;
    }
    return document;
  });
}

}  // namespace velmora::routing
