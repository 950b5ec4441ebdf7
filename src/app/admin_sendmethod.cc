#include "app/admin_sendmethod.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "delivery/send_method_store.h"
#include "rules/rule_store.h"
#include "velmora/base/text.h"
#include "velmora/delivery/send_method.h"
#include "velmora/rules/rules.h"

namespace velmora::app {
namespace {

// What the send method commands parse into; unset options keep the stored (or default) value.
struct SendMethodOptions {
  bool json = false;
  std::string id;
  std::string partner;
  std::string doctype;
  std::optional<std::string> rule;
  std::optional<std::string> protocol;
  std::optional<std::string> format;
  std::optional<std::string> address;
  std::optional<std::string> xsl;
  std::optional<std::string> port;
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<std::string> file_name;
  std::optional<std::string> suffix;
  std::optional<std::string> extension;
  std::optional<std::string> write_mode;
  std::optional<std::string> excel_template;
  std::optional<std::string> proxy;
  std::optional<std::string> proxy_port;
  std::optional<std::string> file_format;
  std::optional<std::string> ftp_type;
  std::optional<std::string> network;
  std::optional<std::string> merge_file;
  std::optional<std::string> autopush;
  std::optional<std::string> attachments;
};

using Options = std::shared_ptr<SendMethodOptions>;
using CommandRunner = AdminCommandRunner<SendMethodOptions>;

// The words the commands accept for an enumeration, with the members stored.
template <class Enumeration>
struct Word {
  const char* word;
  Enumeration member;
};

constexpr std::array<Word<ESendMethodProtocol>, 8> kProtocols{
    {{"email", ESendMethodProtocol::Email},
     {"fax", ESendMethodProtocol::Fax},
     {"folder", ESendMethodProtocol::FilePath},
     {"ftp", ESendMethodProtocol::Ftp},
     {"http", ESendMethodProtocol::Http},
     {"methodcall", ESendMethodProtocol::MethodCall},
     {"download", ESendMethodProtocol::ManualDownload},
     {"edi", ESendMethodProtocol::EDI}}};
constexpr std::array<Word<ESendMethodFormat>, 3> kFormats{{{"excel", ESendMethodFormat::Excel},
                                                           {"obi", ESendMethodFormat::OBI},
                                                           {"xml", ESendMethodFormat::XML}}};
constexpr std::array<Word<EWriteMode>, 3> kWriteModes{{{"append", EWriteMode::Append},
                                                       {"create", EWriteMode::Create},
                                                       {"update", EWriteMode::Update}}};
constexpr std::array<Word<ESendMethodSuffix>, 2> kSuffixes{
    {{"docid", ESendMethodSuffix::DocumentID}, {"none", ESendMethodSuffix::None}}};
constexpr std::array<Word<ESendMethodFileFormat>, 2> kFileFormats{
    {{"ascii", ESendMethodFileFormat::ASCII}, {"unicode", ESendMethodFileFormat::Unicode}}};
constexpr std::array<Word<ESendMethodFTPTransferType>, 2> kTransferTypes{
    {{"ascii", ESendMethodFTPTransferType::ASCII}, {"binary", ESendMethodFTPTransferType::Binary}}};

template <class Enumeration, size_t N>
Enumeration MemberOfWord(const std::string& what, const std::string& value,
                         const std::array<Word<Enumeration>, N>& words) {
  std::string choices;
  for (const Word<Enumeration>& word : words) {
    if (text::IEquals(value, word.word)) {
      return word.member;
    }
    choices += (choices.empty() ? "" : ", ") + std::string(word.word);
  }
  BadInput(what + " must be one of " + choices + ", not '" + value + "'");
}

// The word of `member`; Null for 0 (not recorded), the number for one without a word.
template <class Enumeration, size_t N>
Variant WordOfMember(Enumeration member, const std::array<Word<Enumeration>, N>& words) {
  for (const Word<Enumeration>& word : words) {
    if (word.member == member) {
      return Variant(std::string(word.word));
    }
  }
  const int32_t number = static_cast<int32_t>(member);
  return number == 0 ? Variant::MakeNull() : Variant(number);
}

bool YesNo(const std::string& what, const std::string& value) {
  if (text::IEquals(value, "yes") || value == "1" || text::IEquals(value, "true")) {
    return true;
  }
  if (text::IEquals(value, "no") || value == "0" || text::IEquals(value, "false")) {
    return false;
  }
  BadInput(what + " must be yes or no, not '" + value + "'");
}

int32_t Port(const std::string& what, const std::string& value) {
  if (value == "-1") {
    return -1;  // the protocol's default port
  }
  const int32_t port = ParseId(what, value);
  if (port > 65535) {
    BadInput(what + " must be at most 65535, not " + value);
  }
  return port;
}

void AddPropertyOptions(cli::Command& command, const Options& o) {
  command.Option("--protocol", o->protocol,
                 "email, fax, folder, ftp, http, methodcall, download or edi");
  command.Option("--format", o->format, "xml (default), excel or obi");
  command.Option(
      "--address", o->address,
      "E-mail address, fax number, folder, host, URL or plug-in (component.class[.method])");
  command.Option("--autopush", o->autopush, "yes or no (default no): push on publication");
  command.Option("--xsl", o->xsl, "Style sheet applied before sending");
  command.Option("--port", o->port, "Port (-1 for the protocol's default)");
  command.Option("--user", o->user, "Account name at the receiver");
  command.Option("--password", o->password, "Account password");
  command.Option("--file-name", o->file_name, "Output file name");
  command.Option("--suffix", o->suffix, "docid or none: appended to the file name");
  command.Option("--extension", o->extension, "Output file extension");
  command.Option("--write-mode", o->write_mode, "append, create or update (workbooks)");
  command.Option("--excel-template", o->excel_template, "Workbook template file name");
  command.Option("--proxy", o->proxy, "HTTP proxy host");
  command.Option("--proxy-port", o->proxy_port, "HTTP proxy port");
  command.Option("--file-format", o->file_format, "ascii or unicode");
  command.Option("--ftp-type", o->ftp_type, "ascii or binary FTP transfers");
  command.Option("--attachments", o->attachments, "yes or no: deliver the attachments too");
  command.Option("--network", o->network, "EDI network id");
  command.Option("--merge-file", o->merge_file, "EDI merge folder");
}

// `p` and the extension array (attachments flag, NETWORKID, MERGEFILE) changed by the options
// given; the others keep what `p` holds.
void ApplyOptions(const SendMethodOptions& o, TSendMethodProperties& p, VariantArray& extension) {
  if (o.protocol) {
    p.nProtocol = MemberOfWord("The protocol", *o.protocol, kProtocols);
  }
  if (o.format) {
    p.nFormat = MemberOfWord("The format", *o.format, kFormats);
  }
  if (o.write_mode) {
    p.nWriteMode = MemberOfWord("The write mode", *o.write_mode, kWriteModes);
  }
  if (o.suffix) {
    p.nSuffix = MemberOfWord("The suffix", *o.suffix, kSuffixes);
  }
  if (o.file_format) {
    p.nFileFormat = MemberOfWord("The file format", *o.file_format, kFileFormats);
  }
  if (o.ftp_type) {
    p.nFTPTransferType = MemberOfWord("The FTP transfer type", *o.ftp_type, kTransferTypes);
  }
  if (o.autopush) {
    p.bAutoPush = YesNo("--autopush", *o.autopush);
  }
  if (o.port) {
    p.lPort = Port("The port", *o.port);
  }
  if (o.proxy_port) {
    p.lProxyPort = Port("The proxy port", *o.proxy_port);
  }
  const std::array<std::pair<const std::optional<std::string>*, std::string*>, 8> texts{{
      {&o.address, &p.sAddress},
      {&o.xsl, &p.sXslFileName},
      {&o.user, &p.sUser},
      {&o.password, &p.sPassword},
      {&o.file_name, &p.sFileName},
      {&o.extension, &p.sFileExtension},
      {&o.excel_template, &p.sExcelTemplate},
      {&o.proxy, &p.sProxy},
  }};
  for (const auto& [option, field] : texts) {
    if (*option) {
      if ((*option)->size() > 1000) {
        BadInput("A send method text is longer than 1000 characters");
      }
      *field = **option;
    }
  }
  if (o.attachments) {
    extension.At(0) = Variant(YesNo("--attachments", *o.attachments));
  }
  if (o.network) {
    extension.At(1) = Variant(*o.network);
  }
  if (o.merge_file) {
    extension.At(2) = Variant(*o.merge_file);
  }
}

Variant SendMethodVariant(const delivery::SendMethodLink& link) {
  return Record({{"id", Variant(link.id)},
                 {"partner", OrNull(link.partner)},
                 {"doctype", OrNull(link.doctype)},
                 {"rule", OrNull(link.rule)},
                 {"protocol", WordOfMember(link.protocol, kProtocols)},
                 {"format", WordOfMember(link.format, kFormats)},
                 {"address", OrNull(link.address)},
                 {"autopush", Variant(link.autopush)},
                 {"xsl", OrNull(link.xsl)},
                 {"port", OrNull(link.port)},
                 {"user", OrNull(link.user)},
                 {"password", Variant(link.has_password)},
                 {"fileName", OrNull(link.file_name)},
                 {"suffix", WordOfMember(link.suffix, kSuffixes)},
                 {"extension", OrNull(link.extension)},
                 {"writeMode", WordOfMember(link.write_mode, kWriteModes)},
                 {"excelTemplate", OrNull(link.excel_template)},
                 {"proxy", OrNull(link.proxy)},
                 {"proxyPort", OrNull(link.proxy_port)},
                 {"fileFormat", WordOfMember(link.file_format, kFileFormats)},
                 {"ftpType", WordOfMember(link.ftp_type, kTransferTypes)},
                 {"attachments", Variant(link.attachments)},
                 {"network", OrNull(link.network)},
                 {"mergeFile", OrNull(link.merge_file)}});
}

// Every link of send method `id`, with its properties.
Variant LinksOf(int32_t id) {
  return ListOf(delivery::SendMethodStore().Links(id), SendMethodVariant);
}

int32_t RequireSendMethod(const std::string& text) {
  const int32_t id = ParseId("The send method id", text);
  if (!delivery::SendMethodStore().Exists(id)) {
    Missing("The send method " + text + " does not exist");
  }
  return id;
}

int32_t RuleOf(const SendMethodOptions& o) {
  if (!o.rule || *o.rule == "-1") {
    return -1;
  }
  const int32_t rule = ParseId("The rule id", *o.rule);
  if (!rules::RuleExists(rule, RuleType::SENDMETHODRULE)) {
    Missing("The send method rule " + *o.rule + " does not exist");
  }
  return rule;
}

void AddAddCommand(cli::Command& group, const CommandRunner& runner, const Options& o) {
  cli::Command& add = group.Add("add", "Add a send method for a partner and document type");
  add.Positional("partner", o->partner, "Business partner id", true);
  add.Positional("doctype", o->doctype, "Document type id", true);
  AddPropertyOptions(add, o);
  add.Option("--rule", o->rule, "Send method rule that selects it (default -1: no rule)");
  runner.OnRun(
      add,
      [o] {
        int32_t partner = RequirePartner(o->partner);
        RequireDocumentType(o->doctype);
        if (!o->protocol) {
          BadInput("sendmethod add needs --protocol");
        }
        int32_t rule = RuleOf(*o);
        TSendMethodProperties properties;
        properties.nFormat = ESendMethodFormat::XML;
        properties.nSuffix = ESendMethodSuffix::None;
        properties.nWriteMode = EWriteMode::Create;
        properties.nFileFormat = ESendMethodFileFormat::ASCII;
        properties.nFTPTransferType = ESendMethodFTPTransferType::ASCII;
        properties.lPort = -1;
        properties.lProxyPort = -1;
        VariantArray extension(3);
        extension.At(0) = Variant(false);
        extension.At(1) = Variant(std::string());
        extension.At(2) = Variant(std::string());
        ApplyOptions(*o, properties, extension);
        SendMethod methods;
        int32_t id = methods.AddSendMethodProperties3(properties, extension);
        methods.AddSendMethod2(id, partner, o->doctype, rule);
        return LinksOf(id).AsArray().values().front();
      },
      [](const Variant& added) {
        return "Added send method " + added.As<Dictionary>()->Item("id").ToText() + "\n";
      });
}

void AddSetCommand(cli::Command& group, const CommandRunner& runner, const Options& o) {
  cli::Command& set = group.Add("set", "Change the properties of a send method");
  set.Positional("id", o->id, "Send method id", true);
  AddPropertyOptions(set, o);
  runner.OnRun(
      set,
      [o] {
        const int32_t id = RequireSendMethod(o->id);
        SendMethod methods;
        TSendMethodProperties properties;
        methods.GetSendMethodProperties2(id, properties);
        VariantArray stored;
        methods.GetSendMethodProperties3(id, stored);
        // The reader's order is (NETWORKID, "True"/"False", MERGEFILE); the writer's is
        // (attachments flag, NETWORKID, MERGEFILE).
        VariantArray extension(3);
        extension.At(0) = Variant(stored.At(1).ToText() == "True");
        extension.At(1) = stored.At(0);
        extension.At(2) = stored.At(2);
        // An unchanged password is passed as the placeholder that keeps the stored one.
        properties.sPassword = "********";
        ApplyOptions(*o, properties, extension);
        methods.ClearSendMethodFieldsByProtocol(properties);
        methods.UpdateSendMethodProperties3(id, properties, extension);
        return LinksOf(id);
      },
      [o](const Variant&) { return "Changed send method " + o->id + "\n"; });
}

void AddListAndRemove(cli::Command& group, const CommandRunner& runner, const Options& o) {
  cli::Command& list = group.Add("list", "List the send methods, of one partner or all");
  list.Positional("partner", o->partner, "Business partner id (all when left out)", false);
  runner.OnRun(
      list,
      [o] {
        std::optional<int32_t> partner;
        if (!o->partner.empty()) {
          partner = RequirePartner(o->partner);
        }
        return ListOf(delivery::SendMethodStore().List(partner), SendMethodVariant);
      },
      [](const Variant& rows) {
        return Table(rows, {"id", "partner", "doctype", "rule", "protocol", "format", "address",
                            "autopush"});
      });

  cli::Command& remove = group.Add("remove", "Remove a send method and its links");
  remove.Positional("id", o->id, "Send method id", true);
  runner.OnRun(
      remove,
      [o] {
        const int32_t id = RequireSendMethod(o->id);
        delivery::SendMethodStore().Remove(id);
        return Record({{"removed", Variant(id)}});
      },
      [o](const Variant&) { return "Removed send method " + o->id + "\n"; });
}

}  // namespace

void AddSendMethodCommands(cli::Command& admin, const AdminOptions& options,
                           const std::function<void()>& use_home) {
  auto mine = std::make_shared<SendMethodOptions>();
  const CommandRunner runner(options, use_home, mine);
  cli::Command& group =
      admin.Add("sendmethod", "How the documents of a type are delivered to a partner");
  group.RequireSubcommand();
  AddAddCommand(group, runner, mine);
  AddSetCommand(group, runner, mine);
  AddListAndRemove(group, runner, mine);
}

}  // namespace velmora::app
