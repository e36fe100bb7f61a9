#pragma once
// Failures the program carries on after (no rendering context, a frame that
// did not present, a handler that threw) leave one line in the debugger
// output, so that a blank window can be diagnosed with a debugger or DebugView.

#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// "tolvik: <step> failed with HRESULT 0x887A0005", ending in a line break.
std::string failure_line(std::string_view step, std::int32_t hr);

// Writes failure_line to the debugger output (OutputDebugStringW); the host
// build writes it to standard error.
void trace_failure(std::string_view step, std::int32_t hr);

// The HRESULTs a throw comes to: a failed allocation, anything else.
inline constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000EU);  // E_OUTOFMEMORY
inline constexpr std::int32_t kUnexpectedFailure = static_cast<std::int32_t>(0x80004005U);  // E_FAIL

// For the one catch of a boundary no exception may cross (a window
// procedure, a COM method, a thread's top), called inside that catch: traces
// what was thrown under `step` (with its what() text) and returns the
// HRESULT it comes to. A throw would otherwise end the whole program, or
// unwind through frames of the system that know nothing of C++.
std::int32_t trace_thrown(std::string_view step) noexcept;

// A COM method's body: what it returns, or the traced HRESULT of a throw.
template <class Body>
std::int32_t com_boundary(std::string_view step, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return trace_thrown(step);
  }
}

}  // namespace base
