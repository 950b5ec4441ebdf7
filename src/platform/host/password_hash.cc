#include "platform/host/password_hash.h"

#include <sodium.h>

#include <array>

#include "velmora/base/error.h"

namespace velmora::host {
namespace {

constexpr const char* kSource = "KxMembership.Password";

// A pointer the library may read even for an empty text.
const char* DataOf(std::string_view text) { return text.empty() ? "" : text.data(); }

// sodium_init() once per process; raises when the library cannot start (no entropy source).
void InitSodium() {
  static const int result = sodium_init();
  if (result < 0) {
    throw Error(kErrUnexpected, kSource, "The password library could not be initialised");
  }
}

class SodiumPasswordHasher : public PasswordHasher {
 public:
  SodiumPasswordHasher() { InitSodium(); }

  std::string Hash(std::string_view password) override {
    std::array<char, crypto_pwhash_STRBYTES> out{};
    if (crypto_pwhash_str(out.data(), DataOf(password), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
      throw Error(kErrOutOfMemory, kSource, "Not enough memory to hash the password");
    }
    return std::string(out.data());
  }

  bool Verify(const std::string& hash, std::string_view password) override {
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES ||
        hash.find('\0') != std::string::npos) {
      return false;
    }
    return crypto_pwhash_str_verify(hash.c_str(), DataOf(password), password.size()) == 0;
  }
};

using Digest = std::array<unsigned char, crypto_generichash_BYTES>;

Digest DigestOf(std::string_view text) {
  Digest digest{};
  crypto_generichash(digest.data(), digest.size(),
                     reinterpret_cast<const unsigned char*>(DataOf(text)), text.size(), nullptr, 0);
  return digest;
}

}  // namespace

std::unique_ptr<PasswordHasher> NewSodiumPasswordHasher() {
  return std::make_unique<SodiumPasswordHasher>();
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
  InitSodium();
  const Digest first = DigestOf(a);
  const Digest second = DigestOf(b);
  return sodium_memcmp(first.data(), second.data(), first.size()) == 0;
}

}  // namespace velmora::host
