#include "base/digest.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/handle_win.h"

namespace base {
namespace {

base::Unexpected<base::Error> bcrypt_failure(const char* step, NTSTATUS status) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed with NTSTATUS 0x%08lX", step, static_cast<unsigned long>(status));
  return base::fail(text);
}

}  // namespace

base::Result<std::string> sha256_hex(std::string_view bytes) {
  BCRYPT_ALG_HANDLE opened = nullptr;
  NTSTATUS status = BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
  if (!BCRYPT_SUCCESS(status)) return bcrypt_failure("BCryptOpenAlgorithmProvider", status);
  const base::UniqueBcryptAlgorithm algorithm(opened);

  BCRYPT_HASH_HANDLE created = nullptr;
  status = BCryptCreateHash(algorithm.get(), &created, nullptr, 0, nullptr, 0, 0);
  if (!BCRYPT_SUCCESS(status)) return bcrypt_failure("BCryptCreateHash", status);
  const base::UniqueBcryptHash hash(created);

  // BCryptHashData takes a ULONG count: larger inputs go in parts.
  constexpr std::size_t kPart = std::numeric_limits<ULONG>::max();
  for (std::size_t done = 0; done < bytes.size();) {
    const std::size_t part = std::min(kPart, bytes.size() - done);
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + done));
    status = BCryptHashData(hash.get(), data, static_cast<ULONG>(part), 0);
    if (!BCRYPT_SUCCESS(status)) return bcrypt_failure("BCryptHashData", status);
    done += part;
  }
  unsigned char digest[32];
  status = BCryptFinishHash(hash.get(), digest, sizeof digest, 0);
  if (!BCRYPT_SUCCESS(status)) return bcrypt_failure("BCryptFinishHash", status);
  return lower_hex(digest, sizeof digest);
}

}  // namespace base
