#pragma once
// SHA-256 (FIPS 180-4) of bytes in memory: BCrypt on Windows
// (digest_win.cpp), OpenSSL's libcrypto on the Linux host (digest_posix.cpp).

#include <cstddef>
#include <string>
#include <string_view>

#include "base/result.h"

namespace base {

// The digest as 64 lower-case hexadecimal digits, two per byte in byte order.
base::Result<std::string> sha256_hex(std::string_view bytes);

// Bytes as lower-case hexadecimal digits, two per byte in byte order.
std::string lower_hex(const unsigned char* bytes, std::size_t count);

}  // namespace base
