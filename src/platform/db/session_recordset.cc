#include "platform/db/session_recordset.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/db/dialect.h"
#include "platform/db/errors.h"
#include "platform/db/find_criterion.h"
#include "platform/db/values.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::db {
namespace {

using Row = std::vector<Variant>;

// The expression that names the SQLite rowid in generated statements.
constexpr const char* kRowidExpression = "_rowid_";
// Name of the savepoint that guards a write-back located by column values.
constexpr const char* kWriteBackSavepoint = "velmora_write_back";

// Where changed rows go: the query's one table and how its rows are found.
struct WriteTarget {
  std::string base_table;
  TableInfo info;
  // Expressions that identify a row (quoted key columns, or the rowid), and the result column
  // holding each one's value (-1 when the result lacks it).
  std::vector<std::string> key_expressions;
  std::vector<int> key_positions;

  bool HasAllKeys() const {
    if (key_positions.empty()) {
      return false;
    }
    for (int position : key_positions) {
      if (position < 0) {
        return false;
      }
    }
    return true;
  }
};

// The single table all described columns come from, or "" when there is none or more than one.
std::string SingleBaseTable(const std::vector<ResultColumn>& columns) {
  std::string table;
  for (const ResultColumn& column : columns) {
    if (column.base_table.empty()) {
      continue;
    }
    if (table.empty()) {
      table = column.base_table;
    } else if (table != column.base_table) {
      return {};
    }
  }
  return table;
}

std::optional<WriteTarget> PlanWriteTarget(Session& session,
                                           const std::vector<ResultColumn>& columns) {
  std::string table = SingleBaseTable(columns);
  if (table.empty()) {
    return std::nullopt;
  }
  std::optional<TableInfo> info = session.DescribeTable(table);
  if (!info) {
    return std::nullopt;
  }
  WriteTarget target;
  target.base_table = table;
  target.info = std::move(*info);
  if (target.info.rowid_key) {
    target.key_expressions.push_back(kRowidExpression);
    target.key_positions.push_back(-1);
    return target;
  }
  for (const std::string& key : target.info.key_columns) {
    target.key_expressions.push_back(QuoteIdentifier(key));
    int position = -1;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].base_table == table && text::IEquals(columns[i].base_column, key)) {
        position = static_cast<int>(i);
        break;
      }
    }
    target.key_positions.push_back(position);
  }
  return target;
}

std::string JoinTexts(const std::vector<std::string>& parts, std::string_view separator) {
  return text::Join(parts, separator);
}

class SessionRecordset final : public Recordset {
 public:
  SessionRecordset(const std::shared_ptr<Session>& session, const RecordsetOptions& options)
      : session_(session),
        client_(options.location == CursorLocation::kClient ||
                options.lock == LockType::kOptimistic),
        updatable_(options.lock == LockType::kOptimistic) {}

  // Runs `sql` and reads the first row (every row when client-side).
  void Load(Session& session, const std::string& sql);
  // Runs `sql` with its parameters bound to `params` and reads the first row.
  void LoadBound(Session& session, const std::string& sql, std::span<const Variant> params);
  // Takes `rows` of the fields `names` as the rows of a recordset that lives in memory only.
  void Adopt(const std::vector<std::string>& names, std::vector<Row> rows);

  bool IsOpen() const override { return open_ && (client_ || !session_.expired()); }
  bool IsEOF() const override {
    CheckOpen();
    return client_ ? position_ >= rows_.size() : rows_.empty();
  }
  bool IsBOF() const override {
    CheckOpen();
    return client_ ? rows_.empty() : empty_result_;
  }

  void MoveNext() override;
  void MoveFirst() override;
  int32_t RecordCount() const override {
    CheckOpen();
    return client_ ? static_cast<int32_t>(rows_.size()) : -1;
  }

  int32_t FieldCount() const override {
    CheckOpen();
    return static_cast<int32_t>(visible_.size());
  }
  std::string FieldName(int32_t index) const override {
    CheckOpen();
    return columns_[ColumnOfIndex(index)].name;
  }
  int32_t FieldIndex(std::string_view name) const override {
    CheckOpen();
    for (size_t i = 0; i < visible_.size(); ++i) {
      if (text::IEquals(columns_[visible_[i]].name, name)) {
        return static_cast<int32_t>(i);
      }
    }
    return -1;
  }

  Variant Field(std::string_view name) const override {
    CheckOpen();
    size_t column = ColumnOfName(name);
    return CurrentRow()[column];
  }
  Variant Field(int32_t index) const override {
    CheckOpen();
    size_t column = ColumnOfIndex(index);
    return CurrentRow()[column];
  }

  void SetField(std::string_view name, Variant value) override {
    CheckOpen();
    SetColumn(ColumnOfName(name), std::move(value));
  }
  void SetField(int32_t index, Variant value) override {
    CheckOpen();
    SetColumn(ColumnOfIndex(index), std::move(value));
  }

  void AddNew() override;
  void Update() override;
  void CancelUpdate() override;
  void Find(std::string_view criterion) override;
  VariantArray GetRows(int32_t max_rows) override;
  void Close() override {
    open_ = false;
    cursor_.reset();
    rows_.clear();
    edit_ = EditMode::kNone;
    session_.reset();
  }
  void Disconnect() override;
  bool IsConnected() const override { return open_ && !session_.expired(); }
  // A client-side recordset as {"columns": [...], "rows": [[...], ...]}; any other as its kind.
  Variant Export() const override;

 private:
  enum class EditMode { kNone, kEdit, kAdd };

  void CheckOpen() const {
    if (!IsOpen()) {
      RaiseDbError(kErrDbClosed, "Operation is not allowed when the recordset is closed");
    }
  }
  void CheckCanMoveBack() const {
    if (!client_) {
      RaiseDbError(kErrDbNotUpdatable,
                   "A forward-only recordset cannot move back; open it client-side");
    }
  }
  [[noreturn]] static void NoCurrentRow() {
    RaiseDbError(kErrDbNoCurrentRow,
                 "Either BOF or EOF is True, or the current record has been deleted");
  }

  size_t ColumnOfName(std::string_view name) const {
    int32_t index = FieldIndex(name);
    if (index < 0) {
      RaiseDbError(kErrDbItemNotFound,
                   "Item cannot be found in the collection corresponding "
                   "to the requested name or ordinal: field \"" +
                       std::string(name) + "\"");
    }
    return visible_[index];
  }
  size_t ColumnOfIndex(int32_t index) const {
    if (index < 0 || index >= static_cast<int32_t>(visible_.size())) {
      RaiseDbError(kErrDbItemNotFound,
                   "Item cannot be found in the collection corresponding "
                   "to the requested name or ordinal: field index " +
                       std::to_string(index));
    }
    return visible_[index];
  }

  const Row& CurrentRow() const {
    if (client_ ? position_ >= rows_.size() : rows_.empty()) {
      NoCurrentRow();
    }
    return client_ ? rows_[position_] : rows_.front();
  }
  Row& CurrentRow() { return const_cast<Row&>(std::as_const(*this).CurrentRow()); }

  // Reads the next row of a forward-only result into rows_ (empty at the end).
  void FetchNext() {
    std::shared_ptr<Session> session = session_.lock();
    if (!session || !cursor_) {
      rows_.clear();
      if (!cursor_) {
        return;
      }
      RaiseDbError(kErrDbClosed, "The recordset's connection is closed");
    }
    Row row;
    rows_.clear();
    if (cursor_->Next(row)) {
      rows_.push_back(std::move(row));
    } else {
      cursor_.reset();
    }
  }

  // Writes a pending change before the position moves.
  void FlushPendingChange() {
    if (edit_ != EditMode::kNone) {
      Update();
    }
  }

  // Plans the write-back of an updatable recordset; returns the number of hidden key columns
  // the cursor was re-opened with (0 when it was not).
  size_t PlanWriteBack(Session& session, const std::string& sql);
  // Makes the columns from `hidden` on visible and reads the first row of cursor_ (every row
  // when client-side).
  void ReadFirstRows(size_t hidden);

  void SetColumn(size_t column, Variant value);
  void Insert(Session& session, Row& row);
  void UpdateExisting(Session& session, Row& row);
  int64_t WriteLocatedByValues(Session& session, const std::string& sql,
                               const std::vector<Variant>& params);

  std::weak_ptr<Session> session_;
  bool client_;
  bool updatable_;
  bool open_ = true;

  std::unique_ptr<RowCursor> cursor_;  // forward-only: the rows still to read
  std::vector<ResultColumn> columns_;  // every column, hidden key columns first
  std::vector<size_t> visible_;        // the columns the caller sees, in order
  std::vector<Row> rows_;              // client-side: every row; forward-only: the current one
  size_t position_ = 0;                // client-side: index of the current row
  bool empty_result_ = false;
  bool in_memory_ = false;  // rows handed in (Adopt): changes are kept, never written back

  std::optional<WriteTarget> target_;
  EditMode edit_ = EditMode::kNone;
  Row original_;               // the row as it was before the pending change
  std::vector<bool> changed_;  // per column: set since the pending change began
  size_t position_before_add_ = 0;
};

void SessionRecordset::Load(Session& session, const std::string& sql) {
  cursor_ = session.Query(sql, updatable_);
  columns_ = cursor_->columns();
  ReadFirstRows(updatable_ ? PlanWriteBack(session, sql) : 0);
}

void SessionRecordset::LoadBound(Session& session, const std::string& sql,
                                 std::span<const Variant> params) {
  cursor_ = session.QueryBound(sql, params);
  columns_ = cursor_->columns();
  ReadFirstRows(0);
}

void SessionRecordset::Adopt(const std::vector<std::string>& names, std::vector<Row> rows) {
  for (const std::string& name : names) {
    columns_.push_back(ResultColumn{name, {}, {}});
    visible_.push_back(visible_.size());
  }
  changed_.assign(columns_.size(), false);
  rows_ = std::move(rows);
  empty_result_ = rows_.empty();
  in_memory_ = true;
}

size_t SessionRecordset::PlanWriteBack(Session& session, const std::string& sql) {
  target_ = PlanWriteTarget(session, columns_);
  if (!target_ || target_->key_expressions.empty() || target_->HasAllKeys()) {
    return 0;
  }
  // Fetch the key along with the query as hidden leading columns.
  std::vector<std::string> expressions;
  for (size_t i = 0; i < target_->key_expressions.size(); ++i) {
    expressions.push_back(target_->key_expressions[i] + " AS velmora_key_" + std::to_string(i + 1));
  }
  std::string with_keys = PrependSelectColumns(sql, JoinTexts(expressions, ", "));
  if (with_keys.empty()) {
    return 0;
  }
  cursor_.reset();
  cursor_ = session.Query(with_keys, true);
  columns_ = cursor_->columns();
  const size_t hidden = target_->key_expressions.size();
  for (size_t i = 0; i < hidden; ++i) {
    columns_[i].base_table = target_->base_table;
    target_->key_positions[i] = static_cast<int>(i);
  }
  return hidden;
}

void SessionRecordset::ReadFirstRows(size_t hidden) {
  for (size_t i = hidden; i < columns_.size(); ++i) {
    visible_.push_back(i);
  }
  changed_.assign(columns_.size(), false);
  Row row;
  if (client_) {
    while (cursor_->Next(row)) {
      rows_.push_back(std::move(row));
    }
    cursor_.reset();
    empty_result_ = rows_.empty();
  } else {
    if (cursor_->Next(row)) {
      rows_.push_back(std::move(row));
    } else {
      cursor_.reset();
    }
    empty_result_ = rows_.empty();
  }
}

void SessionRecordset::MoveNext() {
  CheckOpen();
  if (IsEOF()) {
    NoCurrentRow();
  }
  FlushPendingChange();
  if (client_) {
    ++position_;
  } else {
    FetchNext();
  }
}

void SessionRecordset::MoveFirst() {
  CheckOpen();
  CheckCanMoveBack();
  FlushPendingChange();
  position_ = 0;
}

void SessionRecordset::SetColumn(size_t column, Variant value) {
  if (!updatable_) {
    RaiseDbError(kErrDbNotUpdatable,
                 "The recordset is read-only: open it with optimistic locking to change rows");
  }
  CheckStorable(value);
  Row& row = CurrentRow();
  if (edit_ == EditMode::kNone) {
    original_ = row;
    edit_ = EditMode::kEdit;
  }
  row[column] = value.IsEmpty() ? Variant::MakeNull() : std::move(value);
  changed_[column] = true;
}

void SessionRecordset::AddNew() {
  CheckOpen();
  if (!updatable_) {
    RaiseDbError(kErrDbNotUpdatable,
                 "The recordset is read-only: open it with optimistic locking to add rows");
  }
  FlushPendingChange();
  position_before_add_ = position_;
  rows_.push_back(Row(columns_.size(), Variant::MakeNull()));
  position_ = rows_.size() - 1;
  edit_ = EditMode::kAdd;
  changed_.assign(columns_.size(), false);
}

void SessionRecordset::CancelUpdate() {
  CheckOpen();
  if (edit_ == EditMode::kAdd) {
    rows_.pop_back();
    position_ = position_before_add_;
  } else if (edit_ == EditMode::kEdit) {
    CurrentRow() = original_;
  }
  edit_ = EditMode::kNone;
  changed_.assign(columns_.size(), false);
}

void SessionRecordset::Update() {
  CheckOpen();
  if (edit_ == EditMode::kNone) {
    return;
  }
  if (in_memory_) {
    edit_ = EditMode::kNone;
    changed_.assign(columns_.size(), false);
    return;
  }
  std::shared_ptr<Session> session = session_.lock();
  if (!session) {
    RaiseDbError(kErrDbNotUpdatable,
                 "The recordset is not connected: its changes cannot be written back");
  }
  if (!target_) {
    RaiseDbError(kErrDbNotUpdatable,
                 "The recordset's rows cannot be written back: its query does not read exactly "
                 "one table");
  }
  Row& row = CurrentRow();
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (changed_[i] && columns_[i].base_table != target_->base_table) {
      RaiseDbError(kErrDbNotUpdatable, "The field \"" + columns_[i].name +
                                           "\" is not a column of the table being written");
    }
  }
  if (edit_ == EditMode::kAdd) {
    Insert(*session, row);
  } else {
    UpdateExisting(*session, row);
  }
  edit_ = EditMode::kNone;
  changed_.assign(columns_.size(), false);
}

void SessionRecordset::Insert(Session& session, Row& row) {
  std::vector<std::string> names;
  std::vector<Variant> params;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (changed_[i]) {
      names.push_back(QuoteIdentifier(columns_[i].base_column));
      params.push_back(row[i]);
    }
  }
  std::string sql = "INSERT INTO " + target_->info.sql_name;
  if (names.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::vector<std::string> markers(names.size(), "?");
    sql += " (" + JoinTexts(names, ", ") + ") VALUES (" + JoinTexts(markers, ", ") + ")";
  }
  if (!target_->key_expressions.empty()) {
    sql += " RETURNING " + JoinTexts(target_->key_expressions, ", ");
  }
  WriteResult result = session.Write(sql, params);
  for (size_t k = 0; k < target_->key_positions.size() && k < result.returned.size(); ++k) {
    if (target_->key_positions[k] >= 0) {
      row[target_->key_positions[k]] = result.returned[k];
    }
  }
}

void SessionRecordset::UpdateExisting(Session& session, Row& row) {
  std::vector<std::string> sets;
  std::vector<Variant> params;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (changed_[i]) {
      sets.push_back(QuoteIdentifier(columns_[i].base_column) + " = ?");
      params.push_back(row[i]);
    }
  }
  if (sets.empty()) {
    return;
  }
  // Rows are found by their key's original values, or else by every fetched column's.
  bool by_key = target_->HasAllKeys();
  std::vector<std::string> conditions;
  auto add_condition = [&](const std::string& expression, const Variant& value) {
    if (value.IsNull() || value.IsEmpty()) {
      conditions.push_back(expression + " IS NULL");
    } else {
      conditions.push_back(expression + " = ?");
      params.push_back(value);
    }
  };
  if (by_key) {
    for (size_t k = 0; k < target_->key_positions.size(); ++k) {
      add_condition(target_->key_expressions[k], original_[target_->key_positions[k]]);
    }
  } else {
    for (size_t i = 0; i < columns_.size(); ++i) {
      if (columns_[i].base_table == target_->base_table) {
        add_condition(QuoteIdentifier(columns_[i].base_column), original_[i]);
      }
    }
  }
  std::string sql = "UPDATE " + target_->info.sql_name + " SET " + JoinTexts(sets, ", ") +
                    " WHERE " + JoinTexts(conditions, " AND ");
  int64_t affected =
      by_key ? session.Write(sql, params).affected : WriteLocatedByValues(session, sql, params);
  if (affected == 0) {
    RaiseDbError(kErrDbRowNotFound,
                 "Row cannot be located for updating: it was changed or deleted meanwhile");
  }
}

// Runs an UPDATE located by column values so that it changes exactly one row or nothing.
int64_t SessionRecordset::WriteLocatedByValues(Session& session, const std::string& sql,
                                               const std::vector<Variant>& params) {
  bool own_transaction = !session.InTransaction();
  if (own_transaction) {
    session.Begin();
  } else {
    session.Savepoint(kWriteBackSavepoint);
  }
  try {
    int64_t affected = session.Write(sql, params).affected;
    if (affected > 1) {
      RaiseDbError(kErrDbRowNotFound, "Row cannot be located for updating: without a key, " +
                                          std::to_string(affected) + " rows match its values");
    }
    if (own_transaction) {
      session.Commit();
    } else {
      session.ReleaseSavepoint(kWriteBackSavepoint);
    }
    return affected;
  } catch (...) {
    try {
      if (own_transaction) {
        if (session.InTransaction()) {
          session.Rollback();
        }
      } else {
        session.RollbackToSavepoint(kWriteBackSavepoint);
        session.ReleaseSavepoint(kWriteBackSavepoint);
      }
    } catch (const Error&) {
      // The first failure is the one to report.
    }
    throw;
  }
}

void SessionRecordset::Find(std::string_view criterion) {
  CheckOpen();
  FindCriterion parsed = ParseFindCriterion(criterion);
  size_t column = ColumnOfName(parsed.column);
  FlushPendingChange();
  while (!IsEOF()) {
    if (MatchesCriterion(parsed, CurrentRow()[column])) {
      return;
    }
    if (client_) {
      ++position_;
    } else {
      FetchNext();
    }
  }
}

VariantArray SessionRecordset::GetRows(int32_t max_rows) {
  CheckOpen();
  if (IsEOF()) {
    NoCurrentRow();
  }
  FlushPendingChange();
  std::vector<Row> taken;
  while (!IsEOF() && (max_rows < 0 || static_cast<int32_t>(taken.size()) < max_rows)) {
    if (client_) {
      taken.push_back(rows_[position_++]);
    } else {
      taken.push_back(std::move(rows_.front()));
      FetchNext();
    }
  }
  VariantArray array = VariantArray::TwoDimensional(visible_.size(), taken.size());
  for (size_t r = 0; r < taken.size(); ++r) {
    for (size_t f = 0; f < visible_.size(); ++f) {
      array.At(static_cast<int32_t>(f), static_cast<int32_t>(r)) = taken[r][visible_[f]];
    }
  }
  return array;
}

Variant SessionRecordset::Export() const {
  if (!open_ || !client_) {
    return Recordset::Export();
  }
  VariantArray names(0);
  for (size_t column : visible_) {
    names.Append(Variant(columns_[column].name));
  }
  VariantArray rows(0);
  for (const Row& row : rows_) {
    VariantArray values(0);
    for (size_t column : visible_) {
      values.Append(row[column]);
    }
    rows.Append(Variant(std::move(values)));
  }
  auto exported = std::make_shared<Dictionary>();
  exported->Add("columns", Variant(std::move(names)));
  exported->Add("rows", Variant(std::move(rows)));
  return Variant(ObjectRef(exported));
}

void SessionRecordset::Disconnect() {
  CheckOpen();
  FlushPendingChange();
  if (!client_) {
    std::vector<Row> rows = std::move(rows_);
    Row row;
    while (cursor_ && cursor_->Next(row)) {
      rows.push_back(std::move(row));
    }
    cursor_.reset();
    rows_ = std::move(rows);
    position_ = 0;
    client_ = true;
  }
  session_.reset();
}

}  // namespace

std::unique_ptr<Recordset> OpenSessionRecordset(const std::shared_ptr<Session>& session,
                                                const std::string& sql,
                                                const RecordsetOptions& options) {
  auto recordset = std::make_unique<SessionRecordset>(session, options);
  recordset->Load(*session, sql);
  return recordset;
}

std::unique_ptr<Recordset> OpenBoundRecordset(const std::shared_ptr<Session>& session,
                                              const std::string& sql,
                                              std::span<const Variant> params) {
  auto recordset = std::make_unique<SessionRecordset>(session, RecordsetOptions{});
  recordset->LoadBound(*session, sql, params);
  return recordset;
}

std::unique_ptr<Recordset> NewInMemoryRecordset(const std::vector<std::string>& names,
                                                std::vector<std::vector<Variant>> rows) {
  auto recordset = std::make_unique<SessionRecordset>(
      nullptr, RecordsetOptions{CursorLocation::kClient, LockType::kOptimistic});
  recordset->Adopt(names, std::move(rows));
  return recordset;
}

}  // namespace velmora::db
