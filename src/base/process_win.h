#pragma once
// Starting another program.

#include <windows.h>

#include <string>

#include "base/handle_win.h"
#include "base/result.h"

namespace base {

// How a program is started beyond its command line.
struct ProcessOptions {
  DWORD creation_flags = 0;
  // The new process's current folder; empty: this process's.
  std::string working_folder;
  // When set, the one handle the new process inherits, as its standard
  // output (standard input and error are none). Nothing else is passed on,
  // even when other inheritable handles are open in this process.
  HANDLE standard_output = nullptr;
  // Keeps the first thread suspended (for instance to put the process in a
  // job before it runs); the caller resumes it.
  bool suspended = false;
};

struct StartedProcess {
  UniqueHandle process;
  UniqueHandle thread;  // only kept for a suspended start; else closed at once
};

// CreateProcessW of `program` (a full path: the search path is never used)
// with the whole `command_line` (program first, quoted as the program
// expects). The handles are owned from the moment the call returns. A failure
// carries the system's text.
Result<StartedProcess> start_process(const std::string& program, const std::string& command_line,
                                     const ProcessOptions& options);

// The same with only creation flags and no handles inherited; the thread
// handle is closed there, since nothing here waits on the first thread.
Result<UniqueHandle> start_process(const std::string& program, const std::string& command_line,
                                   DWORD creation_flags = 0);

}  // namespace base
