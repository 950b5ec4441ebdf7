#include "document/document_type_store.h"

#include <gtest/gtest.h>

#include <string>

#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

using document::DocumentTypeStore;

class DocumentTypeStoreTest : public testing::LibraryDbTest {};

TEST_P(DocumentTypeStoreTest, EmptyTextsAreStoredAsNullAndReadBackEmpty) {
  DocumentTypeStore store;
  store.Add({"TESTTYPE", "Test type", "", "", "test.xsl", true});
  EXPECT_TRUE(
      Scalar("SELECT EXTDESCRIPTION FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = 'TESTTYPE'").IsNull());
  bool found = false;
  for (const auto& type : store.List()) {
    if (type.id == "TESTTYPE") {
      found = true;
      EXPECT_EQ(type.ext_description, "");
      EXPECT_EQ(type.html_xsl, "test.xsl");
      EXPECT_TRUE(type.show_accept_reject);
    }
  }
  EXPECT_TRUE(found);
  EXPECT_THROW(store.Add({"TESTTYPE", "Again", "", "", "", false}), Error);
  EXPECT_TRUE(store.Remove("TESTTYPE"));
  EXPECT_FALSE(store.Remove("TESTTYPE"));
  EXPECT_FALSE(store.Exists("TESTTYPE"));
}

TEST_P(DocumentTypeStoreTest, ConversionsAreKeyedByBothTypes) {
  DocumentTypeStore store;
  const int32_t id = store.AddConversion("ORDERS", "INVOIC", "to-invoice.xsl");
  store.AddConversion("INVOIC", "ORDERS", "to-order.xsl");
  EXPECT_TRUE(store.ConversionExists("ORDERS", "INVOIC"));
  EXPECT_FALSE(store.RemoveConversion("ORDERS", "DESADV"));
  EXPECT_FALSE(store.RemoveConversion("INVOIC", "INVOIC"));
  ASSERT_EQ(store.Conversions().size(), 2u);
  EXPECT_EQ(store.Conversions()[1].id, id);
  EXPECT_TRUE(store.RemoveConversion("ORDERS", "INVOIC"));
  EXPECT_FALSE(store.ConversionExists("ORDERS", "INVOIC"));
  EXPECT_TRUE(store.ConversionExists("INVOIC", "ORDERS"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentTypeStoreTest);

}  // namespace
}  // namespace velmora
