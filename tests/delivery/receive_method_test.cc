#include "velmora/delivery/receive_method.h"

#include <gtest/gtest.h>

#include "automation/registration.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

class ReceiveMethodTest : public testing::LibraryDbTest {
 protected:
  int64_t Rows() { return Scalar("SELECT COUNT(*) FROM RECEIVEMETHOD").ToInt64(); }
  ReceiveMethod rm_;
};

TEST_P(ReceiveMethodTest, InsertingTwiceForAPairKeepsOneRowWithTheSecondStyleSheet) {
  int32_t partner = 12;
  std::string type = "O'Brien – Rechnung ü";
  std::string first_xsl = "first'ü.xsl";
  std::string second_xsl = "second'é.xsl";
  const int32_t first = rm_.InsertReceiveMethod(partner, type, first_xsl);
  const int32_t second = rm_.InsertReceiveMethod(partner, type, second_xsl);
  EXPECT_GT(first, 0);
  EXPECT_EQ(first, second);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(rm_.GetXslFileName(partner, type), second_xsl);
  EXPECT_EQ(rm_.GetReceiveMethodID(partner, type), first);

  int32_t other_partner = 13;
  const int32_t third = rm_.InsertReceiveMethod(other_partner, type, first_xsl);
  EXPECT_NE(third, first);
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(rm_.GetXslFileName(other_partner, type), first_xsl);
}

TEST_P(ReceiveMethodTest, LookupsGiveEmptyOrZeroWithoutARow) {
  int32_t partner = 4;
  std::string type = "x' OR '1'='1";
  std::string xsl = "a.xsl";
  std::string real = "REAL";
  rm_.InsertReceiveMethod(partner, real, xsl);
  EXPECT_EQ(rm_.GetXslFileName(partner, type), "");
  EXPECT_EQ(rm_.GetReceiveMethodID(partner, type), 0);
  int32_t none = 0;
  EXPECT_EQ(rm_.GetReceiveMethodID(none, real), 0);
  std::string empty;
  EXPECT_EQ(rm_.GetReceiveMethodID(partner, empty), 0);
}

TEST_P(ReceiveMethodTest, ZeroPartnerOrEmptyTypeIsNotLookedUp) {
  // A row stored for partner 0 and for type "" would be found by a query; the look-up answers
  // 0 without one.
  Exec(
      "INSERT INTO RECEIVEMETHOD (BUSINESSPARTNERID, DOCUMENTTYPEID, XSLFILENAME) VALUES "
      "(0, 'T', 'z.xsl')");
  Exec(
      "INSERT INTO RECEIVEMETHOD (BUSINESSPARTNERID, DOCUMENTTYPEID, XSLFILENAME) VALUES "
      "(5, '', 'e.xsl')");
  int32_t zero = 0;
  int32_t five = 5;
  std::string type = "T";
  std::string empty;
  EXPECT_EQ(rm_.GetReceiveMethodID(zero, type), 0);
  EXPECT_EQ(rm_.GetReceiveMethodID(five, empty), 0);
  EXPECT_EQ(rm_.GetXslFileName(zero, type), "z.xsl");
}

TEST_P(ReceiveMethodTest, UpdateAndDeleteOfUnknownIdsChangeNothing) {
  int32_t partner = 1;
  std::string type = "T";
  std::string xsl = "keep.xsl";
  int32_t id = rm_.InsertReceiveMethod(partner, type, xsl);
  int32_t unknown = id + 100;
  std::string other = "other.xsl";
  rm_.UpdateReceiveMethod(unknown, other);
  rm_.DeleteReceiveMethod(unknown);
  EXPECT_EQ(rm_.GetXslFileName(partner, type), "keep.xsl");
  rm_.UpdateReceiveMethod(id, other);
  EXPECT_EQ(rm_.GetXslFileName(partner, type), "other.xsl");
  rm_.DeleteReceiveMethod(id);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(rm_.GetXslFileName(partner, type), "");
}

TEST_P(ReceiveMethodTest, FailuresCarryTheMethodPath) {
  Exec("DROP TABLE RECEIVEMETHOD");
  int32_t partner = 1;
  std::string type = "T";
  try {
    rm_.GetXslFileName(partner, type);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(error.description().find("Velmora.ReceiveMethod.GetXslFileName"), std::string::npos);
  }
  std::string xsl = "x";
  try {
    rm_.InsertReceiveMethod(partner, type, xsl);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(error.description().find("Velmora.ReceiveMethod.GetReceiveMethodID"),
              std::string::npos);
    EXPECT_NE(error.description().find("Velmora.ReceiveMethod.InsertReceiveMethod"),
              std::string::npos);
  }
}

TEST_P(ReceiveMethodTest, AutomationWritesByReferenceArgumentsBack) {
  automation::ClassRegistry registry;
  automation::RegisterDeliveryClasses(registry);
  std::vector<Variant> insert = {Variant(int32_t{7}), Variant("Typ'ü"), Variant("s.xsl")};
  const int32_t id =
      registry.Call("Velmora.ReceiveMethod", "InsertReceiveMethod", insert).ToInt32();
  EXPECT_GT(id, 0);
  std::vector<Variant> look = {Variant(int32_t{7}), Variant("Typ'ü")};
  EXPECT_EQ(registry.Call("Velmora.ReceiveMethod", "GetXslFileName", look).ToText(), "s.xsl");
  EXPECT_EQ(registry.Call("Velmora.ReceiveMethod", "GetReceiveMethodID", look).ToInt32(), id);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ReceiveMethodTest);

}  // namespace
}  // namespace velmora
