#include <ctime>

#include "base/clock.h"

namespace base {

std::uint64_t unix_micros() {
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0 || now.tv_sec < 0) return 0;
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000ULL + static_cast<std::uint64_t>(now.tv_nsec) / 1000ULL;
}

std::uint64_t unix_seconds() {
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0 || now.tv_sec < 0) return 0;
  return static_cast<std::uint64_t>(now.tv_sec);
}

}  // namespace base
