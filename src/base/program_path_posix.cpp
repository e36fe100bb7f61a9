#include <filesystem>
#include <system_error>

#include "base/program_path.h"

namespace base {

std::optional<std::string> program_path() {
  std::error_code error;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error || path.empty()) return std::nullopt;
  return path;
}

}  // namespace base
