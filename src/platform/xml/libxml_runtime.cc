#include "platform/xml/libxml_runtime.h"

#include <curl/curl.h>
#include <libexslt/exslt.h>
#include <libxml/xmlerror.h>
#include <libxslt/documents.h>
#include <libxslt/security.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/xml/parser.h"

namespace velmora::xml::internal {
namespace {

thread_local ErrorCapture* t_capture = nullptr;
thread_local XsltReadScope* t_read_scope = nullptr;

std::string FormatVarArgs(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int length = std::vsnprintf(small, sizeof(small), format, copy);
  va_end(copy);
  if (length < 0) {
    return {};
  }
  if (static_cast<size_t>(length) < sizeof(small)) {
    return std::string(small, static_cast<size_t>(length));
  }
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

// Free-text reports of libxml2 (per thread) and libxslt (process-wide): appended to the
// thread's capture, dropped when there is none. Never printed.
void TextSink(void* /*context*/, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatVarArgs(format, args);
  va_end(args);
  if (t_capture != nullptr) {
    t_capture->AddText(text);
  }
}

// libxslt's debugging trace: dropped.
void DiscardSink(void* /*context*/, const char* /*format*/, ...) {}

void StructuredSink(void* /*context*/, xmlErrorPtr error) {
  if (t_capture != nullptr && error != nullptr) {
    t_capture->AddStructured(*error);
  }
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
  if (folder.empty()) {
    return false;
  }
  if (folder == "/") {
    return true;
  }
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

// XSLT read check: compile-time reads (xsl:include, xsl:import; no transform context) are
// allowed inside the folder of the stylesheet file being compiled; transform-time reads
// (document()) only of the stylesheet's own file.
int CheckReadFile(xsltSecurityPrefsPtr /*prefs*/, xsltTransformContextPtr context,
                  const char* value) {
  const XsltReadScope* scope = XsltReadScope::Current();
  if (scope == nullptr || value == nullptr) {
    return 0;
  }
  std::string path = CanonicalPath(value);
  if (path.empty()) {
    return 0;
  }
  if (context == nullptr) {
    return IsInsideFolder(path, scope->include_folder()) ? 1 : 0;
  }
  return !scope->own_file().empty() && path == scope->own_file() ? 1 : 0;
}

void InitializeOnce() {
  xmlInitParser();
  xsltInit();
  exsltRegisterAll();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  xsltSetGenericErrorFunc(nullptr, TextSink);
  xsltSetGenericDebugFunc(nullptr, DiscardSink);
  xsltSetLoaderFunc(SafeDocLoader);

  // Owned by libxslt as the process default for the life of the process.
  xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_FILE, CheckReadFile);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
  xsltSetDefaultSecurityPrefs(prefs);
}

std::string WithoutTrailingBreaks(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

void EnsureInitialized() {
  static std::once_flag once;
  std::call_once(once, InitializeOnce);
}

ErrorCapture::ErrorCapture()
    : previous_(t_capture),
      saved_generic_(xmlGenericError),
      saved_generic_context_(xmlGenericErrorContext),
      saved_structured_(xmlStructuredError),
      saved_structured_context_(xmlStructuredErrorContext) {
  t_capture = this;
  xmlSetGenericErrorFunc(nullptr, TextSink);
  xmlSetStructuredErrorFunc(nullptr, StructuredSink);
}

ErrorCapture::~ErrorCapture() {
  xmlSetStructuredErrorFunc(saved_structured_context_, saved_structured_);
  xmlSetGenericErrorFunc(saved_generic_context_, saved_generic_);
  t_capture = previous_;
}

const CapturedError* ErrorCapture::FirstError() const {
  for (const CapturedError& error : errors_) {
    if (error.level >= XML_ERR_ERROR) {
      return &error;
    }
  }
  return nullptr;
}

std::string ErrorCapture::Messages() const {
  std::string all;
  auto add = [&all](const std::string& line) {
    if (line.empty()) {
      return;
    }
    if (!all.empty()) {
      all += '\n';
    }
    all += line;
  };
  for (const CapturedError& error : errors_) {
    add(error.message);
  }
  add(WithoutTrailingBreaks(pending_text_));
  return all;
}

void ErrorCapture::AddStructured(const xmlError& error) {
  CapturedError captured;
  captured.code = error.code;
  captured.level = error.level;
  captured.line = error.line;
  captured.column = error.int2;
  captured.offset = error.int1;
  captured.file = error.file != nullptr ? error.file : "";
  captured.message = WithoutTrailingBreaks(error.message != nullptr ? error.message : "");
  errors_.push_back(std::move(captured));
}

void ErrorCapture::AddText(const std::string& text) {
  pending_text_ += text;
  size_t end;
  while ((end = pending_text_.find('\n')) != std::string::npos) {
    CapturedError captured;
    captured.message = WithoutTrailingBreaks(pending_text_.substr(0, end));
    pending_text_.erase(0, end + 1);
    if (!captured.message.empty()) {
      errors_.push_back(std::move(captured));
    }
  }
}

XsltReadScope::XsltReadScope(std::string include_folder, std::string own_file)
    : include_folder_(std::move(include_folder)),
      own_file_(std::move(own_file)),
      previous_(t_read_scope) {
  t_read_scope = this;
}

XsltReadScope::~XsltReadScope() { t_read_scope = previous_; }

const XsltReadScope* XsltReadScope::Current() { return t_read_scope; }

std::string CanonicalPath(const std::string& path) {
  if (path.empty()) {
    return {};
  }
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) {
    return {};
  }
  std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
  if (error) {
    return {};
  }
  return canonical.lexically_normal().string();
}

}  // namespace velmora::xml::internal
