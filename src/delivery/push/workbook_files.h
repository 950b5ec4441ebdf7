#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/delivery/send_method.h"

// The work files of the transports that send a file.
namespace velmora::delivery {

// The workbook file of an Excel send in the Excel temporary folder, named in
// record.sTempFileName: with no data the file PushDocument wrote from the template
// (record.sFileName); with a workbook, record.sFileName becomes the output file name and the
// workbook is written there and closed.
void WriteWorkbookForSend(int32_t doc_id, const Variant& data, TSendMethodProperties& record);

// The path of the Excel temporary folder joined with `name`.
std::string ExcelTempPath(const std::string& name);

// "ExcelTemplatesPath" with "\" appended when its last character is not "\".
std::string ExcelTemplatesFolder();

// Deletes a work file when it goes out of scope before Release(): a failed send leaves no work
// file behind. A file that cannot be deleted is left.
class RemoveOnFailure {
 public:
  explicit RemoveOnFailure(std::string path) : path_(std::move(path)) {}
  ~RemoveOnFailure();
  RemoveOnFailure(const RemoveOnFailure&) = delete;
  RemoveOnFailure& operator=(const RemoveOnFailure&) = delete;
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace velmora::delivery
