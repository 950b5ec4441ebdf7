#pragma once

#include <gtest/gtest.h>

#include "support/expectations.h"
#include "velmora/db/connection.h"

// Small helpers shared by the database adapter tests.
namespace velmora::db {

using testing::RaisedBy;

// The value of the first field of the first row of `sql`.
inline Variant ScalarOf(Connection& connection, std::string_view sql) {
  std::unique_ptr<Recordset> recordset = connection.Query(sql);
  EXPECT_FALSE(recordset->IsEOF()) << sql;
  return recordset->IsEOF() ? Variant() : recordset->Field(0);
}

inline int64_t CountOf(Connection& connection, std::string_view table) {
  return ScalarOf(connection, "SELECT COUNT(*) AS N FROM " + std::string(table)).ToInt64();
}

}  // namespace velmora::db
