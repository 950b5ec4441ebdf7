#pragma once

#include <memory>

#include "velmora/db/connection.h"
#include "velmora/db/recordset.h"

namespace velmora::support {

// An open recordset handed to a caller together with the connection it was opened on: the
// connection stays open (so the rows can still be written back) until the recordset is closed
// or destroyed. Not safe for concurrent use.
std::shared_ptr<db::Recordset> KeepConnectionWithRecordset(
    std::unique_ptr<db::Connection> connection, std::unique_ptr<db::Recordset> rows);

}  // namespace velmora::support
