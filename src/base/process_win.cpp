#include "base/process_win.h"

#include "base/system_error.h"
#include "base/utf.h"

namespace base {

Result<UniqueHandle> start_process(const std::string& program, const std::string& command_line,
                                   DWORD creation_flags) {
  const std::wstring wide_program = widen(program);
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring wide_line = widen(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(wide_program.c_str(), wide_line.data(), nullptr, nullptr, FALSE, creation_flags, nullptr,
                      nullptr, &startup, &started)) {
    return fail(last_error_text());
  }
  const UniqueHandle thread(started.hThread);
  return UniqueHandle(started.hProcess);
}

}  // namespace base
