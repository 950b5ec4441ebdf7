// The FTP transport: the document, then its attachments, uploaded to the partner's server.
#include <memory>
#include <string>
#include <vector>

#include "core/file_service.h"
#include "delivery/push/attachment_files.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "delivery/push/workbook_files.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"

namespace velmora::delivery {
namespace {

// The parts of an ftp address.
struct FtpAddress {
  std::string server;
  std::string directory;  // "" for the login directory
};

[[noreturn]] void FailFtp(int32_t doc_id, const std::string& code, Replacements replacements) {
  RaiseError(EnumerationErrors::PushByFTPError, PushPath("SendDataByFTP"),
             Label(code, replacements) + " " + DocumentLabel(doc_id));
}

FtpAddress ParseFtpAddress(int32_t doc_id, const std::string& address) {
  if (!text::IStartsWith(address, "ftp://")) {
    FailFtp(doc_id, "ZODAR4239", {{"[%ADDRESS%]", RedactAddress(address)}});
  }
  FtpAddress parsed;
  const size_t slash = address.find('/', 6);
  parsed.server = address.substr(6, slash == std::string::npos ? std::string::npos : slash - 6);
  if (parsed.server.empty() || parsed.server.find('@') != std::string::npos) {
    FailFtp(doc_id, "ZODAR4239", {{"[%ADDRESS%]", RedactAddress(address)}});
  }
  if (slash != std::string::npos && slash != address.size() - 1) {
    parsed.directory = address.substr(slash);
  }
  return parsed;
}

void SendByFTPForAttachments(int32_t doc_id, TSendMethodProperties& record,
                             const VariantArray& extension) {
  core::Guarded(PushPath("SendByFTPForAttachments"), [&] {
    if (!AttachmentsFlag(extension)) {
      return;
    }
    const std::string folder = AttachmentsFolderOrRaise("SendByFTPForAttachments", " ");
    for (const std::string& name : AttachmentNames(doc_id, PushPath("SendByFTPForAttachments"))) {
      record.sFileName = std::to_string(doc_id) + "_" + name;
      record.sTempFileName = AttachmentPath(folder, doc_id, name);
      record.nFTPTransferType = ESendMethodFTPTransferType::Binary;
      SendDataByFTP(doc_id, record);
    }
  });
}

// Writes the document file for the upload: record.sFileName is the remote name and
// record.sTempFileName the local work file.
void WriteUploadFile(int32_t doc_id, const Variant& data, TSendMethodProperties& record) {
  if (record.nFormat == ESendMethodFormat::Excel) {
    WriteWorkbookForSend(doc_id, data, record);
    return;
  }
  record.sFileName = SendMethodOutputFileName(doc_id, record);
  std::string no_name;
  record.sTempFileName = routing::xml_files::Write(
      data.ToText(), no_name, record.nFileFormat == ESendMethodFileFormat::Unicode);
}

}  // namespace

void SendDataByFTP(int32_t doc_id, const TSendMethodProperties& record) {
  std::string reason;
  GuardedWithMessage(
      PushPath("SendDataByFTP"),
      [&]() -> core::Info { return reason.empty() ? core::Info() : core::Info(Variant(reason)); },
      [&] {
        const FtpAddress address = ParseFtpAddress(doc_id, record.sAddress);
        const long port = record.lPort == -1 || record.lPort == 0 ? 21 : record.lPort;
        const Replacements where = {{"[%SERVER%]", address.server},
                                    {"[%PORT%]", std::to_string(record.lPort)}};
        net::TransferClient* client = CurrentTransferClient();
        if (client == nullptr) {
          FailFtp(doc_id, "ZODAR4235", {});
        }
        net::FtpLogin login{address.server,
                            port,
                            record.sUser,
                            record.sPassword,
                            net::Proxy{record.sProxy, record.lProxyPort},
                            SiteTransferLimits()};
        std::unique_ptr<net::FtpSession> session;
        try {
          session = client->ConnectFtp(login);
        } catch (const net::TransferError& failure) {
          reason = failure.description();
          FailFtp(doc_id, "ZODAR4236", where);
        }
        try {
          session->ChangeDirectory(address.directory);
        } catch (const net::TransferError& failure) {
          reason = failure.description();
          FailFtp(doc_id, "ZODAR4238",
                  {{"[%DIRECTORY%]", address.directory},
                   {"[%SERVER%]", address.server},
                   {"[%PORT%]", std::to_string(record.lPort)}});
        }
        if (record.nFTPTransferType != ESendMethodFTPTransferType::ASCII &&
            record.nFTPTransferType != ESendMethodFTPTransferType::Binary) {
          RaiseError(
              EnumerationErrors::InValidFileFormat, PushPath("SendDataByFTP"),
              Label("ZODAR4328", {{"[%FTPTRANSFERTYPE%]",
                                   std::to_string(static_cast<int>(record.nFTPTransferType))}}));
        }
        const Replacements put = {{"[%SERVER%]", address.server},
                                  {"[%PORT%]", std::to_string(record.lPort)},
                                  {"[%SOURCEFILE%]", record.sTempFileName},
                                  {"[%DESTINATIONFILE%]", record.sFileName}};
        try {
          CheckPlainFileName(record.sFileName, PushPath("SendDataByFTP"));
          const std::string bytes = core::NewSiteFileSystem()->ReadFile(record.sTempFileName);
          session->Put(record.sFileName, bytes,
                       record.nFTPTransferType == ESendMethodFTPTransferType::ASCII);
        } catch (const Error& failure) {
          reason = failure.description();
          FailFtp(doc_id, "ZODAR4237", put);
        }
      });
}

void SendByFTP(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
               const VariantArray& extension) {
  bool uploading = true;
  GuardedWithMessage(
      PushPath("SendByFTP"),
      [&]() -> core::Info {
        const std::string file =
            MessageLabel("ZODAR4231", {{"[%FILENAME%]", record.sTempFileName}});
        if (uploading) {
          return Variant(
              MessageLabel("ZODAR4230", {{"[%FTPSERVER%]", RedactAddress(record.sAddress)}}) + " " +
              file + " " + DocumentLabel(doc_id));
        }
        return Variant(MessageLabel("ZODAR4567", {{"[%FILENAME%]", record.sTempFileName}}) + " " +
                       DocumentLabel(doc_id));
      },
      [&] {
        WriteUploadFile(doc_id, data, record);
        RemoveOnFailure cleanup(record.sTempFileName);
        SendDataByFTP(doc_id, record);
        cleanup.Release();
        uploading = false;
        FileHandling().DeleteFileFromDisk(record.sTempFileName);
        SendByFTPForAttachments(doc_id, record, extension);
      });
}

}  // namespace velmora::delivery
