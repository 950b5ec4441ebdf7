#include "delivery/push/workbook_files.h"

#include "core/db_utils.h"
#include "core/file_service.h"
#include "delivery/push/push_support.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/core/file_handling.h"

namespace velmora::delivery {

std::string ExcelTempPath(const std::string& name) {
  return FileHandling().GetFolderName(EFolderType::ExcelTempFolder) + name;
}

std::string ExcelTemplatesFolder() {
  std::string folder = core::GetParameter("ExcelTemplatesPath");
  if (folder.empty() || folder.back() != '\\') {
    folder += '\\';
  }
  return folder;
}

void WriteWorkbookForSend(int32_t doc_id, const Variant& data, TSendMethodProperties& record) {
  if (data.IsEmpty()) {
    record.sTempFileName = ExcelTempPath(record.sFileName);
    return;
  }
  record.sFileName = SendMethodOutputFileName(doc_id, record);
  record.sTempFileName = ExcelTempPath(record.sFileName);
  B2BExcel().WriteExcelObjectToFile(data.As<sheet::WorkbookObject>(), record.sTempFileName, true);
}

RemoveOnFailure::~RemoveOnFailure() {
  if (path_.empty()) {
    return;
  }
  try {
    auto files = core::NewSiteFileSystem();
    if (files->FileExists(path_)) {
      files->DeleteFile(path_);
    }
  } catch (const Error&) {
    return;
  }
}

}  // namespace velmora::delivery
