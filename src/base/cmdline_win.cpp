#include "base/cmdline_win.h"

#include <windows.h>

#include <cwchar>
#include <string_view>

#include "base/cmdline.h"

namespace base {

std::vector<std::string> command_line_arguments() {
  const wchar_t* line = GetCommandLineW();
  return split_command_line(std::u16string_view(reinterpret_cast<const char16_t*>(line), wcslen(line)));
}

}  // namespace base
