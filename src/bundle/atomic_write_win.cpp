#include <windows.h>

#include <string>
#include <utility>

#include "base/file.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "bundle/atomic_write.h"

namespace bundle {
namespace {

base::Unexpected<base::Error> win32_failure(DWORD err) { return base::fail(base::system_error_text(err)); }

// The temporary sibling until it has been moved: closed and deleted when the
// write fails at any step.
class TempFile {
 public:
  TempFile(std::wstring path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    handle_.reset();
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }

  HANDLE handle() const { return handle_.get(); }
  const std::wstring& path() const { return path_; }
  bool close() { return CloseHandle(handle_.release()) != 0; }
  void keep() { path_.clear(); }

 private:
  std::wstring path_;
  base::UniqueFileHandle handle_;
};

DWORD write_all(HANDLE file, std::string_view bytes) {
  // A synchronous write cancelled from another thread (CancelSynchronousIo) is
  // Windows' interrupted write; it is tried again, a few times at most.
  int retries = 0;
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      const DWORD err = GetLastError();
      if (err == ERROR_OPERATION_ABORTED && ++retries <= 8) continue;
      return err;
    }
    if (written == 0) return ERROR_WRITE_FAULT;
    bytes.remove_prefix(written);
  }
  return ERROR_SUCCESS;
}

}  // namespace

base::Status write_file_atomically(const std::string& path, std::string_view bytes) {
  const std::string_view parent = base::parent_path(path);
  if (!parent.empty()) {
    if (auto made = base::create_directories(std::string(parent)); !made) return made;
  }

  // path already ends with the file name, so this is "<name>.<pid>.tmp" beside it.
  std::wstring temp_path = base::widen(path + "." + std::to_string(base::process_id()) + ".tmp");
  HANDLE handle =
      CreateFileW(temp_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32_failure(GetLastError());
  TempFile temp(std::move(temp_path), handle);

  if (const DWORD err = write_all(temp.handle(), bytes)) return win32_failure(err);
  if (!FlushFileBuffers(temp.handle())) return win32_failure(GetLastError());
  if (!temp.close()) return win32_failure(GetLastError());
  if (!MoveFileExW(temp.path().c_str(), base::widen(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return win32_failure(GetLastError());
  }
  temp.keep();
  return {};
}

}  // namespace bundle
