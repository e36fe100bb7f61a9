#pragma once
// The file-system operations the program needs, on the real file system of
// either build (file_posix.cpp, file_win.cpp). Paths are UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/system_error.h"  // the texts of the failures below

namespace base {

struct ReadError {
  bool not_found = false;  // the file or one of its folders does not exist
  bool too_large = false;  // longer than the reader's limit (the text is the system's "file too large")
  std::string text;        // the system's description
};

// Reads a whole file as bytes, refusing one longer than `max_bytes`. Every file
// the program reads comes from the user, so none is read without a limit: no
// more than max_bytes + 1 bytes are ever read, even from a file that grows or
// never ends.
Result<std::string, ReadError> read_file(const std::string& path, std::size_t max_bytes);
// Reads a whole file that must hold UTF-8 text; bytes that are not valid UTF-8
// fail like a read, with the system's text for that failure.
Result<std::string, ReadError> read_text_file(const std::string& path, std::size_t max_bytes);

// True when the path's metadata can be read (file or folder alike).
bool path_exists(const std::string& path);
// True when the path names an existing folder (also one reached through a link).
bool is_directory(const std::string& path);

// Creates the folder and all missing ancestors.
Status create_directories(const std::string& path);
// Renames, replacing an existing file of the new name.
Status rename_replace(const std::string& from, const std::string& to);
Status remove_file(const std::string& path);

// The file system's own path text: POSIX rules on the host, on Windows the
// rules of base/win_path.h (which item targets and named files follow on both).
bool is_separator(char c);
std::string_view parent_path(std::string_view path);  // empty when there is none
std::string_view path_root(std::string_view path);    // drive, share or "/"; empty for a relative path
std::string_view file_name(std::string_view path);     // last component
std::string join_path(std::string_view folder, std::string_view name);

// The environment variable's value; nothing when it is not set.
Result<std::string> environment_variable(const char* name);
// The user's temporary folder.
std::string temp_folder();

std::uint32_t process_id();

}  // namespace base
