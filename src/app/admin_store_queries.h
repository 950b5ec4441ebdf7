#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "platform/host/membership_database.h"
#include "velmora/base/variant.h"
#include "velmora/db/connection.h"

// The database reads and checks that the admin commands of the stores (lists, receive and send
// methods, conversions, tags) share. Every statement binds its values; each call opens and closes
// its own connection of the installation.
namespace velmora::app {

// A field of the current row as a Boolean (non-zero), a text or a number; Null stays Null.
Variant Flag(const db::Recordset& row, std::string_view name);
Variant TextOf(const db::Recordset& row, std::string_view name);
Variant NumberOf(const db::Recordset& row, std::string_view name);
int16_t Bit(bool on);

// The rows of `sql` (with `values` bound to its "?") as records made by `to_variant`.
template <class ToVariant>
Variant Rows(const std::string& sql, const std::vector<Variant>& values, ToVariant to_variant) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  auto rows = host::SelectWhere(*connection, sql, values);
  VariantArray array(0);
  for (; !rows->IsEOF(); rows->MoveNext()) {
    array.Append(to_variant(*rows));
  }
  rows->Close();
  core::CloseConnection(connection);
  return Variant(std::move(array));
}

bool Exists(const std::string& sql, const std::vector<Variant>& values);
// Runs `sql` with `values` bound in order; returns the number of rows changed.
int64_t Execute(const std::string& sql, const std::vector<Variant>& values);
// Runs `statements` (each with the same bound values) in one transaction; returns the number of
// rows the last one changed. Nothing is changed when one of them fails.
int64_t ExecuteTogether(const std::vector<std::string>& statements,
                        const std::vector<Variant>& values);

// Exit 1 with a clear message (Missing) when the document type, user or partner is not there.
void RequireDocumentType(const std::string& id);
// The business partner of user `user_id`.
int32_t PartnerOfUser(const std::string& user_id);
// The partner id written in `text`, which must name a registered partner.
int32_t RequirePartner(const std::string& text);
// Refuses (BadInput) an empty text or one longer than `max_chars` bytes.
void RequireText(const std::string& what, const std::string& value, size_t max_chars);

}  // namespace velmora::app
