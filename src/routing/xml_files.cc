#include "routing/xml_files.h"

#include <unistd.h>

#include "core/file_service.h"
#include "core/general.h"
#include "core/labels.h"
#include "platform/files/path_text.h"
#include "platform/xml/text_encoding.h"
#include "routing/xml_loading.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"
#include "velmora/core/file_handling.h"

namespace velmora::routing::xml_files {
namespace {

// The decimal id of the running thread, which makes generated names unique across threads.
std::string ThreadIdText() { return std::to_string(static_cast<long long>(::gettid())); }

// The text to write for `xml_text`: text that begins with an XML declaration declares the
// encoding it is written in, and in Windows-1252 carries the characters outside the code page
// as character references; any other text is written as it is.
std::string ConvertForWriting(const std::string& xml_text, bool unicode) {
  if (unicode) {
    return xml::SetDeclaredEncoding(xml_text, "UTF-16");
  }
  return text::Windows1252ToUtf8(xml::EncodeXmlText(xml_text, xml::TextEncoding::kWindows1252));
}

// A push writes the same document for every partner, so the last conversion of each thread is
// kept, for texts up to a megabyte.
std::string TextToWrite(const std::string& xml_text, bool unicode) {
  if (xml_text.rfind("<?xml", 0) != 0) {
    return xml_text;
  }
  constexpr size_t kKeptSize = 1 << 20;
  struct LastConversion {
    std::string from;
    bool unicode = false;
    std::string to;
  };
  thread_local LastConversion last;
  if (xml_text.size() > kKeptSize) {
    return ConvertForWriting(xml_text, unicode);
  }
  if (last.unicode != unicode || last.from != xml_text) {
    last.to = ConvertForWriting(xml_text, unicode);
    last.from = xml_text;
    last.unicode = unicode;
  }
  return last.to;
}

}  // namespace

std::string InTempFolderUnlessRooted(const std::string& path) {
  return files::HasDrive(path) ? path : files::BuildPath(core::TempFolderPath(), path);
}

std::string PathFor(std::string& file_name) {
  if (file_name.empty()) {
    file_name = ThreadIdText() + FileHandling().GetFileName(EFileType::TempFile, "", "", "", "");
  }
  if (files::HasParentStep(file_name)) {
    RaiseError(EnumerationErrors::InvalidParamValue,
               "Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode",
               "The file name '" + file_name + "' may not climb out of its folder with '..'.");
  }
  return InTempFolderUnlessRooted(file_name);
}

void WriteAt(const std::string& xml, const std::string& full_path, bool unicode) {
  FileHandling().createTextFile(TextToWrite(xml, unicode), full_path, unicode);
}

std::string Write(const std::string& xml, std::string& file_name, bool unicode) {
  const std::string full_path = PathFor(file_name);
  WriteAt(xml, full_path, unicode);
  return full_path;
}

void Delete(const std::string& file_name) {
  constexpr const char* kPath = "Velmora.Utility.DeleteXMLFileFromDisk";
  if (text::Trim(file_name).empty()) {
    return;
  }
  try {
    FileHandling().DeleteFileFromDisk(file_name);
  } catch (const Error& error) {
    if (error.number() != kErrPermissionDenied) {
      throw;
    }
    const std::string cannot_delete = LabelWithFileName("ZODAR4567", file_name);
    core::LogError(
        error, kPath,
        Variant(cannot_delete + "\r\n" + core::GetLabelForMessage("ZODAR0881", Dictionary{})));
  }
}

}  // namespace velmora::routing::xml_files
