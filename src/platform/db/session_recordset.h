#pragma once

#include <memory>
#include <string>

#include "platform/db/recordset.h"
#include "platform/db/session.h"

namespace velmora::db {

// Internal: opens the engine-neutral Recordset on `sql` (already translated). The recordset
// keeps a weak link to `session` for reading on (forward-only) and writing back (kOptimistic);
// it closes, or loses the ability to write back, when the session ends.
std::unique_ptr<Recordset> OpenSessionRecordset(const std::shared_ptr<Session>& session,
                                                const std::string& sql,
                                                const RecordsetOptions& options);

}  // namespace velmora::db
