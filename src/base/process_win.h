#pragma once
// Starting another program.

#include <windows.h>

#include <string>

#include "base/handle_win.h"
#include "base/result.h"

namespace base {

// CreateProcessW of `program` (a full path: the search path is never used)
// with the whole `command_line` (program first, quoted as the program
// expects) and `creation_flags`; no handles are inherited. The process handle
// is owned from the moment the call returns and the thread handle is closed
// there, since nothing here waits on the first thread. A failure carries the
// system's text.
Result<UniqueHandle> start_process(const std::string& program, const std::string& command_line,
                                   DWORD creation_flags = 0);

}  // namespace base
