#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/delivery/send_method.h"

// The transports of PushDocUtils: each carries one prepared document to one receiver by one
// send method record and its extension array (as GetSendMethodProperties3 reads it). The data
// is the document text, a workbook (format Excel) or Empty (format Excel with a template: the
// workbook was written to record.sFileName in the Excel temporary folder). Each returns
// normally when the document was delivered and raises otherwise, under
// "Velmora.PushDocUtils.<transport>". Records are changed where the transports note their
// working files (sFileName, sTempFileName, nFTPTransferType).
namespace velmora::delivery {

// HTTP(S) form post; a reply that is an XML document with a non-zero ERROR_NUMBER fails with
// that number.
void SendByHTTP(int32_t doc_id, TSendMethodProperties& record, const std::string& data);
// The form body of the post.
std::string HttpFormBody(int32_t doc_id, const TSendMethodProperties& record,
                         const std::string& data);
// Posts `body` to the record's address and returns the reply text; a status other than 200
// fails with PushByHTTPError, source "WinInet.HttpSendRequest".
std::string SendDataByHTTP(int32_t doc_id, const TSendMethodProperties& record,
                           const std::string& body);

// Uploads the document, then its attachments when the flag is set.
void SendByFTP(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
               const VariantArray& extension);
// Uploads the local file record.sTempFileName as record.sFileName.
void SendDataByFTP(int32_t doc_id, const TSendMethodProperties& record);

// Writes the document (and copies its attachments) into the folder of the address.
void SendByFileStream(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
                      const VariantArray& extension);

// Hands the document to the plug-in named by the address.
void SendByMethodCall(int32_t partner, int32_t doc_id, const Variant& data,
                      TSendMethodProperties& record, const VariantArray& extension);
// Whether the address names a component (no method) that implements IMethodCall24.
bool IMethodCall24Supported(const std::string& method_string);

// Drops the document into the EDI network's message folders.
void SendByEDI(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
               const VariantArray& extension);

// Mails the document as a file to the send method's user (in the user's language) or address,
// from the document's sender, with the sender's attachments when the flag is set.
// Returns the file that carried the document ("" for OBI).
std::string SendByEmail2(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
                         const VariantArray& extension);
// SendByEmail2 to the address at the mail-to-fax gateway of parameter "FaxServer".
void SendByFax2(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
                const VariantArray& extension);

}  // namespace velmora::delivery
