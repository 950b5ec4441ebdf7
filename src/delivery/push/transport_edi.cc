// The EDI transport: the document dropped into the message folders of an EDI network, from
// which the EDI run collects it.
#include <string>

#include "core/db_utils.h"
#include "core/sql_literals.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "delivery/push/workbook_files.h"
#include "routing/users.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"
#include "velmora/document/document.h"

namespace velmora::delivery {
namespace {

// TEMPFOLDER of the network; "" when there is no row.
std::string NetworkTempFolder(const std::string& network) {
  auto recordset = core::getDisconnectedReadOnlyRecordSet(
      "SELECT TEMPFOLDER FROM EDINETWORK WHERE NETWORKID = " + core::SqlText(network));
  if (recordset->IsEOF()) {
    return "";
  }
  const Variant folder = recordset->Field("TEMPFOLDER");
  return folder.IsNull() ? std::string() : folder.ToText();
}

// `folder` + "\" + `name` (a plain name), created when missing.
std::string SubFolder(const std::string& folder, const std::string& name) {
  CheckPlainFileName(name, PushPath("SendByEDI"));
  const std::string path = folder.empty() || folder.back() == '\\' || folder.back() == '/'
                               ? folder + name
                               : folder + "\\" + name;
  FileHandling files;
  if (!files.FolderExists(path)) {
    files.CreateFolderTree(path);
  }
  return path;
}

// Leaves the marker `keep` ("ASCII" or "Unicode") in the merge folder and removes the other.
void SetEncodingMarker(const std::string& merge_folder, bool unicode) {
  FileHandling files;
  const std::string keep = merge_folder + "\\" + (unicode ? "Unicode" : "ASCII");
  const std::string drop = merge_folder + "\\" + (unicode ? "ASCII" : "Unicode");
  if (files.FileExists(drop)) {
    files.DeleteFileFromDisk(drop);
  }
  files.createTextFile("", keep, false);
}

// The folder of the document's sender partner: its name, trimmed, "_" and its id.
std::string SenderFolderName(int32_t doc_id) {
  const int32_t partner = routing::users::PartnerOf(Document().GetSenderOfDocument(doc_id));
  return text::Trim(routing::users::PartnerName(partner)) + "_" + std::to_string(partner);
}

}  // namespace

void SendByEDI(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
               const VariantArray& extension) {
  std::string temp_file;
  GuardedWithMessage(
      PushPath("SendByEDI"),
      [&]() -> core::Info {
        return Variant(MessageLabel("ZODAR4229", {{"[%FILENAME%]", temp_file}}) + " " +
                       DocumentLabel(doc_id));
      },
      [&] {
        const std::string network = ExtensionElement(extension, 0);
        const std::string merge = ExtensionElement(extension, 2);
        const std::string temp_folder = NetworkTempFolder(network);
        if (text::Trim(temp_folder).empty()) {
          RaiseError(EnumerationErrors::FileError, PushPath("SendByEDI"),
                     "Temporary folder for EDI Network '" + network + "' not filled");
        }
        FileHandling files;
        if (!files.FolderExists(temp_folder)) {
          files.CreateFolderTree(temp_folder);
        }
        const bool unicode = record.nFileFormat == ESendMethodFileFormat::Unicode;
        const std::string merge_folder = SubFolder(SubFolder(temp_folder, "Messages"), merge);
        SetEncodingMarker(merge_folder, unicode);
        const std::string folder =
            SubFolder(SubFolder(merge_folder, Document().GetDocumentTypeOfDocument(doc_id)),
                      SenderFolderName(doc_id)) +
            "\\";
        const std::string name = SendMethodOutputFileName(doc_id, record);
        temp_file = folder + "~" + name;
        if (record.nFormat == ESendMethodFormat::Excel) {
          RaiseError(EnumerationErrors::SendMethodFormatNotSupported, PushPath("SendByEDI"),
                     Label("ZODAR4326",
                           {{"[%FORMAT%]", std::to_string(static_cast<int>(record.nFormat))}}));
        }
        RemoveOnFailure cleanup(temp_file);
        std::string written = temp_file;
        routing::xml_files::Write(data.ToText(), written, unicode);
        files.MoveFile(temp_file, folder + name);
        cleanup.Release();
      });
}

}  // namespace velmora::delivery
