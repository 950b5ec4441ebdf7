#include "app/publish_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/admin.h"
#include "app/admin_runner.h"
#include "app/home.h"
#include "automation/class_registry.h"
#include "core/env.h"
#include "publish/publication_outcome.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"
#include "velmora/publish/publish_create_document.h"

namespace velmora::app {
namespace {

namespace fs = std::filesystem;

struct PublishOptions {
  std::string file;
  std::vector<std::string> attachments;
  bool async = false;
  bool json = false;
};

// The names of the files in `folder` (none when it does not exist).
std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ignored;
  if (folder.empty() || !fs::is_directory(folder, ignored)) {
    return names;
  }
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    if (entry.is_regular_file(ignored)) {
      names.insert(entry.path().string());
    }
  }
  return names;
}

Variant NewFiles(const std::string& folder, const std::set<std::string>& before) {
  VariantArray added(0);
  for (const std::string& name : FilesIn(folder)) {
    if (!before.contains(name)) {
      added.Append(Variant(name));
    }
  }
  return Variant(std::move(added));
}

Variant DocumentOutcome(int32_t id) {
  using Outcome = publish::PublicationOutcome;
  const Outcome outcome = publish::ReadPublicationOutcome(id);
  auto result = std::make_shared<Dictionary>();
  result->Add("documentId", Variant(id));
  const Outcome::Row row = outcome.document.value_or(Outcome::Row{});
  result->Add("documentType", row.doc_type);
  result->Add("sender", row.sender);
  result->Add("status", row.status);
  result->Add("recipients", ListOf(outcome.recipients, [](const Outcome::Recipient& r) {
                return Record({{"user", r.user}, {"status", r.status}});
              }));
  result->Add("deliveries", ListOf(outcome.deliveries, [](const Outcome::Delivery& d) {
                return Record({{"sendMethod", d.send_method},
                               {"partner", d.partner},
                               {"status", d.status},
                               {"publicationError", d.publication_error}});
              }));
  result->Add("errors", ListOf(outcome.errors, [](const Outcome::Failure& e) {
                return Record({{"label", e.label}, {"description", e.description}});
              }));
  return Variant(ObjectRef(result));
}

std::string Absolute(const std::string& path) { return fs::absolute(path).string(); }

Variant Publish(const PublishOptions& o) {
  const std::string home = core::CurrentEnv().home;
  const std::string mail_folder = home + "/folders/mail-pickup";
  const std::string pickup_folder = FileHandling().GetFolderName(EFolderType::XmlPath2Folder);
  const std::set<std::string> mails_before = FilesIn(mail_folder);
  const std::set<std::string> pickup_before = FilesIn(pickup_folder);
  PublishCreateDocument publisher;
  int32_t id = 0;
  if (text::IEquals(FileHandling().GetFileExtension(o.file), "obi")) {
    if (!o.attachments.empty()) {
      BadInput("an OBI object is published without attachments");
    }
    id = publisher.PublishObiDocument(FileHandling().GetFileContentAsString(Absolute(o.file)),
                                      !o.async);
  } else {
    auto attachments = std::make_shared<Collection>();
    for (const std::string& path : o.attachments) {
      attachments->Add(Variant(Absolute(path)));
    }
    id = publisher.PublishDocument(Absolute(o.file), attachments, !o.async);
  }
  if (o.async) {
    auto result = std::make_shared<Dictionary>();
    result->Add("documentId", Variant(id));
    result->Add("pickupFile", NewFiles(pickup_folder, pickup_before));
    return Variant(ObjectRef(result));
  }
  Variant outcome = DocumentOutcome(id);
  outcome.As<Dictionary>()->Add("mails", NewFiles(mail_folder, mails_before));
  return outcome;
}

// The message a failed step raised, without the chain of method paths around it: the text
// after the innermost "caught: " up to its error number.
std::string LocalisedMessage(const std::string& description) {
  const size_t caught = description.rfind("caught: ");
  if (caught == std::string::npos) {
    return text::Trim(description);
  }
  const std::string inner = description.substr(caught + 8);
  std::smatch number;
  if (std::regex_search(inner, number, std::regex(R"(\([0-9A-F]{1,8}\)\.)"))) {
    return text::Trim(inner.substr(0, static_cast<size_t>(number.position(0))));
  }
  return text::Trim(inner);
}

Variant PublishReportingMessage(const PublishOptions& o) {
  try {
    return Publish(o);
  } catch (const Error& failure) {
    throw Error(failure.number(), failure.source(), LocalisedMessage(failure.description()));
  }
}

std::string Text(const Variant& value) { return value.IsNull() ? "" : value.ToText(); }

std::string PlainOutcome(const Variant& result) {
  const auto outcome = result.As<Dictionary>();
  std::ostringstream out;
  if (outcome->Exists("pickupFile")) {
    out << "Written to the pick-up folder for the folder import:";
    const Variant files = outcome->Item("pickupFile");
    for (const Variant& file : files.AsArray().values()) {
      out << " " << file.ToText();
    }
    out << "\n";
    return out.str();
  }
  out << "Document " << Text(outcome->Item("documentId")) << " ("
      << Text(outcome->Item("documentType")) << ") from " << Text(outcome->Item("sender"))
      << ", status " << Text(outcome->Item("status")) << "\n";
  const auto list = [&](const char* title, const char* key,
                        const std::vector<std::string>& columns) {
    const Variant list_value = outcome->Item(key);
    const VariantArray& rows = list_value.AsArray();
    out << title << ": " << (rows.Count() == 0 ? "none" : "") << "\n";
    for (const Variant& row : rows.values()) {
      out << " ";
      if (const auto record = row.As<Dictionary>()) {
        for (const std::string& column : columns) {
          out << " " << column << "=" << Text(record->Item(column));
        }
      } else {
        out << " " << row.ToText();
      }
      out << "\n";
    }
  };
  list("Recipients", "recipients", {"user", "status"});
  list("Deliveries", "deliveries", {"sendMethod", "partner", "status", "publicationError"});
  list("Publication errors", "errors", {"label", "description"});
  list("Mails", "mails", {});
  return out.str();
}

}  // namespace

void AddPublishCommand(cli::Command& root, const std::function<void()>& use_home) {
  auto options = std::make_shared<PublishOptions>();
  cli::Command& publish = root.Add("publish", "Publish an XML, workbook or OBI file");
  publish.Positional("file", options->file, "The file to publish (.xml, .xls or .obi)", true);
  publish.Repeated("--attach", options->attachments, "An attachment file (repeatable)");
  publish.Flag("--async", options->async, "Write into the pick-up folder instead of publishing");
  publish.Flag("--json", options->json, "Machine-readable output");
  publish.OnRun([options, use_home] {
    use_home();
    // Processing creates "Velmora.OBI" and "Velmora.Notification" by their ProgIDs.
    automation::RegisterAllClasses();
    return RunAdminCommand(
        options->json, [&] { return PublishReportingMessage(*options); }, PlainOutcome,
        ErrorText::kTrimmed, "velmora publish");
  });
}

}  // namespace velmora::app
