#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/admin.h"
#include "document/document_type_store.h"
#include "platform/cli/command_line.h"
#include "velmora/host/referential_integrity.h"

// `velmora admin partner|user|app|doctype ...`: the business partners, users (with passwords),
// applications and document types that the portal's administration maintains and the library
// only reads. Every command takes --json (here or on `admin`) and exits 1 with a clear message
// on bad input; removals first ask the referential-integrity participants and refuse with the
// reason when one still refers to the record.
namespace velmora::app {

// Adds the partner, user, app and doctype commands under `admin`; `use_home` runs before each
// command. `options` (its json flag) must outlive the command line.
void AddDirectoryCommands(cli::Command& admin, const AdminOptions& options,
                          const std::function<void()>& use_home);

using document::DocumentTypeRecord;

// Document type maintenance on the installation's database. AddDocumentType raises for an
// empty, too long or taken id; RemoveDocumentType raises NotPresent for an unknown id and
// ReferentialDelete when a participant of `participants` still refers to the type or refuses.
void AddDocumentType(const DocumentTypeRecord& type);
std::vector<DocumentTypeRecord> ListDocumentTypes();
void RemoveDocumentType(const std::string& id,
                        const host::ReferentialIntegrityRegistry& participants =
                            host::ReferentialIntegrityRegistry::Global());

}  // namespace velmora::app
