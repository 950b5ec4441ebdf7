// Velmora.PublishCreateDocument: publishing XML texts, XML files, workbooks and OBI objects.
#include "velmora/publish/publish_create_document.h"

#include <functional>

#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/logged.h"
#include "document/processing/processing.h"
#include "publish/publish_internal.h"
#include "routing/error_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/convert/obi.h"
#include "velmora/core/file_handling.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

constexpr const char* kSyncPath = "PublishCreateDocument.PublishDocumentSync";

std::string FileLabel(const std::string& code, const std::string& file) {
  Dictionary replacements;
  replacements.Add("[%FILENAME%]", Variant(file));
  return core::GetLabel(code, 0, &replacements);
}

// Runs `publish`; when it fails and `keep_copy` holds, `copy` puts the content into an error
// folder first. The error in flight survives the copy (Utility::StoreErr and RestoreErr).
int32_t WithErrorCopy(bool keep_copy, const std::function<int32_t()>& publish,
                      const std::function<void()>& copy) {
  try {
    return publish();
  } catch (...) {
    if (!keep_copy) {
      throw;
    }
    PendingError current;
    current.Capture();
    const PendingError saved = current.Store();
    copy();
    current.Restore(saved);
    current.Raise();
  }
}

// Clears the in-file-publication flag on every way out of PublishDocument.
class FilePublication {
 public:
  explicit FilePublication(bool& flag) : flag_(flag) { flag_ = true; }
  ~FilePublication() { flag_ = false; }
  FilePublication(const FilePublication&) = delete;
  FilePublication& operator=(const FilePublication&) = delete;

 private:
  bool& flag_;
};

}  // namespace

int32_t PublishCreateDocument::Main(const std::string& i_sXMLStr,
                                    std::shared_ptr<Collection>& i_oAttachments) {
  return core::Guarded("PublishCreateDocument.Main",
                       [&] { return PublishXmlDocument(i_sXMLStr, i_oAttachments, true); });
}

void PublishCreateDocument::SetPublisherLanguageID(const std::string& i_sLanguageID) {
  core::Guarded("PublishCreateDocument.SetPublisherLanguageID", [&] {
    core::LogAndContinue("PublishCreateDocument.SetPublisherLanguageID", [&] {
      mPublisherLanguageID =
          i_sLanguageID.empty() ? core::kDefaultLanguage : Variant(i_sLanguageID).ToInt32();
    });
  });
}

int32_t PublishCreateDocument::GetPublisherLanguageID() {
  return core::Guarded("PublishCreateDocument.GetPublisherLanguageID",
                       [&] { return mPublisherLanguageID; });
}

int32_t PublishCreateDocument::PublishXmlDocument(const std::string& i_sXmlString,
                                                  const std::shared_ptr<Collection>& i_oAttachments,
                                                  bool i_bSynchronous) {
  return core::Guarded("PublishCreateDocument.PublishXmlDocument", [&] {
    if (i_bSynchronous) {
      return WithErrorCopy(
          !in_file_publication_, [&] { return PublishDocumentSync(i_sXmlString, i_oAttachments); },
          [&] {
            publish::WriteDocumentContentAndAttachmentsToErrorDir(0, i_sXmlString, i_oAttachments);
          });
    }
    if (publish::HasItems(i_oAttachments)) {
      RaiseError(EnumerationErrors::AttachmentsSupported,
                 "PublishCreateDocument.PublishXmlDocument", core::GetLabel("ZODAR4275"));
    }
    return publish::PublishDocumentAsync("XML", ".xml", i_sXmlString, "");
  });
}

int32_t PublishCreateDocument::PublishExcelDocument(
    const std::string& i_sExcelFile, const std::shared_ptr<Collection>& i_oAttachments,
    bool i_bSynchronous) {
  constexpr const char* kPath = "PublishCreateDocument.PublishExcelDocument";
  return core::Guarded(kPath, [&] {
    return WithErrorCopy(
        !in_file_publication_,
        [&] {
          if (!routing::error_folder::WorkbookEngineAvailable()) {
            RaiseError(EnumerationErrors::ExcelNotInstalled, kPath, core::GetLabel("ZODAR0040"));
          }
          if (!text::IEquals(FileHandling().GetFileExtension(i_sExcelFile), "xls")) {
            RaiseError(EnumerationErrors::NotAnExcelFile, kPath,
                       FileLabel("ZODAR4560", i_sExcelFile));
          }
          if (!i_bSynchronous) {
            if (publish::HasItems(i_oAttachments)) {
              RaiseError(EnumerationErrors::AttachmentsSupported, kPath,
                         core::GetLabel("ZODAR4275"));
            }
            return publish::PublishDocumentAsync("B2BExcel", ".xls", "", i_sExcelFile);
          }
          std::shared_ptr<xml::Document> converted;
          B2BExcel().TransformExcelToXML(i_sExcelFile, converted);
          return PublishDocumentSync(converted->Xml(), i_oAttachments);
        },
        [&] { publish::WriteFileAndAttachmentsToErrorDir(i_sExcelFile, i_oAttachments); });
  });
}

int32_t PublishCreateDocument::PublishObiDocument(const std::string& i_sObiObject,
                                                  bool i_bSynchronous) {
  return core::Guarded("PublishCreateDocument.PublishObiDocument", [&] {
    OBI obi;
    Bytes version;
    EObiLanguage language{};
    std::string xml;
    Bytes signature;
    obi.DeconstructObiObject(i_sObiObject, version, language, xml, signature);
    obi.CheckObiVersionSupported(version, language);
    if (!i_bSynchronous) {
      return publish::PublishDocumentAsync("OBI", ".xml", xml, "");
    }
    return WithErrorCopy(
        !in_file_publication_, [&] { return PublishDocumentSync(xml, nullptr); },
        [&] { publish::WriteDocumentContentAndAttachmentsToErrorDir(0, xml, nullptr); });
  });
}

int32_t PublishCreateDocument::MainX(const std::string& i_sXMLStr) {
  return core::Guarded("PublishCreateDocument.MainX", [&] {
    return PublishXmlDocument(i_sXMLStr, std::make_shared<Collection>(), true);
  });
}

int32_t PublishCreateDocument::PublishDocument(const std::string& i_sFile,
                                               const std::shared_ptr<Collection>& i_oAttachments,
                                               bool i_bSynchronous) {
  return core::Guarded("PublishCreateDocument.PublishDocument", [&] {
    const FilePublication scope(in_file_publication_);
    if (text::IEquals(FileHandling().GetFileExtension(i_sFile), "xml")) {
      return PublishXmlDocument2(i_sFile, i_oAttachments, i_bSynchronous);
    }
    return PublishExcelDocument(i_sFile, i_oAttachments, i_bSynchronous);
  });
}

int32_t PublishCreateDocument::PublishXmlDocument2(const std::string& file,
                                                   const std::shared_ptr<Collection>& attachments,
                                                   bool synchronous) {
  constexpr const char* kPath = "PublishCreateDocument.PublishXmlDocument2";
  return core::Guarded(kPath, [&] {
    if (!text::IEquals(FileHandling().GetFileExtension(file), "xml")) {
      RaiseError(EnumerationErrors::CannotLoadFile, kPath, FileLabel("ZODAR4560", file));
    }
    xml::Document document;
    if (!document.LoadFile(core::NewSiteFileSystem()->ToNative(file))) {
      RaiseError(EnumerationErrors::XMLLoadError, kPath,
                 document::XmlLoadFailureMessage(document.parse_error()));
    }
    return PublishXmlDocument(document.Xml(), attachments, synchronous);
  });
}

int32_t PublishCreateDocument::PublishDocumentSync(const std::string& xml,
                                                   const std::shared_ptr<Collection>& attachments) {
  PendingError failure;
  int32_t doc_id = 0;
  try {
    std::string original_type;
    std::string original_recipient;
    int32_t sender_bp = 0;
    std::string type;
    std::string sender;
    std::string default_receiver;
    int16_t status = 0;
    int32_t parent = -1;
    Document().ProcessDocumentWithAttachments(0, xml, original_type, original_recipient,
                                              attachments, doc_id, sender_bp, type, sender,
                                              default_receiver, status, parent);
    if (doc_id == 0 || sender_bp == 0 || text::TrimView(type).empty() ||
        text::TrimView(sender).empty()) {
      failure.Set(Error(ErrNumber(EnumerationErrors::ProcessDocumentError), kSyncPath, ""));
    }
  } catch (...) {
    failure.Capture();
  }
  if (!failure.IsSet()) {
    return doc_id;
  }
  Error cause = failure.error();
  Error processing(ErrNumber(EnumerationErrors::ProcessDocumentError), cause.source(),
                   cause.description(), cause.help_file(), cause.help_context());
  processing.set_detail(cause.detail());
  failure.Set(std::move(processing));
  core::ReportError(
      failure, kSyncPath,
      Variant(core::GetLabelForMessage("ZODAR0003", {}) + "\r\n" + failure.error().description()));
  return 0;
}

}  // namespace velmora
