#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "base/file.h"
#include "base/utf.h"

namespace base {
namespace {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

Unexpected<ReadError> read_failure(int err) {
  // A missing file, or a "folder" on the way that is missing or not a folder.
  const bool not_found = err == ENOENT || err == ENOTDIR;
  return fail_with(ReadError{not_found, false, system_error_text(static_cast<std::uint32_t>(err))});
}

Unexpected<ReadError> too_large_failure() { return fail_with(ReadError{false, true, system_error_text(EFBIG)}); }

Unexpected<Error> errno_failure(int err) { return fail(system_error_text(static_cast<std::uint32_t>(err))); }

// Leading separators form the root ("/", or "//" kept as written).
std::size_t root_length(std::string_view path) {
  std::size_t n = 0;
  while (n < path.size() && path[n] == '/') ++n;
  return n;
}

}  // namespace

Result<std::string, ReadError> read_file(const std::string& path, std::size_t max_bytes) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return read_failure(errno);
  UniqueFd file(fd);

  // One byte past the limit tells a file that is too large.
  const std::size_t most = max_bytes + 1;
  struct stat info {};
  std::size_t capacity = 4096;
  if (::fstat(fd, &info) == 0 && info.st_size > 0) {
    // A file that says it is too large is refused unread.
    if (static_cast<std::uintmax_t>(info.st_size) > max_bytes) return too_large_failure();
    // One byte more than the size, so the end is seen without a second resize.
    capacity = static_cast<std::size_t>(info.st_size) + 1;
  }

  std::string bytes(std::min(capacity, most), '\0');
  std::size_t size = 0;
  for (;;) {
    if (size == bytes.size()) {
      if (size == most) return too_large_failure();  // grew while read, or has no size (a pipe, a device)
      bytes.resize(std::min(bytes.size() * 2, most));
    }
    const ssize_t n = ::read(fd, bytes.data() + size, bytes.size() - size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return read_failure(errno);
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  bytes.resize(size);
  return bytes;
}

Result<std::string, ReadError> read_text_file(const std::string& path, std::size_t max_bytes) {
  auto bytes = read_file(path, max_bytes);
  if (bytes.ok() && !is_valid_utf8(*bytes)) return fail_with(ReadError{false, false, system_error_text(EILSEQ)});
  return bytes;
}

bool path_exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool is_directory(const std::string& path) {
  struct stat info {};  // stat follows links, so a link to a folder counts
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status create_directories(const std::string& path) {
  if (path.empty()) return {};
  if (::mkdir(path.c_str(), 0777) == 0) return {};
  int err = errno;
  if (err == ENOENT) {
    const std::string_view parent = parent_path(path);
    if (!parent.empty() && parent.size() < path.size()) {
      if (auto made = create_directories(std::string(parent)); !made) return made;
      if (::mkdir(path.c_str(), 0777) == 0) return {};
      err = errno;
    }
  }
  // Also covers a folder made by someone else in between.
  if (is_directory(path)) return {};
  return errno_failure(err);
}

Status rename_replace(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return errno_failure(errno);
  return {};
}

Status remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return errno_failure(errno);
  return {};
}

bool is_separator(char c) { return c == '/'; }

std::string_view path_root(std::string_view path) { return path.substr(0, root_length(path)); }

std::string_view parent_path(std::string_view path) {
  const std::size_t root = root_length(path);
  const std::size_t last = path.find_last_of('/');
  if (last == std::string_view::npos || last < root)
    return root == path.size() ? std::string_view() : path.substr(0, root);
  std::size_t end = last;
  while (end > root && path[end - 1] == '/') --end;
  return path.substr(0, end);
}

std::string_view file_name(std::string_view path) {
  const std::size_t last = path.find_last_of('/');
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string join_path(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += name;
  return joined;
}

Result<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return fail(std::string(name) + " is not set");
  return std::string(value);
}

std::string temp_folder() {
  const char* value = std::getenv("TMPDIR");
  return value != nullptr && *value != '\0' ? std::string(value) : std::string("/tmp");
}

std::uint32_t process_id() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace base
