#include "winshell/failure_win.h"

#include "base/failure_trace.h"

namespace winshell {

bool failed(std::string_view step, HRESULT hr) {
  if (SUCCEEDED(hr)) return false;
  base::trace_failure(step, hr);
  return true;
}

void trace_last_error(std::string_view step) {
  const DWORD error = GetLastError();
  base::trace_failure(step, error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

bool shown(std::string_view step, HRESULT hr) {
  if (hr == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return false;
  return !failed(step, hr);
}

}  // namespace winshell
