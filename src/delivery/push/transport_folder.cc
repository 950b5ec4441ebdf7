// The folder transport: the document written into a local folder or a mapped share, with its
// attachments; workbooks created, appended to or updated in place.
#include <string>
#include <vector>

#include "core/file_service.h"
#include "core/guarded.h"
#include "delivery/push/attachment_files.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "delivery/push/workbook_files.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/core/file_handling.h"

namespace velmora::delivery {
namespace {

// The attachments to copy: their folder and names (none when the flag is off).
struct AttachmentSet {
  std::string folder;
  std::vector<std::string> names;
};

void CopyAttachments(const AttachmentSet& attachments, int32_t doc_id, const std::string& folder,
                     bool remote) {
  for (const std::string& name : attachments.names) {
    const std::string from = AttachmentPath(attachments.folder, doc_id, name);
    const std::string to = folder + std::to_string(doc_id) + "_" + name;
    if (remote) {
      core::GetRemoteFile(PushPath("SendByFileStream"))->CopyFile(from, to, true);
    } else {
      FileHandling().CopyFile(from, to, true);
    }
  }
}

// SendByFileStreamForExcel: the workbook of `data` written to `output_path` in the record's
// write mode, through a work file in the Excel temporary folder.
void SendByFileStreamForExcel(const Variant& data, const TSendMethodProperties& record,
                              int32_t doc_id, const std::string& output_path) {
  core::Guarded(PushPath("SendByFileStreamForExcel"), [&] {
    FileHandling files;
    B2BExcel excel;
    std::string work_file;
    const std::string fresh_name = files.GetFileName(EFileType::TempFile, "", "", "", ".xls");
    switch (record.nWriteMode) {
      case EWriteMode::Create: {
        const bool templated = !text::Trim(record.sExcelTemplate).empty();
        if (templated) {
          CheckPlainFileName(record.sExcelTemplate, PushPath("SendByFileStreamForExcel"));
        }
        work_file = ExcelTempPath(templated ? record.sExcelTemplate : fresh_name);
        RemoveOnFailure cleanup(work_file);
        const WorkBookRef workbook =
            templated ? excel.TransformXMLToExcel(data.ToText(), EWriteMode::Create, doc_id, true,
                                                  ExcelTemplatesFolder() + record.sExcelTemplate,
                                                  work_file)
                      : excel.TransformXMLToExcel(data.ToText(), EWriteMode::Create, doc_id, false);
        excel.WriteExcelObjectToFile(workbook, work_file, true);
        cleanup.Release();
        break;
      }
      case EWriteMode::Append:
      case EWriteMode::Update: {
        work_file = ExcelTempPath(fresh_name);
        files.CopyFile(output_path, work_file, true);
        RemoveOnFailure cleanup(work_file);
        excel.CloseWorkBook(
            excel.TransformXMLToExcel(data.ToText(), record.nWriteMode, doc_id, false, work_file));
        cleanup.Release();
        break;
      }
      default:
        return;
    }
    RemoveOnFailure cleanup(work_file);
    files.CopyFile(work_file, output_path, true);
    cleanup.Release();
    files.DeleteFileFromDisk(work_file);
  });
}

}  // namespace

void SendByFileStream(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
                      const VariantArray& extension) {
  std::string output_path;
  GuardedWithMessage(
      PushPath("SendByFileStream"),
      [&]() -> core::Info {
        return Variant(" " + MessageLabel("ZODAR4229", {{"[%FILENAME%]", output_path}}) + " " +
                       DocumentLabel(doc_id));
      },
      [&] {
        std::string folder = record.sAddress;
        if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) {
          folder += '\\';
        }
        AttachmentSet attachments;
        if (AttachmentsFlag(extension)) {
          attachments.folder = AttachmentsFolderOrRaise(PushPath("SendByFileStream"), "");
          attachments.names = AttachmentNames(doc_id, PushPath("SendByFileStream"));
        }
        output_path = folder + SendMethodOutputFileName(doc_id, record);
        if (record.nFormat == ESendMethodFormat::Excel) {
          CopyAttachments(attachments, doc_id, folder, false);
          SendByFileStreamForExcel(data, record, doc_id, output_path);
          return;
        }
        const bool unicode = record.nFileFormat == ESendMethodFileFormat::Unicode;
        const bool remote = output_path.rfind("\\\\", 0) == 0;
        if (remote) {
          core::GetRemoteFile(PushPath("SendByFileStream"))
              ->CreateTextFile(data.ToText(), output_path, unicode);
        } else {
          std::string name = output_path;
          routing::xml_files::Write(data.ToText(), name, unicode);
        }
        CopyAttachments(attachments, doc_id, folder, remote);
      });
}

}  // namespace velmora::delivery
