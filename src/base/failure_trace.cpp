#include "base/failure_trace.h"

#include <cstdio>
#include <exception>
#include <new>

namespace base {

std::string failure_line(std::string_view step, std::int32_t hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
  std::string line = "tolvik: ";
  line += step;
  line += " failed with HRESULT ";
  line += code;
  line += '\n';
  return line;
}

std::int32_t trace_thrown(std::string_view step) noexcept {
  std::int32_t hr = kUnexpectedFailure;
  // Lives as long as the caller's catch, which is still handling the same throw.
  const char* detail = nullptr;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    hr = kOutOfMemory;
  } catch (const std::exception& thrown) {
    detail = thrown.what();
  } catch (...) {
  }
  try {
    std::string what(step);
    if (detail) what.append(" (").append(detail).append(")");
    trace_failure(what, hr);
  } catch (...) {
    // No memory left even for the line: the HRESULT still tells the caller.
  }
  return hr;
}

}  // namespace base
