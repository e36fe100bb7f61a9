#include <windows.h>

#include "base/failure_trace.h"
#include "base/utf.h"

namespace base {

void trace_failure(std::string_view step, std::int32_t hr) {
  OutputDebugStringW(widen(failure_line(step, hr)).c_str());
}

}  // namespace base
