#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velmora/db/connection.h"
#include "velmora/delivery/send_method.h"

// The send methods as the maintenance lists and removes them: each link (SENDMETHOD) with the
// properties it points at (SENDMETHODPROPERTY). Each operation opens its own connection of the
// installation and closes it on every path; database failures raise.
namespace velmora::delivery {

// A link with its properties. Null numbers read as 0 (enumerations too), Null texts as
// nullopt; the password is only told present or not.
struct SendMethodLink {
  int32_t id = 0;
  std::optional<int32_t> partner;
  std::optional<std::string> doctype;
  std::optional<int32_t> rule;
  ESendMethodProtocol protocol{};
  ESendMethodFormat format{};
  std::optional<std::string> address;
  bool autopush = false;
  std::optional<std::string> xsl;
  std::optional<int32_t> port;
  std::optional<std::string> user;
  bool has_password = false;
  std::optional<std::string> file_name;
  ESendMethodSuffix suffix{};
  std::optional<std::string> extension;
  EWriteMode write_mode{};
  std::optional<std::string> excel_template;
  std::optional<std::string> proxy;
  std::optional<int32_t> proxy_port;
  ESendMethodFileFormat file_format{};
  ESendMethodFTPTransferType ftp_type{};
  bool attachments = false;
  std::optional<std::string> network;
  std::optional<std::string> merge_file;
};

class SendMethodStore {
 public:
  // Whether send method `id` has its property row.
  bool Exists(int32_t id);
  // The links of send method `id`, by rule.
  std::vector<SendMethodLink> Links(int32_t id);
  // The links of partner `partner` (by document type and id), or of every partner (by partner,
  // document type and id).
  std::vector<SendMethodLink> List(std::optional<int32_t> partner = std::nullopt);
  // Removes send method `id` in one transaction: each link as SendMethod::DeleteSendMethod2
  // removes it (the last send method of a partner, type and rule leaves its -1 placeholder),
  // then the property row, which a send method without links also has. False, with nothing
  // changed, when there is no property row.
  bool Remove(int32_t id);
};

// The link of send method `id` for (`partner`, `doctype`, `rule`) removed on `connection` as
// SendMethod::DeleteSendMethod2 removes it; the property row stays.
void Unlink(db::Connection& connection, int32_t id, int32_t partner, const std::string& doctype,
            int32_t rule);

// "BUSINESSPARTNERID = <partner> AND DOCUMENTTYPEID = '<doctype>' AND RULEID = <rule>".
std::string LinkCondition(int32_t partner, const std::string& doctype, int32_t rule);

}  // namespace velmora::delivery
