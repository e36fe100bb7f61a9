#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/file.h"
#include "bundle/atomic_write.h"

namespace bundle {
namespace {

base::Unexpected<base::Error> errno_failure(int err) {
  return base::fail(base::system_error_text(static_cast<std::uint32_t>(err)));
}

// The temporary sibling until it has been renamed: closed and removed when the
// write fails at any step.
class TempFile {
 public:
  TempFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // Closing can report a delayed write error, so it is checked.
  int close() { return ::close(std::exchange(fd_, -1)); }
  void keep() { path_.clear(); }

 private:
  std::string path_;
  int fd_;
};

int write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int sync_fd(int fd) {
  while (::fsync(fd) != 0) {
    if (errno == EINTR) continue;
    // A file system that cannot sync gives EINVAL; the data is still written.
    return errno == EINVAL ? 0 : errno;
  }
  return 0;
}

// Makes the rename itself durable. The new file is already in place, so a
// failure here is not reported.
void sync_folder(std::string_view folder) {
  const std::string path = folder.empty() ? std::string(".") : std::string(folder);
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)sync_fd(fd);
  ::close(fd);
}

}  // namespace

base::Status write_file_atomically(const std::string& path, std::string_view bytes) {
  const std::string_view parent = base::parent_path(path);
  if (!parent.empty()) {
    if (auto made = base::create_directories(std::string(parent)); !made) return made;
  }

  // path already ends with the file name, so this is "<name>.<pid>.tmp" beside it.
  std::string temp_path = path + "." + std::to_string(base::process_id()) + ".tmp";
  int fd;
  do {
    fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno_failure(errno);
  TempFile temp(std::move(temp_path), fd);

  if (const int err = write_all(temp.fd(), bytes)) return errno_failure(err);
  if (const int err = sync_fd(temp.fd())) return errno_failure(err);
  if (temp.close() != 0) return errno_failure(errno);
  if (::rename(temp.path().c_str(), path.c_str()) != 0) return errno_failure(errno);
  temp.keep();
  sync_folder(parent);
  return {};
}

}  // namespace bundle
