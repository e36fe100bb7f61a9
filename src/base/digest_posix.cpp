#include "base/digest.h"

#include <openssl/evp.h>

#include <memory>

namespace base {

base::Result<std::string> sha256_hex(std::string_view bytes) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &length) != 1 || length != 32) {
    return base::fail("SHA-256 is not available");
  }
  return lower_hex(digest, length);
}

}  // namespace base
