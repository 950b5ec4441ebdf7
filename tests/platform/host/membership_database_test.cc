#include "platform/host/membership_database.h"

#include <gtest/gtest.h>

#include "membership_test_util.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

using testing::DirectoryDbTest;

class MembershipDatabaseTest : public DirectoryDbTest {
 protected:
  // The value that SelectWhere hands back for `value` (a bound parameter round trip).
  std::string RoundTrip(const std::string& value) {
    auto connection = Open();
    auto rows = SelectWhere(*connection, "SELECT ? AS V", {Variant(value)});
    return rows->Field("V").ToText();
  }
};

TEST_P(MembershipDatabaseTest, TextValuesArriveByteForByte) {
  for (const std::string& value :
       {std::string("plain"), std::string(""), std::string("O'Brien"), std::string("''"),
        std::string("a\\'b"), std::string("\" ; DROP TABLE MEMBERUSER; --"), std::string("?"),
        std::string("TOP 5"), std::string("dbo.X"), std::string("'1/2/2003'"),
        std::string("Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x98\x80"), std::string(300, 'x')}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(RoundTrip(value), value);
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MEMBERUSER").ToInt32(), 0);
}

TEST_P(MembershipDatabaseTest, NumbersAndSeveralValuesFillThePlaceholdersInOrder) {
  AddPartner(7, "Seven");
  auto connection = Open();
  auto rows = SelectWhere(*connection,
                          "SELECT NAME FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = ? AND "
                          "NAME = ?",
                          {Variant(int32_t{7}), Variant("Seven")});
  ASSERT_FALSE(rows->IsEOF());
  EXPECT_EQ(rows->Field("NAME").ToText(), "Seven");
}

TEST_P(MembershipDatabaseTest, RefusesValuesItCannotWriteSafely) {
  auto connection = Open();
  EXPECT_THROW(SelectWhere(*connection, "SELECT ? AS V", {}), Error);
  EXPECT_THROW(SelectWhere(*connection, "SELECT 1 AS V", {Variant("x")}), Error);
  EXPECT_THROW(SelectWhere(*connection, "SELECT ? AS V", {Variant(2.5)}), Error);
  EXPECT_THROW(SelectWhere(*connection, "SELECT ? AS V", {Variant(std::string("a\0b", 3))}), Error);
  EXPECT_THROW(SelectWhere(*connection, "SELECT ? AS V", {Variant("\xc3\x28")}), Error);
}

TEST_P(MembershipDatabaseTest, WritesAndReadsEveryUserColumn) {
  AddPartner(1, "One");
  AddApplication(3, "Three");
  MemberRecord user = User("u", 1, "E");
  user.language_id = 1036;
  user.first_name = "F";
  user.last_name = "L";
  user.password_hash = "$argon2id$x";
  user.applications = {3};
  AddUser(user);
  MembershipDatabase database(Factory());
  const std::optional<MemberRecord> read = database.FindUser("u");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->employee_number, "E");
  EXPECT_EQ(read->email_address, "user@example.com");
  EXPECT_EQ(read->language_id, 1036);
  EXPECT_EQ(read->first_name, "F");
  EXPECT_EQ(read->last_name, "L");
  EXPECT_EQ(read->password_hash, "$argon2id$x");
  EXPECT_EQ(read->applications, std::vector<int32_t>{3});
  EXPECT_FALSE(database.FindUser("U"));
  EXPECT_TRUE(database.DeleteUser("u"));
  EXPECT_FALSE(database.DeleteUser("u"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(MembershipDatabaseTest);

}  // namespace
}  // namespace velmora::host
