#pragma once
// Which processes run from a given program file, with paths compared as
// Windows compares them. The opener asks before it starts a program that may
// already run; the installer asks before it replaces tolvik's files.

#include <windows.h>

#include <string>
#include <vector>

namespace base {

// The path as Windows resolves it: full, long names (a file may also be
// named in short 8.3 or relative form), backslashes, no trailing separator
// but a root's. A path that cannot be resolved comes back as far as it could.
std::wstring normal_path(std::wstring path);

// Two normal paths name the same file: ordinal, without regard to case.
bool same_normal_path(const std::wstring& a, const std::wstring& b);

// The ids of the other processes whose program file is `program`, a normal
// path; windowless ones included. Processes this one may not query are
// passed over.
std::vector<DWORD> processes_of(const std::wstring& program);

}  // namespace base
