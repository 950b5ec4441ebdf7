#pragma once

#include <memory>
#include <span>
#include <string>

#include "platform/db/session.h"
#include "velmora/db/recordset.h"

namespace velmora::db {

// Internal: opens the engine-neutral Recordset on `sql` (already translated). The recordset
// keeps a weak link to `session` for reading on (forward-only) and writing back (kOptimistic);
// it closes, or loses the ability to write back, when the session ends.
std::unique_ptr<Recordset> OpenSessionRecordset(const std::shared_ptr<Session>& session,
                                                const std::string& sql,
                                                const RecordsetOptions& options);

// Internal: a forward-only, read-only Recordset on `sql` (already translated) with its "?"
// parameters bound to `params`; it closes when the session ends.
std::unique_ptr<Recordset> OpenBoundRecordset(const std::shared_ptr<Session>& session,
                                              const std::string& sql,
                                              std::span<const Variant> params);

}  // namespace velmora::db
