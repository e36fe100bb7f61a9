#pragma once
// The system's own words for a failure, shown to the user as the reason an
// action failed (system_error_win.cpp, system_error_posix.cpp).

#include <cstdint>
#include <string>

namespace base {

// The system's text for the last failure of a system call (GetLastError on
// Windows, errno on POSIX).
std::string last_error_text();
// The system's text for an error code: errno on POSIX; on Windows a Win32
// error code or an HRESULT, trimmed of its line break, or the code as
// "0x%08X" when the system has no text for it.
std::string system_error_text(std::uint32_t code);

}  // namespace base
