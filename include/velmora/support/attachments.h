#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/db/connection.h"
#include "velmora/db/recordset.h"

namespace velmora {

// Velmora.Attachments: the attachment files of documents. Each document's files lie in a
// folder of their own (the attachments folder joined with the decimal document ID); table
// ATTACHMENT holds one row per file with the bare file name. Paths are texts in the library's
// form ("D:\att\12", "\\server\share\att\12", "/srv/att/12").
//
// Operations that take `iConn` work on that open connection and leave it open (the caller owns
// it and any transaction on it); without one they open their own connection and close it on
// every path. Stateless. Failures are reported as "Velmora.Attachments.<name>" and raised.
class Attachments {
 public:
  // Registers the files of folder `iPath` for document `iDocID`: every file whose name is not
  // registered yet gets an ATTACHMENT row; an empty file is deleted from disk instead. Names
  // that are not one plain file name are skipped with a warning. A missing folder does
  // nothing.
  void ExamenFolderForNewFilesAndWriteThemToDB(int32_t iDocID, const std::string& iPath,
                                               db::Connection* iConn = nullptr);
  // The ATTACHMENTFILENAME rows of document `iDocID`, updatable and open. Without `iConn` the
  // recordset owns the connection it was opened on and closes it when it is closed.
  std::shared_ptr<db::Recordset> getDBFiles(int32_t iDocID, db::Connection* iConn = nullptr);
  // ATTACHMENTFILENAME and ATTACHMENTID of document `iDocID` when `iSender` sent it, detached
  // from any connection.
  std::shared_ptr<db::Recordset> GetDocumentAttachmentsBySenderRS(const std::string& iSender,
                                                                  int32_t iDocID);
  // ATTACHMENTFILENAME and ATTACHMENTID of document `iDocID`, detached from any connection.
  std::shared_ptr<db::Recordset> GetDocumentAttachmentsRS(int32_t iDocID);
  // Removes row `iAttachmentID` and the file `iRootPath` \ `iDocID` \ `iFileName`.
  // `iFileName` must be one plain file name (no separator, drive, "." or ".."); anything else
  // raises InvalidParamValue before anything is removed.
  void DeleteAttachment(int32_t iDocID, int32_t iAttachmentID, const std::string& iFileName,
                        const std::string& iRootPath);
  // The URL (ending in "/") and the folder (ending in "\") under which attachments are served,
  // from the parameters "AttachmentsVirtualPath" and "AttachmentsFolder"; without a folder,
  // the installation directory joined with the URL path, and the URL built from the host names
  // of the site configuration. True when both could be established; otherwise a warning is
  // logged and nothing is raised.
  bool GetAttachmentUrlAndFolder(std::string& oURL, std::string& oFolder);
};

}  // namespace velmora
