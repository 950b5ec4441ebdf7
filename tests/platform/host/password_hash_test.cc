#include "platform/host/password_hash.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::host {
namespace {

// Hashes made elsewhere with other cost settings than the hasher's own: verifying them proves
// that the check reads salt and cost from the stored string (the library's constant-time
// string verifier) instead of hashing again with fixed settings and comparing texts.
constexpr const char* kCheapHash =  // "correct horse battery staple", m=8 MiB, t=3
    "$argon2id$v=19$m=8192,t=3,p=1$O3lSkAFXR/jxPbNxihgZJg$"
    "ZyRdDvtNp81YPEgZ+hKrWBtJU9yv2IhIygvs5tvk8d8";
constexpr const char* kNonAsciiHash =  // "pässwörd ✓", m=8 MiB, t=1
    "$argon2id$v=19$m=8192,t=1,p=1$4OJqQroCptrPXj/GUB0BOQ$"
    "biTZtXOF3RhXoEEQ1qpxb7zjdt5CrDTQRJMj7Y/PMxA";

class PasswordHashTest : public ::testing::Test {
 protected:
  std::unique_ptr<PasswordHasher> hasher_ = NewSodiumPasswordHasher();
};

TEST_F(PasswordHashTest, HashesAreArgon2idStringsThatVerifyOnlyTheirPassword) {
  const std::string hash = hasher_->Hash("s3cret!");
  EXPECT_EQ(hash.rfind("$argon2id$v=19$m=", 0), 0u) << hash;
  EXPECT_EQ(hash.find("s3cret"), std::string::npos);
  EXPECT_TRUE(hasher_->Verify(hash, "s3cret!"));
  EXPECT_FALSE(hasher_->Verify(hash, "s3cret"));
  EXPECT_FALSE(hasher_->Verify(hash, "S3cret!"));
  EXPECT_FALSE(hasher_->Verify(hash, ""));
}

TEST_F(PasswordHashTest, EachHashHasItsOwnSalt) {
  const std::string first = hasher_->Hash("same");
  const std::string second = hasher_->Hash("same");
  EXPECT_NE(first, second);
  EXPECT_TRUE(hasher_->Verify(first, "same"));
  EXPECT_TRUE(hasher_->Verify(second, "same"));
}

TEST_F(PasswordHashTest, VerifiesHashesMadeWithOtherCostSettings) {
  EXPECT_TRUE(hasher_->Verify(kCheapHash, "correct horse battery staple"));
  EXPECT_FALSE(hasher_->Verify(kCheapHash, "correct horse battery stapler"));
  EXPECT_TRUE(hasher_->Verify(kNonAsciiHash, "p\xc3\xa4ssw\xc3\xb6rd \xe2\x9c\x93"));
  EXPECT_FALSE(hasher_->Verify(kNonAsciiHash, "passwort"));
}

TEST_F(PasswordHashTest, PasswordsWithNulAndNonAsciiBytesAreHashedWhole) {
  const std::string with_nul("ab\0cd", 5);
  const std::string hash = hasher_->Hash(with_nul);
  EXPECT_TRUE(hasher_->Verify(hash, with_nul));
  EXPECT_FALSE(hasher_->Verify(hash, "ab")) << "the password must not end at the NUL";
}

TEST_F(PasswordHashTest, MalformedHashesNeverVerify) {
  std::string truncated = kCheapHash;
  truncated.resize(truncated.size() - 4);
  std::string altered = kCheapHash;
  altered.back() = altered.back() == 'A' ? 'B' : 'A';
  const std::string with_nul = std::string(kCheapHash) + std::string(1, '\0') + "x";
  for (const std::string& hash : {std::string(), std::string("correct horse battery staple"),
                                  truncated, altered, with_nul, std::string(4096, '$')}) {
    SCOPED_TRACE(hash);
    EXPECT_FALSE(hasher_->Verify(hash, "correct horse battery staple"));
  }
}

TEST_F(PasswordHashTest, ConstantTimeEqualsComparesWholeTexts) {
  EXPECT_TRUE(ConstantTimeEquals("", ""));
  EXPECT_TRUE(ConstantTimeEquals("0123456789abcdef", "0123456789abcdef"));
  EXPECT_FALSE(ConstantTimeEquals("0123456789abcdef", "0123456789abcdeF"));
  EXPECT_FALSE(ConstantTimeEquals("0123456789abcdef", "x123456789abcdef"));
  EXPECT_FALSE(ConstantTimeEquals("0123456789abcdef", "0123456789abcde"));
  EXPECT_FALSE(ConstantTimeEquals("abc", std::string("abc\0", 4)));
  EXPECT_FALSE(ConstantTimeEquals("", "a"));
  EXPECT_TRUE(ConstantTimeEquals("abc", "abc"));
  EXPECT_FALSE(ConstantTimeEquals("abc", "abd"));
  EXPECT_FALSE(ConstantTimeEquals("abc", "abcd"));
}

}  // namespace
}  // namespace velmora::host
