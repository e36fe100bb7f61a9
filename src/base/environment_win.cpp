#include <windows.h>

#include <string>

#include "base/environment.h"
#include "base/utf.h"

namespace base {

std::optional<std::string> environment_variable(std::string_view name) {
  const std::wstring key = widen(name);
  if (key.empty() || key.find(L'=') != std::wstring::npos || key.find(L'\0') != std::wstring::npos) {
    return std::nullopt;
  }
  std::wstring value(64, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(key.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (size == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();  // set, but empty
    }
    if (size < value.size()) {
      value.resize(size);
      return narrow(value);
    }
    value.resize(size);  // too small: `size` includes the terminating null
  }
  return std::nullopt;
}

}  // namespace base
