#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/sql_literals.h"
#include "support/fixed_sources.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"
#include "velmora/base/sources.h"

// Rows for the document tests, written straight into the test's database, and a clock that
// stands still so that written dates can be compared.
namespace velmora::testing {

// The error a call raises, or nullopt when it returns.
template <class Call>
std::optional<Error> ErrorOf(Call&& call) {
  try {
    call();
  } catch (const Error& raised) {
    return raised;
  }
  return std::nullopt;
}

// A DOCUMENT row as a test wants it, built with chained setters; unset columns stay NULL (or
// take their defaults).
struct DocumentRow {
  DocumentRow& Type(std::string value) {
    type = std::move(value);
    return *this;
  }
  DocumentRow& Status(int16_t value) {
    status = value;
    return *this;
  }
  DocumentRow& Sender(std::string value) {
    sender = std::move(value);
    return *this;
  }
  DocumentRow& Parent(std::optional<int32_t> value) {
    parent = value;
    return *this;
  }
  DocumentRow& Original(std::string value) {
    original = std::move(value);
    return *this;
  }
  DocumentRow& Body(std::string value) {
    body = std::move(value);
    return *this;
  }
  DocumentRow& Temp(std::string value) {
    temp = std::move(value);
    return *this;
  }
  DocumentRow& Show(int16_t value) {
    show = value;
    return *this;
  }

  std::optional<std::string> type;
  int16_t status = 0;
  std::optional<std::string> sender;
  std::optional<int32_t> parent;
  std::optional<std::string> original;
  std::optional<std::string> body;
  std::optional<std::string> temp;
  int16_t show = 1;
};

class DocumentDbTest : public LibraryDbTest {
 protected:
  static constexpr DateTime kNow{2031, 4, 5, 6, 7, 8};

  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    clock_scope_ = std::make_unique<ScopedClock>(clock_);
  }
  void TearDown() override {
    clock_scope_.reset();
    LibraryDbTest::TearDown();
  }

  static std::string Text(const std::optional<std::string>& value) {
    return value ? core::SqlText(*value) : std::string("NULL");
  }

  int32_t AddDocument(const DocumentRow& row) {
    Exec(
        "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, DOC_DOCUMENTID, "
        "ORIGINALXMLBODY, XMLBODY, TEMPXMLBODY, SHOW, CREATIONDATE, ENTRANCEDATE) VALUES (" +
        Text(row.type) + ", " + std::to_string(row.status) + ", " + Text(row.sender) + ", " +
        (row.parent ? std::to_string(*row.parent) : std::string("NULL")) + ", " +
        Text(row.original) + ", " + Text(row.body) + ", " + Text(row.temp) + ", " +
        std::to_string(row.show) + ", '2020-01-01 00:00:00', '2020-01-01 00:00:00')");
    return Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  }

  // A user on the distribution list of `type` and, with `publication_status`, a publication
  // of `doc` for that user.
  void AddListEntry(const std::string& type, const std::string& user, int16_t email = 0) {
    Exec(
        "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, EMAIL, "
        "HTMLATTACHMENT, ATTACHMENTS) VALUES (" +
        core::SqlText(type) + ", " + core::SqlText(user) + ", 7, " + std::to_string(email) +
        ", 1, 0)");
  }
  void AddPublication(int32_t doc, const std::string& user, int16_t status = 0) {
    Exec("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (" +
         std::to_string(doc) + ", " + core::SqlText(user) + ", " + std::to_string(status) + ", 0)");
  }
  int32_t AddPublicationError(int32_t doc, const std::string& label, int16_t closed = 0) {
    Exec(
        "INSERT INTO PUBLICATIONERRORS (DOCUMENTID, ERRORNUMBER, DESCRIPTION, LABEL, CLOSED) "
        "VALUES (" +
        std::to_string(doc) + ", 1, 'd', " + core::SqlText(label) + ", " + std::to_string(closed) +
        ")");
    return Scalar("SELECT MAX(PUBLICATIONERRORID) FROM PUBLICATIONERRORS").ToInt32();
  }

  // A column of DOCUMENT row `doc` (Empty when the row is gone).
  Variant Column(int32_t doc, const std::string& column) {
    return Scalar("SELECT " + column + " FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(doc));
  }
  int32_t Count(const std::string& sql) { return Scalar(sql).ToInt32(); }

 private:
  FixedClock clock_{kNow};
  std::unique_ptr<ScopedClock> clock_scope_;
};

}  // namespace velmora::testing
