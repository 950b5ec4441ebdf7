#pragma once

#include <memory>
#include <string>
#include <string_view>

// Password hashes of the membership directory and constant-time comparison of secrets.
namespace velmora::host {

// Hashes and checks passwords. Hashes are self-describing Argon2id strings
// ("$argon2id$v=19$m=...,t=...,p=...$<salt>$<hash>") that carry their own salt and cost, so a
// hash made with other cost settings still verifies. Safe to use from several threads.
class PasswordHasher {
 public:
  PasswordHasher() = default;
  PasswordHasher(const PasswordHasher&) = delete;
  PasswordHasher& operator=(const PasswordHasher&) = delete;
  virtual ~PasswordHasher() = default;

  // A new hash of `password` with a fresh random salt. Raises kErrOutOfMemory when the hashing
  // memory cannot be had.
  virtual std::string Hash(std::string_view password) = 0;
  // Whether `password` matches `hash`, in time that does not depend on where they differ. A
  // hash that is empty or not a hash string gives false; never raises for bad input.
  virtual bool Verify(const std::string& hash, std::string_view password) = 0;
};

// The libsodium hasher (crypto_pwhash_str with the interactive cost limits).
std::unique_ptr<PasswordHasher> NewSodiumPasswordHasher();

// Whether `a` and `b` are equal, in time that depends on neither their contents nor where they
// differ (both are hashed first, so not on their lengths either).
bool ConstantTimeEquals(std::string_view a, std::string_view b);

}  // namespace velmora::host
