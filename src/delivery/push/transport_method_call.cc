// The method-call transport: the document handed to a customer's plug-in component.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/components.h"
#include "core/file_service.h"
#include "core/guarded.h"
#include "delivery/plugin_methods.h"
#include "delivery/plugin_source.h"
#include "delivery/push/attachment_files.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "delivery/push/workbook_files.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/delivery/method_call.h"
#include "velmora/routing/utility.h"

namespace velmora::delivery {
namespace {

core::Info MethodCallMessage(const std::string& method_string) {
  return Variant(MessageLabel("ZODAR4427", {{"[%METHODCALL%]", method_string}}));
}

bool IsUnusableMethodString(const std::string& method_string) {
  const std::string trimmed = text::Trim(method_string);
  return trimmed.empty() || trimmed == "..";
}

// The workbook an Excel send hands over, and its work file ("" without template). Closing the
// workbook and deleting the work file happen when the object goes away; Finish() does it on
// the normal path, where a failure of the clean-up is raised.
class WorkbookForPlugin {
 public:
  WorkbookForPlugin(const std::string& text, int32_t doc_id, const std::string& excel_template) {
    if (text::Trim(excel_template).empty()) {
      workbook_ = excel_.TransformXMLToExcel(text, EWriteMode::Create, doc_id, false);
      return;
    }
    CheckPlainFileName(excel_template, PushPath("SendByIMethodCall24"));
    work_file_ = ExcelTempPath(excel_template);
    workbook_ = excel_.TransformXMLToExcel(text, EWriteMode::Create, doc_id, true,
                                           ExcelTemplatesFolder() + excel_template, work_file_);
  }
  ~WorkbookForPlugin() {
    try {
      Finish();
    } catch (const Error&) {
      return;
    }
  }
  WorkbookForPlugin(const WorkbookForPlugin&) = delete;
  WorkbookForPlugin& operator=(const WorkbookForPlugin&) = delete;

  const WorkBookRef& workbook() const { return workbook_; }

  void Finish() {
    const WorkBookRef workbook = std::exchange(workbook_, nullptr);
    const std::string work_file = std::exchange(work_file_, std::string());
    if (workbook) {
      excel_.CloseWorkBook(workbook);
    }
    if (!work_file.empty()) {
      routing::xml_files::Delete(work_file);
    }
  }

 private:
  B2BExcel excel_;
  WorkBookRef workbook_;
  std::string work_file_;
};

// The native paths of the document's attachment files that exist.
std::vector<std::string> ExistingAttachmentPaths(int32_t doc_id) {
  const std::string source = "SendByIMethodCall24";
  const std::string folder = AttachmentsFolderOrRaise(source, " ");
  auto files = core::NewSiteFileSystem();
  std::vector<std::string> paths;
  for (const std::string& name : AttachmentNames(doc_id, source)) {
    const std::string path = AttachmentPath(folder, doc_id, name);
    if (files->FileExists(path)) {
      paths.push_back(files->ToNative(path));
    }
  }
  return paths;
}

void SendByIMethodCall24(const std::string& method_string, int32_t partner, int32_t doc_id,
                         bool attachments, ESendMethodFormat format,
                         const std::string& excel_template, const Variant& data) {
  core::Guarded(PushPath("SendByIMethodCall24"), [&] {
    if (IsUnusableMethodString(method_string)) {
      RaiseError(EnumerationErrors::PushDocumentError, PushPath("SendByIMethodCall24"), "");
    }
    InstallPluginSource();
    auto plugin = std::dynamic_pointer_cast<IMethodCall24>(
        core::ComponentRegistry::Global().Create(method_string));
    if (!plugin) {
      throw Error(kErrCannotCreateObject, method_string,
                  "The component '" + method_string + "' does not implement IMethodCall24");
    }
    plugin->setBusinessPartnerID(partner);
    plugin->setDocumentID(doc_id);
    if (attachments) {
      std::vector<std::string> paths = ExistingAttachmentPaths(doc_id);
      if (!paths.empty()) {
        plugin->setDocumentAttachments(paths);
      }
    }
    if (format == ESendMethodFormat::Excel) {
      WorkbookForPlugin workbook(data.ToText(), doc_id, excel_template);
      plugin->setExcelWorkBook(workbook.workbook());
      plugin->Process();
      workbook.Finish();
      return;
    }
    plugin->setDocumentXML(data.ToText());
    plugin->Process();
  });
}

void SendByMethodCallForXML(int32_t /*doc_id*/, const Variant& data,
                            const TSendMethodProperties& record) {
  GuardedWithMessage(
      PushPath("SendByMethodCallForXML"), [&] { return MethodCallMessage(record.sAddress); },
      [&] {
        if (IsUnusableMethodString(record.sAddress)) {
          RaiseError(EnumerationErrors::PushDocumentError, PushPath("SendByMethodCallForXML"), "");
        }
        Variant arguments = data;
        Utility().CallMethod(record.sAddress, arguments);
      });
}

void SendByMethodCallForExcel(int32_t doc_id, const Variant& data,
                              const TSendMethodProperties& record) {
  GuardedWithMessage(
      PushPath("SendByMethodCallForExcel"), [&] { return MethodCallMessage(record.sAddress); },
      [&] {
        if (IsUnusableMethodString(record.sAddress)) {
          RaiseError(EnumerationErrors::PushDocumentError, PushPath("SendByMethodCallForExcel"),
                     "");
        }
        B2BExcel excel;
        std::string work_file;
        WorkBookRef workbook;
        if (text::Trim(record.sExcelTemplate).empty()) {
          workbook = excel.TransformXMLToExcel(data.ToText(), EWriteMode::Create, doc_id, false);
        } else {
          CheckPlainFileName(record.sExcelTemplate, PushPath("SendByMethodCallForExcel"));
          work_file = ExcelTempPath(record.sExcelTemplate);
          workbook =
              excel.TransformXMLToExcel(data.ToText(), EWriteMode::Create, doc_id, true,
                                        ExcelTemplatesFolder() + record.sExcelTemplate, work_file);
        }
        ObjectRef handed = workbook;
        Utility().CallMethodForExcel(record.sAddress, handed, work_file);
      });
}

}  // namespace

bool IMethodCall24Supported(const std::string& method_string) {
  return core::Guarded(PushPath("IMethodCall24Supported"), [&] {
    if (!plugin_methods::MethodOf(method_string).empty()) {
      return false;
    }
    const std::string progid = plugin_methods::ComponentOf(method_string);
    InstallPluginSource();
    ObjectRef component;
    try {
      component = core::ComponentRegistry::Global().Create(progid);
    } catch (const Error&) {
      return false;
    }
    return std::dynamic_pointer_cast<IMethodCall24>(component) != nullptr;
  });
}

void SendByMethodCall(int32_t partner, int32_t doc_id, const Variant& data,
                      TSendMethodProperties& record, const VariantArray& extension) {
  GuardedWithMessage(
      PushPath("SendByMethodCall"), [&] { return MethodCallMessage(record.sAddress); },
      [&] {
        if (IMethodCall24Supported(record.sAddress)) {
          SendByIMethodCall24(record.sAddress, partner, doc_id, AttachmentsFlag(extension),
                              record.nFormat, record.sExcelTemplate, data);
        } else if (record.nFormat == ESendMethodFormat::Excel) {
          SendByMethodCallForExcel(doc_id, data, record);
        } else {
          SendByMethodCallForXML(doc_id, data, record);
        }
      });
}

}  // namespace velmora::delivery
