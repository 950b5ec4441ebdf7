#include "support/attachments_recordset.h"

#include <string>
#include <string_view>

#include "core/general.h"

namespace velmora::support {
namespace {

// Forwards every call to the rows; closing closes the rows, then the connection.
class ConnectionOwningRecordset final : public db::Recordset {
 public:
  ConnectionOwningRecordset(std::unique_ptr<db::Connection> connection,
                            std::unique_ptr<db::Recordset> rows)
      : connection_(std::move(connection)), rows_(std::move(rows)) {}
  ~ConnectionOwningRecordset() override { Close(); }

  Variant Export() const override { return rows_->Export(); }
  bool IsOpen() const override { return rows_->IsOpen(); }
  bool IsEOF() const override { return rows_->IsEOF(); }
  bool IsBOF() const override { return rows_->IsBOF(); }
  void MoveNext() override { rows_->MoveNext(); }
  void MoveFirst() override { rows_->MoveFirst(); }
  int32_t RecordCount() const override { return rows_->RecordCount(); }
  int32_t FieldCount() const override { return rows_->FieldCount(); }
  std::string FieldName(int32_t index) const override { return rows_->FieldName(index); }
  int32_t FieldIndex(std::string_view name) const override { return rows_->FieldIndex(name); }
  Variant Field(std::string_view name) const override { return rows_->Field(name); }
  Variant Field(int32_t index) const override { return rows_->Field(index); }
  void SetField(std::string_view name, Variant value) override {
    rows_->SetField(name, std::move(value));
  }
  void SetField(int32_t index, Variant value) override { rows_->SetField(index, std::move(value)); }
  void AddNew() override { rows_->AddNew(); }
  void Update() override { rows_->Update(); }
  void CancelUpdate() override { rows_->CancelUpdate(); }
  void Find(std::string_view criterion) override { rows_->Find(criterion); }
  VariantArray GetRows(int32_t max_rows) override { return rows_->GetRows(max_rows); }
  void Close() override {
    rows_->Close();
    core::CloseConnection(connection_);
  }
  void Disconnect() override {
    rows_->Disconnect();
    core::CloseConnection(connection_);
  }
  bool IsConnected() const override { return rows_->IsConnected(); }

 private:
  std::unique_ptr<db::Connection> connection_;
  std::unique_ptr<db::Recordset> rows_;
};

}  // namespace

std::shared_ptr<db::Recordset> KeepConnectionWithRecordset(
    std::unique_ptr<db::Connection> connection, std::unique_ptr<db::Recordset> rows) {
  return std::make_shared<ConnectionOwningRecordset>(std::move(connection), std::move(rows));
}

}  // namespace velmora::support
