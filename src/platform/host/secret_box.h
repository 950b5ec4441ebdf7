#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Short secrets (the account passwords of send methods) sealed with the installation's key:
// XSalsa20-Poly1305 (libsodium secretbox) with a fresh random nonce per seal. The key is 32
// random bytes kept as hex text in a key file of the configuration folder, mode 0600. Safe to
// use from several threads.
namespace velmora::host {

// The mark that starts every sealed text.
inline constexpr std::string_view kSealedMark = "sealed:v1:";

// The key file of the configuration folder `config_dir`.
std::string KeyFilePath(const std::string& config_dir);

// Creates the key file with a new random key, mode 0600, unless it exists; two processes that
// race both end with the same key. Raises kErrPermissionDenied naming the file when it cannot
// be written.
void EnsureKeyFile(const std::string& key_file);

// `plain` sealed: kSealedMark followed by base64 of nonce and box. Creates the key file when
// it is missing. Raises kErrPermissionDenied when the key file cannot be read or made.
std::string Seal(const std::string& key_file, std::string_view plain);

// The length of the sealed text of a secret of `plain_bytes` bytes.
size_t SealedLength(size_t plain_bytes);
// The longest secret, in bytes, whose sealed text has at most `width` characters.
size_t LongestSealable(size_t width);

// The plain text of `stored`. A text without kSealedMark is returned unchanged (stored before
// secrets were sealed). Raises kErrPermissionDenied when the key cannot be read or does not
// open the text (another installation's key, a damaged text).
std::string Unseal(const std::string& key_file, std::string_view stored);

}  // namespace velmora::host
