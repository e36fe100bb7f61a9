#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/file.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "base/win_path.h"

namespace base {
namespace {

Unexpected<ReadError> read_failure(DWORD err) {
  // The file or one of its folders does not exist (or the drive, share or server).
  const bool not_found = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_DRIVE ||
                         err == ERROR_BAD_NETPATH || err == ERROR_BAD_NET_NAME;
  return fail_with(ReadError{not_found, false, system_error_text(err)});
}

Unexpected<ReadError> too_large_failure() {
  return fail_with(ReadError{false, true, system_error_text(ERROR_FILE_TOO_LARGE)});
}

Unexpected<Error> win32_failure(DWORD err) { return fail(system_error_text(err)); }

// Attributes of what the path names after following symbolic links and junctions.
bool followed_attributes(const std::wstring& path, DWORD& attributes) {
  UniqueFileHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) return false;
  attributes = info.dwFileAttributes;
  return true;
}

// Symbolic links and junctions name another place; other reparse points (cloud
// placeholders, deduplicated files) are what their own attributes say, and
// opening them could start a download.
bool is_name_surrogate(const std::wstring& path) {
  UniqueFileHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return true;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag)) return true;
  return IsReparseTagNameSurrogate(tag.ReparseTag);
}

}  // namespace

Result<std::string, ReadError> read_file(const std::string& path, std::size_t max_bytes) {
  UniqueFileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return read_failure(GetLastError());

  // One byte past the limit tells a file that is too large.
  const std::size_t most = max_bytes + 1;
  std::size_t capacity = 4096;
  LARGE_INTEGER size_hint{};
  if (GetFileSizeEx(file.get(), &size_hint) && size_hint.QuadPart > 0) {
    // A file that says it is too large is refused unread.
    if (static_cast<unsigned long long>(size_hint.QuadPart) > max_bytes) return too_large_failure();
    // One byte more than the size, so the end is seen without a second resize.
    capacity = static_cast<std::size_t>(size_hint.QuadPart) + 1;
  }

  std::string bytes(std::min(capacity, most), '\0');
  std::size_t size = 0;
  for (;;) {
    if (size == bytes.size()) {
      if (size == most) return too_large_failure();  // grew while read, or has no size (a pipe)
      bytes.resize(std::min(bytes.size() * 2, most));
    }
    const std::size_t room = bytes.size() - size;
    const DWORD chunk = room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(room);
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + size, chunk, &read, nullptr)) return read_failure(GetLastError());
    if (read == 0) break;
    size += read;
  }
  bytes.resize(size);
  return bytes;
}

Result<std::string, ReadError> read_text_file(const std::string& path, std::size_t max_bytes) {
  auto bytes = read_file(path, max_bytes);
  if (bytes.ok() && !is_valid_utf8(*bytes)) {
    return fail_with(ReadError{false, false, system_error_text(ERROR_NO_UNICODE_TRANSLATION)});
  }
  return bytes;
}

bool path_exists(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

bool is_directory(const std::string& path) {
  const std::wstring wide = widen(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
  DWORD attributes = data.dwFileAttributes;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && is_name_surrogate(wide)) {
    if (!followed_attributes(wide, attributes)) return false;  // a link to nothing
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Status create_directories(const std::string& path) {
  if (path.empty()) return {};
  if (CreateDirectoryW(widen(path).c_str(), nullptr)) return {};
  DWORD err = GetLastError();
  if (err == ERROR_PATH_NOT_FOUND) {
    const std::string_view parent = parent_path(path);
    if (!parent.empty() && parent.size() < path.size()) {
      if (auto made = create_directories(std::string(parent)); !made) return made;
      if (CreateDirectoryW(widen(path).c_str(), nullptr)) return {};
      err = GetLastError();
    }
  }
  // Also covers drive roots (access denied) and a folder made by someone else in between.
  if (is_directory(path)) return {};
  return win32_failure(err);
}

Status rename_replace(const std::string& from, const std::string& to) {
  if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return win32_failure(GetLastError());
  }
  return {};
}

Status remove_file(const std::string& path) {
  if (!DeleteFileW(widen(path).c_str())) return win32_failure(GetLastError());
  return {};
}

// The Windows rules of path text (base/win_path.h) are the file system's here.
bool is_separator(char c) { return win_path::is_separator(c); }

std::string_view path_root(std::string_view path) { return win_path::root(path); }

std::string_view parent_path(std::string_view path) { return win_path::parent(path); }

std::string_view file_name(std::string_view path) { return win_path::file_name(path); }

std::string join_path(std::string_view folder, std::string_view name) { return win_path::join(folder, name); }

Result<std::string> environment_variable(const char* name) {
  const std::wstring wide_name = widen(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return fail(std::string(name) + " is not set");
      return std::string();
    }
    if (n < value.size()) {
      value.resize(n);
      return narrow(value);
    }
    value.resize(n);  // n counts the terminating null when the buffer is too small
  }
}

std::string temp_folder() {
  // GetTempPath2W (Windows 11, later Windows 10 updates) gives SYSTEM processes a
  // private folder; older systems only have GetTempPathW.
  using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
  static const GetTempPath2Fn get_temp_path2 = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    void* proc = kernel != nullptr ? reinterpret_cast<void*>(GetProcAddress(kernel, "GetTempPath2W")) : nullptr;
    return reinterpret_cast<GetTempPath2Fn>(proc);
  }();
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = get_temp_path2 != nullptr ? get_temp_path2(MAX_PATH + 1, buffer) : GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return std::string();
  return narrow(std::wstring_view(buffer, n));
}

std::uint32_t process_id() { return GetCurrentProcessId(); }

}  // namespace base
