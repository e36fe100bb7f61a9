#include <cstdio>

#include "base/failure_trace.h"

namespace base {

void trace_failure(std::string_view step, std::int32_t hr) {
  const std::string line = failure_line(step, hr);
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace base
