#include "app/admin.h"

#include <iostream>

#include "app/admin_directory.h"
#include "app/admin_edinetwork.h"
#include "app/admin_sendmethod.h"
#include "app/admin_stores.h"
#include "app/admin_templates.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "core/parameter_store.h"
#include "platform/json/json_codec.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"

namespace velmora::app {
namespace {

Variant ListParameters() {
  auto parameters = std::make_shared<Dictionary>();
  for (const auto& [name, value] : core::ListParameters()) {
    parameters->Add(name, value);
  }
  return Variant(ObjectRef(parameters));
}

std::string ParametersText(const Variant& result) {
  std::string out;
  for (const auto& [name, value] : result.As<Dictionary>()->entries()) {
    out += name + "\t" + (value.IsNull() ? std::string("(null)") : value.ToText()) + "\n";
  }
  return out;
}

// Writes a failure whose detail is for the log only (a database engine's message) to the log; a
// log that cannot be written is passed over, the command's own failure matters more.
void LogDetail(const Error& error, const std::string& program) {
  try {
    core::LogError(error, program);
  } catch (const Error&) {
    // The command's own failure is what it reports.
  }
}

}  // namespace

int RunAdminCommand(bool json, const std::function<Variant()>& body,
                    const std::function<std::string(const Variant&)>& plain, ErrorText error_text,
                    const std::string& program) {
  try {
    const Variant result = body();
    if (json) {
      std::cout << json::Serialize(result) << std::endl;
    } else {
      std::cout << plain(result);
    }
    return 0;
  } catch (...) {
    const Error error = CurrentError();
    if (!error.detail().empty()) {
      LogDetail(error, program);
    }
    if (json) {
      auto details = std::make_shared<Dictionary>();
      details->Add("number", Variant(error.number()));
      details->Add("source", Variant(error.source()));
      details->Add("description", Variant(error.description()));
      auto reply = std::make_shared<Dictionary>();
      reply->Add("error", Variant(ObjectRef(details)));
      std::cout << json::Serialize(Variant(ObjectRef(reply))) << std::endl;
    } else {
      std::cerr << program << ": "
                << (error_text == ErrorText::kTrimmed ? text::Trim(error.description())
                                                      : error.description())
                << "\n";
    }
    return 1;
  }
}

void AddAdminCommands(cli::Command& admin, AdminOptions& options,
                      const std::function<void()>& use_home) {
  admin.Flag("--json", options.json, "Machine-readable output");
  admin.RequireSubcommand();

  cli::Command& param = admin.Add("param", "Installation parameters (COLLABORATIONPARAMETER)");
  param.RequireSubcommand();
  cli::Command& get = param.Add("get", "Print one parameter's value");
  get.Positional("name", options.name, "Parameter name", true);
  get.OnRun([&options, use_home] {
    use_home();
    return RunAdminCommand(
        options.json, [&] { return Variant(core::GetParameter(options.name)); },
        [](const Variant& value) { return value.ToText() + "\n"; });
  });
  cli::Command& set = param.Add("set", "Set (or add) one parameter");
  set.Positional("name", options.name, "Parameter name", true);
  set.Positional("value", options.value, "New value", true);
  set.OnRun([&options, use_home] {
    use_home();
    return RunAdminCommand(
        options.json,
        [&] {
          core::SetParameter(options.name, options.value);
          return Variant(options.value);
        },
        [&](const Variant&) { return options.name + " = " + options.value + "\n"; });
  });
  cli::Command& list = param.Add("list", "Print every parameter");
  list.OnRun([&options, use_home] {
    use_home();
    return RunAdminCommand(options.json, ListParameters, ParametersText);
  });

  cli::Command& label = admin.Add("label", "Label texts (I18NTEXT)");
  label.RequireSubcommand();
  cli::Command& label_set = label.Add("set", "Set (or add) the text of a label in one language");
  label_set.Positional("code", options.code, "Label code, ZODAR + four digits", true);
  label_set.Positional("locale", options.text, "Language id, for example 1043", true);
  label_set.Positional("text", options.value, "Text with its [%PLACEHOLDERS%]", true);
  label_set.OnRun([&options, use_home] {
    use_home();
    return RunAdminCommand(
        options.json,
        [&] {
          int64_t locale = 0;
          if (!text::ParseInt64(options.text, locale) || locale <= 0 || locale > 0x7FFFFFFF) {
            throw Error(kErrTypeMismatch, "velmora admin",
                        "The language id must be a positive number, not '" + options.text + "'");
          }
          if (options.code.empty()) {
            throw Error(kErrInvalidProcedureCall, "velmora admin", "The label code is empty");
          }
          core::SetLabelText(options.code, static_cast<int32_t>(locale), options.value);
          return Variant(options.value);
        },
        [&](const Variant&) {
          return options.code + " (" + options.text + ") = " + options.value + "\n";
        });
  });

  AddDirectoryCommands(admin, options, use_home);
  AddStoreCommands(admin, options, use_home);
  AddSendMethodCommands(admin, options, use_home);
  AddEdiNetworkCommands(admin, options, use_home);
  AddTemplateCommands(admin, options, use_home);
}

}  // namespace velmora::app
