#include "velmora/support/attachments.h"

#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "platform/files/path_text.h"
#include "routing/error_folder.h"
#include "support/attachments_recordset.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;

std::string Path(const std::string& method) { return "Velmora.Attachments." + method; }

db::RecordsetOptions Updatable() {
  return db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic};
}

// Whether `registered` (ATTACHMENTFILENAME rows) holds `name`; searched from the first row.
bool IsRegistered(db::Recordset& registered, const std::string& name) {
  if (registered.RecordCount() == 0) {
    return false;
  }
  registered.MoveFirst();
  registered.Find("AttachmentFileName='" + text::ReplaceAll(name, "'", "''") + "'");
  const bool found = !registered.IsEOF();
  registered.MoveFirst();
  return found;
}

// Refuses to delete attachment `attachment_id` unless its row belongs to document `doc_id` and
// names the file `name`: a caller may delete only the row and the file it names.
void CheckAttachmentOwner(db::Connection& connection, int32_t doc_id, int32_t attachment_id,
                          const std::string& name) {
  auto row = connection.Query("SELECT DOCUMENTID, ATTACHMENTFILENAME FROM ATTACHMENT " +
                              std::string("WHERE ATTACHMENTID = ") + SqlLong(attachment_id));
  const bool found = !row->IsEOF();
  const bool owned = found && row->Field("DOCUMENTID").ToInt32() == doc_id &&
                     row->Field("ATTACHMENTFILENAME").ToText() == name;
  row->Close();
  if (!owned) {
    RaiseError(EnumerationErrors::InvalidParamValue, Path("DeleteAttachment"),
               "Document " + std::to_string(doc_id) + " has no attachment " +
                   std::to_string(attachment_id) + " named '" + name + "'; nothing was deleted.");
  }
}

// Adds the ATTACHMENT row of file `name` of document `doc_id`.
void WriteToDB(db::Connection& connection, int32_t doc_id, const std::string& name) {
  core::Guarded(Path("writeToDB"), [&] {
    auto row =
        connection.OpenRecordset("SELECT * FROM ATTACHMENT WHERE ATTACHMENTID = -1", Updatable());
    row->AddNew();
    row->SetField("DOCUMENTID", Variant(doc_id));
    row->SetField("ATTACHMENTFILENAME", Variant(name));
    row->Update();
    row->Close();
  });
}

// Registers or removes one listed file; a name that could reach outside its folder is left
// alone with a warning.
void ExamineFile(db::Connection& connection, db::Recordset& registered, int32_t doc_id,
                 const FileObject& file) {
  if (!files::IsBareFileName(file.Name())) {
    core::LogWarning(Path("ExamenFolderForNewFilesAndWriteThemToDB"),
                     Variant("The attachment file name '" + file.Name() +
                             "' is not a plain file name and is not registered."));
    return;
  }
  if (file.Size() == 0) {
    FileHandling().DeleteFileFromDisk(file.Path());
    return;
  }
  if (!IsRegistered(registered, file.Name())) {
    WriteToDB(connection, doc_id, file.Name());
  }
}

}  // namespace

void Attachments::ExamenFolderForNewFilesAndWriteThemToDB(int32_t iDocID, const std::string& iPath,
                                                          db::Connection* iConn) {
  core::Guarded(Path("ExamenFolderForNewFilesAndWriteThemToDB"), [&] {
    std::unique_ptr<db::Connection> own;
    if (!routing::error_folder::FolderExists(iPath)) {
      return;
    }
    const std::shared_ptr<Collection> listed = FileHandling().getFilesInFolder(iPath);
    if (iConn == nullptr) {
      own = core::GetConnection();
    }
    db::Connection& connection = iConn != nullptr ? *iConn : *own;
    std::shared_ptr<db::Recordset> registered = getDBFiles(iDocID, &connection);
    for (const Variant& item : listed->items()) {
      ExamineFile(connection, *registered, iDocID, *item.As<FileObject>());
    }
    registered->Close();
    core::CloseConnection(own);
  });
}

std::shared_ptr<db::Recordset> Attachments::getDBFiles(int32_t iDocID, db::Connection* iConn) {
  return core::Guarded(Path("GetDBFiles"), [&]() -> std::shared_ptr<db::Recordset> {
    std::unique_ptr<db::Connection> own;
    const std::string sql =
        "select attachmentfilename from attachment where DocumentID = " + SqlLong(iDocID);
    if (iConn != nullptr) {
      return iConn->OpenRecordset(sql, Updatable());
    }
    own = core::GetConnection();
    auto rows = own->OpenRecordset(sql, Updatable());
    return support::KeepConnectionWithRecordset(std::move(own), std::move(rows));
  });
}

std::shared_ptr<db::Recordset> Attachments::GetDocumentAttachmentsBySenderRS(
    const std::string& iSender, int32_t iDocID) {
  return core::Guarded(
      Path("GetDocumentAttachmentsBySenderRS"), [&]() -> std::shared_ptr<db::Recordset> {
        return core::getDisconnectedReadOnlyRecordSet(
            std::string("SELECT ATTACHMENT.ATTACHMENTFILENAME, ATTACHMENT.ATTACHMENTID ") +
            "FROM ATTACHMENT INNER JOIN DOCUMENT ON " +
            "ATTACHMENT.DOCUMENTID = DOCUMENT.DOCUMENTID " + "WHERE (DOCUMENT.SENDER = " +
            SqlText(iSender) + ") AND " + "(DOCUMENT.DOCUMENTID = " + SqlLong(iDocID) + ")");
        return nullptr;
      });
}

std::shared_ptr<db::Recordset> Attachments::GetDocumentAttachmentsRS(int32_t iDocID) {
  return core::Guarded(Path("GetDocumentAttachmentsRS"), [&]() -> std::shared_ptr<db::Recordset> {
    return core::getDisconnectedReadOnlyRecordSet(
        std::string("SELECT ATTACHMENT.ATTACHMENTFILENAME, ATTACHMENT.ATTACHMENTID ") +
        "FROM ATTACHMENT " + "WHERE ATTACHMENT.DOCUMENTID = " + SqlLong(iDocID));
    return nullptr;
  });
}

void Attachments::DeleteAttachment(int32_t iDocID, int32_t iAttachmentID,
                                   const std::string& iFileName, const std::string& iRootPath) {
  core::Guarded(Path("DeleteAttachment"), [&] {
    std::unique_ptr<db::Connection> connection;
    if (!files::IsBareFileName(iFileName)) {
      RaiseError(EnumerationErrors::InvalidParamValue, Path("DeleteAttachment"),
                 "The attachment file name '" + iFileName + "' is not a plain file name.");
    }
    connection = core::GetConnection();
    CheckAttachmentOwner(*connection, iDocID, iAttachmentID, iFileName);
    connection->Execute(std::string("DELETE FROM ATTACHMENT ") +
                        "WHERE ATTACHMENTID = " + SqlLong(iAttachmentID));
    core::CloseConnection(connection);
    FileHandling().DeleteFileFromDisk(
        files::BuildPath(files::BuildPath(iRootPath, std::to_string(iDocID)), iFileName));
  });
}

}  // namespace velmora
