#pragma once

#include <string>
#include <vector>

// A received mail taken apart for checks: headers decoded, the text body, and every attached
// part with its name, type, character set and bytes.
namespace velmora::testing {

struct ParsedPart {
  std::string name;
  std::string content_type;
  std::string charset;
  std::string content;
};

struct ParsedMail {
  std::string from;
  std::vector<std::string> to;  // addresses of the To header, in order
  std::string subject;          // decoded
  std::string date;
  std::string message_id;
  std::string body;
  std::string body_charset;
  std::vector<ParsedPart> attachments;
};

// Parses `bytes` (one message as received); fails the test's assertions by throwing
// std::runtime_error when it is not a message.
ParsedMail ParseMail(const std::string& bytes);

}  // namespace velmora::testing
