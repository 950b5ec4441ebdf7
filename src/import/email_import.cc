#include "velmora/import/email_import.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/job_lock.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "import/email_import_run.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"

namespace velmora {
namespace import {
namespace {

constexpr const char* kCrLf = "\r\n";

bool Blank(const std::string& value) { return text::Trim(value).empty(); }

// A configuration value that must not be blank.
std::string Required(const std::string& name) {
  std::string value = core::GetParameter(name);
  if (Blank(value)) {
    RaiseError(EnumerationErrors::MissingParameter, "Velmora.EmailImport.GetEmailParameters",
               "The parameter '" + name + "' is empty.");
  }
  return value;
}

}  // namespace

std::string Label(const std::string& code,
                  std::initializer_list<std::pair<std::string, std::string>> replacements) {
  Dictionary dictionary;
  for (const auto& [placeholder, value] : replacements) {
    dictionary.Add(placeholder, Variant(value));
  }
  return core::GetLabelForMessage(code, dictionary);
}

void EmailImportRun::StartRun() {
  try {
    StartEmailImport();
  } catch (...) {
    core::LogError("Velmora.EmailImport.StartRun");
    report_.warnings.push_back("The mailbox import failed: " + CurrentError().description());
  }
}

void EmailImportRun::StartEmailImport() {
  core::Guarded("Velmora.EmailImport.StartEmailImport", [&] {
    const EmailParameters parameters = GetEmailParameters();
    if (!Blank(parameters.drop_user)) {
      try {
        HandleEmailsWithoutDocumentAttachments(parameters.server, parameters.drop_user,
                                               parameters.folder1);
      } catch (...) {
        report_.warnings.push_back("The attachment drop failed: " + CurrentError().description());
      }
    }
    if (!Blank(parameters.document_user)) {
      HandleEmailsWithDocumentAttachments(parameters.server, parameters.document_user,
                                          parameters.temp_folder);
    }
  });
}

EmailParameters EmailImportRun::GetEmailParameters() {
  EmailParameters parameters;
  std::string reading;
  return core::Guarded(
      "Velmora.EmailImport.GetEmailParameters",
      [&] {
        reading = "EmailImportSMTPUserID";
        parameters.drop_user = core::GetParameter(reading);
        reading = "EmailImportForDocumentAttachmentsUserID";
        parameters.document_user = core::GetParameter(reading);
        if (!Blank(parameters.drop_user) || !Blank(parameters.document_user)) {
          reading = "EmailImportLocalSMTPServer";
          parameters.server = Required(reading);
          reading = "XMLErrorPath";
          parameters.error_path = Required(reading);
        }
        if (!Blank(parameters.drop_user)) {
          reading = "XMLPath1";
          parameters.folder1 = Required(reading);
        }
        if (!Blank(parameters.document_user)) {
          reading.clear();
          parameters.temp_folder = FileHandling().GetFolderName(EFolderType::TempFolder);
          if (Blank(parameters.temp_folder)) {
            RaiseError(EnumerationErrors::NotPresent, "Velmora.EmailImport.GetEmailParameters",
                       "The temporary folder is not known.");
          }
        }
        return parameters;
      },
      [&] {
        if (reading.empty()) {
          return Label("ZODAR4603", {{"[%VARNAME%]", "TMP"}});
        }
        return Label("ZODAR4581") + kCrLf + Label("ZODAR4582", {{"[%PARAM%]", reading}}) + kCrLf +
               Label("ZODAR4583") + kCrLf;
      });
}

}  // namespace import

void EMailImport::Run() {
  core::Guarded("Velmora.EmailImport.Run", [&] { RunOnce({}); });
}

JobRunReport EMailImport::RunOnce(std::stop_token stop) {
  JobRunReport report;
  try {
    const auto lock = core::TryLockJob("email-import");
    if (!lock) {
      const std::string text =
          "Another run of the mailbox import holds its lock; this run did nothing.";
      core::LogWarning(Error(0, "Velmora.EmailImport.StartRun", text),
                       "Velmora.EmailImport.StartRun");
      report.skipped = true;
      report.warnings.push_back(text);
      return report;
    }
    import::EmailImportRun(stop, report).StartRun();
  } catch (...) {
    core::LogError("Velmora.EmailImport.StartRun");
    report.warnings.push_back("The mailbox import could not start: " +
                              CurrentError().description());
  }
  return report;
}

std::string EMailImport::GetEmailParameter(const std::string& iParamName) {
  return core::Guarded("Velmora.EmailImport.GetEmailParameter", [&] {
    try {
      const auto value =
          core::FirstField("SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = " +
                               core::SqlText(iParamName),
                           "PARAMVALUE");
      return value && !value->IsNull() ? text::Trim(value->ToText()) : std::string();
    } catch (...) {
      core::LogError("Velmora.EmailImport.getEmailParameter", Variant(iParamName));
      return std::string();
    }
  });
}

}  // namespace velmora
