#pragma once

#include <memory>
#include <string>

#include "support/capture_log.h"
#include "support/db_test_engines.h"

// Tests of library operations that open their own connections (GetConnection): each test gets
// a fresh database on its engine with the schema and the seed data of `velmora init`, reached
// through the installation's configuration like in production. The installation home is one
// per test program (the configuration paths are cached per thread for the life of a thread);
// its connection string is rewritten for every test.
namespace velmora::testing {

class LibraryDbTest : public DbEngineTest {
 protected:
  void SetUpDatabase() override;
  void TearDown() override;

  // The installation home shared by the tests of this program.
  static const std::string& Home();
  // Runs `sql` on a connection of the test's database and returns the rows changed.
  int64_t Exec(const std::string& sql);
  // The first column of the first row of `sql`, or Empty when there is none.
  Variant Scalar(const std::string& sql);
  // Sets the value of parameter `name` (a row of COLLABORATIONPARAMETER that must exist).
  void SetParameter(const std::string& name, const std::string& value);
  // Whether an entry of the captured log holds `part`.
  bool Logged(const std::string& part) const;

  std::unique_ptr<CaptureLog> log_;
};

}  // namespace velmora::testing
