#include "publish/forward_attachments.h"

#include <memory>
#include <vector>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "platform/files/path_text.h"
#include "routing/error_folder.h"

namespace velmora::publish {
namespace {

void insertAttachmentInDB(db::Connection& connection, int32_t newDocId, const std::string& name) {
  core::Guarded("Velmora.PublishForwardDocument.insertAttachmentInDB", [&] {
    auto row = connection.OpenRecordset(
        "SELECT * FROM ATTACHMENT WHERE ATTACHMENTID = -1",
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    row->AddNew();
    row->SetField("DOCUMENTID", Variant(newDocId));
    row->SetField("ATTACHMENTFILENAME", Variant(name));
    row->Update();
    row->Close();
  });
}

// Copies the files directly inside `source` into `target` (created when missing), replacing
// files of the same name: a share path through the component "D2ORiro.File", a local one
// through the file system.
void copyAttachmentFolder(const std::string& source, const std::string& target) {
  core::Guarded("Velmora.PublishForwardDocument.copyAttachmentFolder", [&] {
    if (!routing::error_folder::FolderExists(source)) {
      return;
    }
    if (source.starts_with("\\\\") || target.starts_with("\\\\")) {
      const auto remote =
          core::GetRemoteFile("Velmora.PublishForwardDocument.copyAttachmentFolder");
      remote->CreateFolderTree(target);
      const auto names = remote->GetFileNamesInFolder(source);
      for (const Variant& name : names->items()) {
        remote->CopyFile(files::BuildPath(source, name.ToText()),
                         files::BuildPath(target, name.ToText()), true);
      }
      return;
    }
    const auto fs = core::NewSiteFileSystem();
    if (!fs->FolderExists(target)) {
      fs->CreateFolder(target);
    }
    for (const files::FolderEntry& entry : fs->List(source)) {
      if (entry.is_file) {
        fs->CopyFile(files::BuildPath(source, entry.name), files::BuildPath(target, entry.name),
                     true);
      }
    }
  });
}

}  // namespace

void CopyAttachments(int32_t oldDocId, int32_t newDocId, const std::string& attachmentsPath) {
  core::Guarded("Velmora.PublishForwardDocument.copyAttachments", [&] {
    auto connection = core::GetConnection();
    std::vector<std::string> names;
    auto rows = connection->Query("SELECT ATTACHMENTFILENAME " + std::string("FROM ATTACHMENT ") +
                                  "WHERE DOCUMENTID = " + core::SqlLong(oldDocId));
    for (; !rows->IsEOF(); rows->MoveNext()) {
      names.push_back(rows->Field("ATTACHMENTFILENAME").ToText());
    }
    rows->Close();
    connection->Begin();
    for (const std::string& name : names) {
      insertAttachmentInDB(*connection, newDocId, name);
    }
    copyAttachmentFolder(files::BuildPath(attachmentsPath, std::to_string(oldDocId)),
                         files::BuildPath(attachmentsPath, std::to_string(newDocId)));
    connection->Commit();
    core::CloseConnection(connection);
  });
}

}  // namespace velmora::publish
