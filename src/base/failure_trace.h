#pragma once
// Failures the program carries on after (no rendering context, a frame that
// did not present) leave one line in the debugger output, so that a blank
// window can be diagnosed with a debugger or DebugView.

#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// "tolvik: <step> failed with HRESULT 0x887A0005", ending in a line break.
std::string failure_line(std::string_view step, std::int32_t hr);

// Writes failure_line to the debugger output (OutputDebugStringW); the host
// build writes it to standard error.
void trace_failure(std::string_view step, std::int32_t hr);

}  // namespace base
