#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/variant.h"

namespace velmora::db {

// Where a recordset keeps its rows, as the data-access layer's cursor location.
enum class CursorLocation {
  // Forward-only: rows are read as the caller moves; RecordCount() is -1, MoveFirst() and
  // writing back are refused.
  kServer,
  // Every row is fetched at open; the recordset can move back to the first row, count its rows,
  // be disconnected and, when opened kOptimistic, write changes back.
  kClient,
};

// Whether a recordset's rows can be changed and written back.
enum class LockType {
  kReadOnly,
  // Client-side rows that AddNew/SetField/Update write back to the query's one table. Asking
  // for kOptimistic implies CursorLocation::kClient.
  kOptimistic,
};

struct RecordsetOptions {
  CursorLocation location = CursorLocation::kServer;
  LockType lock = LockType::kReadOnly;
};

// The rows of one query, with a current-row position, as the library's ported code uses a
// data-access recordset. A Recordset is an Object (TypeName "Recordset") so that it can travel
// in a Variant: a std::unique_ptr<Recordset> converts to an ObjectRef.
//
// Positions: after opening, the current row is the first row; with no rows IsEOF() and IsBOF()
// are both true. Reading or changing a field while there is no current row raises
// kErrDbNoCurrentRow; any call except IsOpen()/State()/Close() on a closed recordset raises
// kErrDbClosed. Field values: NULL is Variant null; integers are int32 when they fit and int64
// otherwise; floating point and numeric values are double; text is UTF-8 text; binary values are
// bytes; PostgreSQL booleans are bool and timestamps are text "YYYY-MM-DD hh:mm:ss".
//
// Writing back (LockType::kOptimistic only): AddNew() starts a new row; SetField() changes the
// new or the current row; Update() writes the row with an INSERT or an UPDATE built from bound
// parameters, reading keys the database generates back into the row. Moving to another row
// (MoveNext, MoveFirst, Find, AddNew) while a row is being changed writes it first, as Update()
// would. The query must read one table; rows are located by that table's primary key (added to
// the query as a hidden column when the select list lacks it), by rowid on SQLite tables without
// one, and otherwise by the original values of every fetched column (which must then match
// exactly one row). Values read back after Update() are the values that were set, plus the
// generated key; defaults the database fills in are not re-read.
//
// Not safe for concurrent use; a recordset that is still attached to its connection must be used
// on the thread that uses the connection.
class Recordset : public Object {
 public:
  Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;
  ~Recordset() override = default;

  std::string TypeName() const override { return "Recordset"; }

  virtual bool IsOpen() const = 0;
  // 1 when open, 0 when closed (the data-access layer's state values).
  int32_t State() const { return IsOpen() ? 1 : 0; }

  // End and beginning of file. (Not named EOF/BOF: EOF is a macro of the C library.)
  virtual bool IsEOF() const = 0;
  virtual bool IsBOF() const = 0;

  // Moves to the next row; past the last row IsEOF() becomes true. Raises kErrDbNoCurrentRow
  // when IsEOF() already is.
  virtual void MoveNext() = 0;
  // Moves to the first row. Client-side only: raises kErrDbNotUpdatable on a forward-only one.
  virtual void MoveFirst() = 0;

  // The number of rows of a client-side recordset (rows added by AddNew included); -1 for a
  // forward-only one, which does not know it.
  virtual int32_t RecordCount() const = 0;

  virtual int32_t FieldCount() const = 0;
  // REQUIRES nothing; raises kErrDbItemNotFound for an index outside 0 ... FieldCount() - 1.
  virtual std::string FieldName(int32_t index) const = 0;
  // Index of the field named `name` (compared ignoring ASCII case), or -1.
  virtual int32_t FieldIndex(std::string_view name) const = 0;

  // The value of a field of the current row. An unknown name or index raises kErrDbItemNotFound
  // with a description naming the field.
  virtual Variant Field(std::string_view name) const = 0;
  virtual Variant Field(int32_t index) const = 0;

  // Changes a field of the current or the new row (kOptimistic only, else kErrDbNotUpdatable).
  // Empty is stored as NULL. Arrays and objects raise kErrTypeMismatch.
  virtual void SetField(std::string_view name, Variant value) = 0;
  virtual void SetField(int32_t index, Variant value) = 0;

  // Starts a new row, positioned at the end; its fields are null until set.
  virtual void AddNew() = 0;
  // Writes the new or changed current row back; nothing happens when no row is being changed.
  // Raises kErrDbNotUpdatable when the recordset is read-only, disconnected or not from one
  // table, kErrDbRowNotFound when the row to change is gone, and the engine's failure otherwise;
  // after a failure the change stays pending (CancelUpdate() drops it).
  virtual void Update() = 0;
  // Drops the pending change of the current or new row.
  virtual void CancelUpdate() = 0;

  // Moves forward from the current row (inclusive) to the first row matching `criterion`
  // ("COL = 'text'" with '' for a quote inside, "COL = 12", "COL <> ...", "<", ">", "<=", ">=",
  // "COL LIKE 'ab*'"), or to EOF when none does. Text compares exactly (case-sensitive).
  // A criterion that cannot be read raises kErrDbBadArgument; an unknown column
  // kErrDbItemNotFound.
  virtual void Find(std::string_view criterion) = 0;

  // The remaining rows from the current one, at most `max_rows` of them when it is not
  // negative, as a two-dimensional array indexed (field, row) from 0; afterwards the current
  // row is the one after the last returned. Raises kErrDbNoCurrentRow at EOF.
  virtual VariantArray GetRows(int32_t max_rows = -1) = 0;

  // Closes the recordset; pending changes are dropped. Safe to call more than once.
  virtual void Close() = 0;

  // Detaches the recordset from its connection: it keeps every row (a forward-only one fetches
  // the rest of its rows now, starting at the current one, and becomes client-side) and stays
  // usable after the connection closes; writing back is no longer possible.
  virtual void Disconnect() = 0;
  virtual bool IsConnected() const = 0;
};

// A client-side recordset over `rows` of the fields `names`, standing on its first row, as a
// caller outside the process hands one in. It belongs to no connection: its rows can be changed
// and added (SetField, AddNew), Update() keeps the change in its rows, nothing is written
// anywhere. REQUIRES: every row holds one value per name.
std::unique_ptr<Recordset> NewInMemoryRecordset(const std::vector<std::string>& names,
                                                std::vector<std::vector<Variant>> rows);

}  // namespace velmora::db
