#pragma once
// A file type of the file dialogs. Portable: no Win32 inside.

#include <string>

namespace base {

struct FileType {
  std::string label;    // "All files"
  std::string pattern;  // "*.*"
};

}  // namespace base
