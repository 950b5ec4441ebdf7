// Synchronous publishing while the database goes away between the steps of processing: the
// caller always gets an error, nothing crashes, and the received text is never lost.
#include <filesystem>
#include <limits>
#include <string>

#include "core/connection_factory.h"
#include "core/env.h"
#include "publish/publish_fixture.h"
#include "support/faulty_connection_factory.h"
#include "velmora/publish/publish_create_document.h"

namespace velmora::testing {
namespace {

using DatabaseAwayTest = PublishTest;

// For each connection processing opens: the database refuses that one connection (a short
// outage), then every connection from it on (gone for good).
TEST_P(DatabaseAwayTest, AnyConnectionFailingKeepsTheContentAndReportsTheFailure) {
  auto faulty = std::make_shared<FaultyConnectionFactory>(core::NewConnectionFactory(
      database().connection_string(), database().options().base_folder.string()));
  core::Env env = core::CurrentEnv();
  env.databases = faulty;
  core::ScopedEnv scope(env);
  const std::string order =
      "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER><USESDISTLIST>1</USESDISTLIST>"
      "<B2BSHOW>1</B2BSHOW><LINE>away</LINE></ORDER>";
  PublishCreateDocument publisher;
  const int32_t first = publisher.MainX(order);
  ASSERT_GT(first, 0);
  const int64_t needed = faulty->opened();
  ASSERT_GT(needed, 2);
  const std::string later = " WHERE DOCUMENTID > " + std::to_string(first);
  for (int64_t n = 1; n <= needed; ++n) {
    for (const bool for_good : {false, true}) {
      SCOPED_TRACE("connection " + std::to_string(n) + (for_good ? " and on" : " only"));
      std::filesystem::remove_all(Dir("error"));
      std::filesystem::create_directories(Dir("error"));
      faulty->Fail(n, for_good ? std::numeric_limits<int64_t>::max() : 1);
      int32_t id = 0;
      const auto error = ErrorOf([&] { id = publisher.MainX(order); });
      faulty->Fail(0);
      const int32_t errors = Count("SELECT COUNT(*) FROM PUBLICATIONERRORS" + later);
      if (!error) {
        EXPECT_FALSE(for_good) << "published without its database";
        EXPECT_TRUE(Count("SELECT COUNT(*) FROM PUBLICATION WHERE DOCUMENTID = " +
                          std::to_string(id)) == 2 ||
                    errors > 0)
            << "a publication that lost its recipients is not reported as done";
      } else if (!for_good) {
        EXPECT_EQ(FilesBelow("error").size(), 1u) << "the text is kept in the error folder";
        EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT D" + later +
                        " AND (D.DOCUMENTTYPEID IS NULL OR NOT EXISTS (SELECT 1 FROM "
                        "PUBLICATIONERRORS E WHERE E.DOCUMENTID = D.DOCUMENTID))"),
                  0)
            << "a document left behind has its type and its publication error";
      }
      for (const char* table : {"PUBLICATIONERRORS", "PUBLICATION", "DOCUMENT"}) {
        Exec(std::string("DELETE FROM ") + table + later);
      }
    }
  }
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DatabaseAwayTest);

}  // namespace
}  // namespace velmora::testing
