#include "platform/host/secret_box.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

TEST(SecretBoxTest, SealedSecretsOpenOnlyWithTheirOwnKey) {
  testing::TempFolder folder;
  const std::string key = KeyFilePath(folder.path());
  const std::string other = folder.path() + "/other.key";
  for (const std::string& plain : {std::string("pa'ss ü"), std::string(200, 'x'), std::string()}) {
    SCOPED_TRACE(plain);
    const std::string sealed = Seal(key, plain);
    EXPECT_EQ(sealed.rfind(kSealedMark, 0), 0u);
    EXPECT_NE(Seal(key, plain), sealed) << "each seal has its own nonce";
    EXPECT_EQ(Unseal(key, sealed), plain);
    EnsureKeyFile(other);
    EXPECT_THROW(Unseal(other, sealed), Error);
  }
  struct stat status {};
  ASSERT_EQ(::stat(key.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(Unseal(key, "stored before sealing"), "stored before sealing");
  EXPECT_THROW(Unseal(key, std::string(kSealedMark) + "not base64!"), Error);
}

}  // namespace
}  // namespace velmora::host
