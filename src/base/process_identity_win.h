#pragma once
// Which process a handle stands for: enough to know it again later, and to
// tell it from a process that got its id after it ended.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace base {

struct ProcessIdentity {
  std::uint32_t id = 0;
  std::uint64_t created = 0;  // creation time in 100 ns units since 1601 (FILETIME)
  std::string image;          // the full path of its program file; empty when it cannot be read
};

// The process's id, creation time and program file; nothing when the id or
// the time cannot be read (the handle lacks PROCESS_QUERY_LIMITED_INFORMATION).
std::optional<ProcessIdentity> process_identity(HANDLE process);

// The full path of the process's program file; empty when it cannot be read.
std::wstring process_image(HANDLE process);

}  // namespace base
