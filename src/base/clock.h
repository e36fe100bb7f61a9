#pragma once
// Wall-clock time from the system's precise file time.

#include <cstdint>

namespace base {

// Microseconds since 1970-01-01 UTC; 0 for any earlier time.
std::uint64_t unix_micros();
// Whole seconds since 1970-01-01 UTC; 0 for any earlier time.
std::uint64_t unix_seconds();

// Converts a Windows file time (100 ns since 1601) to Unix seconds / microseconds.
constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;
constexpr std::uint64_t file_time_to_unix_seconds(std::uint64_t ft) {
  return ft < kFileTimeUnixEpoch ? 0 : (ft - kFileTimeUnixEpoch) / 10000000ULL;
}
constexpr std::uint64_t file_time_to_unix_micros(std::uint64_t ft) {
  return ft < kFileTimeUnixEpoch ? 0 : (ft - kFileTimeUnixEpoch) / 10ULL;
}

}  // namespace base
