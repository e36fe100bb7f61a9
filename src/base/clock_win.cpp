#include <windows.h>

#include "base/clock.h"

namespace base {
namespace {

std::uint64_t precise_file_time() {
  FILETIME ft{};
  GetSystemTimePreciseAsFileTime(&ft);
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

std::uint64_t unix_micros() { return file_time_to_unix_micros(precise_file_time()); }

std::uint64_t unix_seconds() { return file_time_to_unix_seconds(precise_file_time()); }

}  // namespace base
