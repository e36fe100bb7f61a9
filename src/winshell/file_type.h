#pragma once
// A file type of the file dialogs. Portable: no Win32 inside.

#include <string>

namespace winshell {

struct FileType {
  std::string label;    // "All files"
  std::string pattern;  // "*.*"
};

}  // namespace winshell
