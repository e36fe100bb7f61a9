#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string_view>

#include "base/handle_win.h"
#include "base/system_error.h"
#include "base/utf.h"

namespace base {

std::string last_error_text() { return system_error_text(GetLastError()); }

std::string system_error_text(std::uint32_t code) {
  wchar_t* raw = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  const UniqueLocalMemory owner(raw);
  std::wstring_view text = n != 0 && raw != nullptr ? std::wstring_view(raw, n) : std::wstring_view();
  // The system's texts end with a line break.
  while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
  if (!text.empty()) return narrow(text);
  // Codes come as Win32 errors and as HRESULTs; in hexadecimal both are the
  // form the documentation and the error lookup tools use.
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
  return hex;
}

}  // namespace base
