// PublishCreateDocument::CopyAttachmentCollection: a publication's attachment files copied
// into the document's attachments folder and recorded in ATTACHMENT.
#include <set>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/logged.h"
#include "core/publication_errors.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"
#include "velmora/publish/publish_create_document.h"
#include "velmora/support/attachments.h"

namespace velmora {
namespace {

constexpr const char* kPath = "PublishCreateDocument.CopyAttachmentCollection";

// Copies one file into `target` and adds its row to `rows`; raises what the copy or the row
// raises.
void CopyOne(const std::string& path, const std::string& target, int32_t docId,
             db::Recordset& rows) {
  FileHandling files;
  const std::string name = files.GetBaseName(path) + "." + files.GetFileExtension(path);
  files.CopyFile(path, target + name, true);
  rows.AddNew();
  rows.SetField("DOCUMENTID", Variant(docId));
  rows.SetField("ATTACHMENTFILENAME", Variant(name));
  rows.Update();
}

}  // namespace

void PublishCreateDocument::CopyAttachmentCollection(int32_t i_lDocID,
                                                     std::shared_ptr<Collection>& i_oAttachments) {
  core::Guarded(kPath, [&] {
    if (!i_oAttachments || i_oAttachments->Count() == 0) {
      return;
    }
    PendingError unexpected;
    bool folder_found = false;
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> rows;
    try {
      std::string url;
      std::string folder;
      folder_found = Attachments().GetAttachmentUrlAndFolder(url, folder);
      if (folder_found) {
        const std::string target = folder + std::to_string(i_lDocID) + "\\";
        FileHandling().CreateFolderTree(target);
        connection = core::GetConnection();
        rows = connection->OpenRecordset(
            "SELECT DOCUMENTID, ATTACHMENTFILENAME " + std::string("FROM ATTACHMENT ") +
                "WHERE 1=0",
            db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
        std::set<std::string> handled;
        for (const Variant& item : i_oAttachments->items()) {
          const std::string path = item.ToText();
          if (!handled.insert(text::ToUpper(path)).second) {
            continue;
          }
          try {
            CopyOne(path, target, i_lDocID, *rows);
          } catch (...) {
            const Error failure = CurrentError();
            rows->CancelUpdate();
            core::LogPublicationError(i_lDocID, failure.number(),
                                      failure.description() + "\r\n" +
                                          core::GetLabel("ZODAR0002", mPublisherLanguageID) +
                                          ": '" + path + "'",
                                      kPath, "ZODAR1816");
          }
        }
      }
    } catch (...) {
      unexpected.Capture();
    }
    core::CloseRecordset(rows);
    core::CloseConnection(connection);
    if (!folder_found || unexpected.IsSet()) {
      const Error& failure = unexpected.error();
      core::LogAndContinue(kPath, [&] {
        core::LogPublicationError(i_lDocID, failure.number(), failure.description(), kPath,
                                  "ZODAR1808");
      });
      core::LogAndContinue(kPath, [&] { core::LogError(failure, kPath); });
    }
  });
}

}  // namespace velmora
