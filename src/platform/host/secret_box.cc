#include "platform/host/secret_box.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "velmora/base/error.h"

namespace velmora::host {
namespace {

constexpr const char* kSource = "Velmora.SecretBox";
using Key = std::array<unsigned char, crypto_secretbox_KEYBYTES>;

[[noreturn]] void Refuse(const std::string& description) {
  throw Error(kErrPermissionDenied, kSource, description);
}

void InitSodium() {
  if (sodium_init() < 0) {
    Refuse("The cryptography library cannot be initialised");
  }
}

std::string ReadAll(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Refuse("Cannot read the key file '" + path + "': " + std::strerror(errno));
  }
  std::string text;
  char buffer[256];
  for (ssize_t n = ::read(fd, buffer, sizeof buffer); n > 0;
       n = ::read(fd, buffer, sizeof buffer)) {
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

Key ReadKey(const std::string& key_file) {
  std::string hex = ReadAll(key_file);
  while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r' || hex.back() == ' ')) {
    hex.pop_back();
  }
  Key key{};
  size_t length = 0;
  if (sodium_hex2bin(key.data(), key.size(), hex.data(), hex.size(), nullptr, &length, nullptr) !=
          0 ||
      length != key.size()) {
    Refuse("The key file '" + key_file + "' does not hold a key");
  }
  return key;
}

}  // namespace

std::string KeyFilePath(const std::string& config_dir) {
  return (std::filesystem::path(config_dir) / "velmora.key").string();
}

void EnsureKeyFile(const std::string& key_file) {
  InitSodium();
  if (::access(key_file.c_str(), F_OK) == 0) {
    return;
  }
  Key key{};
  randombytes_buf(key.data(), key.size());
  std::vector<char> hex(key.size() * 2 + 1);
  sodium_bin2hex(hex.data(), hex.size(), key.data(), key.size());
  sodium_memzero(key.data(), key.size());
  const std::string temporary = key_file + "." + std::to_string(::getpid()) + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const std::string text = std::string(hex.data()) + "\n";
  const bool written = fd >= 0 && ::fchmod(fd, 0600) == 0 &&
                       ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                       ::fsync(fd) == 0;
  const int saved = errno;
  if (fd >= 0) {
    ::close(fd);
  }
  // link() refuses an existing target: of two racing processes, the first key stays.
  const bool placed =
      written && (::link(temporary.c_str(), key_file.c_str()) == 0 || errno == EEXIST);
  const int reason = written ? errno : saved;
  ::unlink(temporary.c_str());
  if (!placed) {
    Refuse("Cannot create the key file '" + key_file + "': " + std::strerror(reason));
  }
}

std::string Seal(const std::string& key_file, std::string_view plain) {
  EnsureKeyFile(key_file);
  Key key = ReadKey(key_file);
  std::vector<unsigned char> sealed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                    plain.size());
  unsigned char* nonce = sealed.data();
  randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
  crypto_secretbox_easy(sealed.data() + crypto_secretbox_NONCEBYTES,
                        reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), nonce,
                        key.data());
  sodium_memzero(key.data(), key.size());
  std::vector<char> text(sodium_base64_ENCODED_LEN(sealed.size(), sodium_base64_VARIANT_ORIGINAL));
  sodium_bin2base64(text.data(), text.size(), sealed.data(), sealed.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  return std::string(kSealedMark) + text.data();
}

size_t SealedLength(size_t plain_bytes) {
  // ENCODED_LEN counts the terminating NUL, which the text does not keep.
  return kSealedMark.size() +
         sodium_base64_ENCODED_LEN(
             crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + plain_bytes,
             sodium_base64_VARIANT_ORIGINAL) -
         1;
}

size_t LongestSealable(size_t width) {
  size_t longest = 0;
  while (SealedLength(longest + 1) <= width) {
    ++longest;
  }
  return SealedLength(0) <= width ? longest : 0;
}

std::string Unseal(const std::string& key_file, std::string_view stored) {
  if (stored.substr(0, kSealedMark.size()) != kSealedMark) {
    return std::string(stored);
  }
  InitSodium();
  const std::string_view text = stored.substr(kSealedMark.size());
  std::vector<unsigned char> sealed(text.size());
  size_t length = 0;
  if (sodium_base642bin(sealed.data(), sealed.size(), text.data(), text.size(), nullptr, &length,
                        nullptr, sodium_base64_VARIANT_ORIGINAL) != 0 ||
      length < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) {
    Refuse("A sealed secret is damaged");
  }
  Key key = ReadKey(key_file);
  std::string plain(length - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
  const int opened = crypto_secretbox_open_easy(
      reinterpret_cast<unsigned char*>(plain.data()), sealed.data() + crypto_secretbox_NONCEBYTES,
      length - crypto_secretbox_NONCEBYTES, sealed.data(), key.data());
  sodium_memzero(key.data(), key.size());
  if (opened != 0) {
    Refuse("A sealed secret does not open with the key of '" + key_file +
           "' (another installation's key, or a damaged text)");
  }
  return plain;
}

}  // namespace velmora::host
