#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "base/program_path.h"
#include "base/utf.h"

namespace base {
namespace {

// The longest path Windows accepts (long paths enabled), with its NUL.
constexpr std::size_t kMaxPathUnits = 32768;

}  // namespace

std::optional<std::string> program_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      return narrow(path);
    }
    // The name was cut to the buffer: a long path, tried again in a larger one.
    if (path.size() >= kMaxPathUnits) return std::nullopt;
    path.resize(std::min(path.size() * 2, kMaxPathUnits));
  }
}

}  // namespace base
