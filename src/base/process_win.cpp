#include "base/process_win.h"

#include "base/system_error.h"
#include "base/utf.h"

namespace base {

Result<StartedProcess> start_process(const std::string& program, const std::string& command_line,
                                     const ProcessOptions& options) {
  const std::wstring wide_program = widen(program);
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring wide_line = widen(command_line);
  const std::wstring folder = widen(options.working_folder);
  DWORD flags = options.creation_flags;
  if (options.suspended) flags |= CREATE_SUSPENDED;

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup.StartupInfo);
  // Only the listed handle is inherited: without the list every inheritable
  // handle of this process (another worker's file, say) would go along too.
  ProcThreadAttributeList attributes;
  HANDLE inherited = options.standard_output;
  const bool inherits = inherited != nullptr && inherited != INVALID_HANDLE_VALUE;
  if (inherits) {
    if (!SetHandleInformation(inherited, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return fail(last_error_text());
    if (!attributes.init(1) || !UpdateProcThreadAttribute(attributes.get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                          &inherited, sizeof(inherited), nullptr, nullptr)) {
      const std::string text = last_error_text();
      SetHandleInformation(inherited, HANDLE_FLAG_INHERIT, 0);
      return fail(text);
    }
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = attributes.get();
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = inherited;
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  PROCESS_INFORMATION started{};
  const BOOL ok = CreateProcessW(wide_program.c_str(), wide_line.data(), nullptr, nullptr, inherits ? TRUE : FALSE,
                                 flags, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo,
                                 &started);
  const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  // The child has its copy now; this process's handle goes back to private,
  // so that no later start hands it on.
  if (inherits) SetHandleInformation(inherited, HANDLE_FLAG_INHERIT, 0);
  if (!ok) return fail(system_error_text(error));
  StartedProcess result{UniqueHandle(started.hProcess), UniqueHandle(started.hThread)};
  if (!options.suspended) result.thread.reset();
  return result;
}

Result<UniqueHandle> start_process(const std::string& program, const std::string& command_line,
                                   DWORD creation_flags) {
  ProcessOptions options;
  options.creation_flags = creation_flags;
  Result<StartedProcess> started = start_process(program, command_line, options);
  if (!started) return fail(started.error().text);
  return std::move(started->process);
}

}  // namespace base
