#pragma once

#include <cstddef>
#include <string>

// The account passwords the library stores (send methods, EDI networks), sealed with the
// installation's key: the key file beside the site configuration (platform/host/secret_box.h).
namespace velmora::core {

// `plain` as a password column holds it: sealed; "" stays "". Raises InvalidParamValue (source
// `source`) when the installation's configuration folder is not known.
std::string SealSecret(const std::string& plain, const std::string& source);

// The plain text of a stored password; a text stored before passwords were sealed comes back
// unchanged. Raises as SealSecret, and kErrPermissionDenied when the key does not open it.
std::string UnsealSecret(const std::string& stored, const std::string& source);

// Raises InvalidParamValue (source `source`), naming `what` and the longest password accepted,
// when the sealed text of `plain` would not fit a column of `width` characters.
void CheckSecretFits(const std::string& plain, size_t width, const std::string& what,
                     const std::string& source);

}  // namespace velmora::core
