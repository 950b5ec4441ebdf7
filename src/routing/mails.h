#pragma once

#include <string>

#include "velmora/base/variant.h"

// The library's one way of sending a mail: through the environment's mail transport
// (core::CurrentEnv().Mail()). Failures raise, unreported.
namespace velmora::routing::mails {

// Sends one message from `from` to the address list `to` (addresses separated by ";" or ","),
// with `subject` and the UTF-8 text `body`; the files `html_file` and `xml_file` are attached
// when not empty (paths through the share and drive maps; each named by its plain base name).
// An empty sender raises MissingEmailSenderError "The Sender is missing.", then an empty
// receiver MissingEmailReceiverError "The Receiver is missing.", both with source "Utility". A
// line break in a header or a malformed address is refused before anything is sent; a file
// that cannot be read sends nothing.
void Send(const std::string& from, const std::string& to, const std::string& subject,
          const std::string& body, const std::string& html_file = "",
          const std::string& xml_file = "");

// The same message with the files of `attachments` added, through the mail operation of
// "D2ORiro.File": the first column of a two-dimensional array (element (0, row)), or every
// element of a one-dimensional one, holds full paths; anything else attaches no further file.
void SendWithFiles(const std::string& from, const std::string& to, const std::string& subject,
                   const std::string& body, const std::string& html_file,
                   const std::string& xml_file, const Variant& attachments);

// The administrator's mail (parameter "AdminEmailAddress", to and from) about `file_name`
// moved to the error folder: labels "ZODAR4100" and "ZODAR4103" in 1033. Never raises: an
// address that cannot be read is an error log entry under the text of "ZODAR4104", a failed
// send one under "Velmora.Utility.SendEmail".
void SendToAdministrator(const std::string& file_name);

}  // namespace velmora::routing::mails
