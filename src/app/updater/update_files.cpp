#include "app/updater/update_files.h"

#include <atomic>

#include "base/file.h"

namespace app {

std::string update_work_folder(std::string_view temp_folder) { return base::join_path(temp_folder, "tolvik"); }

std::string installer_file_name(std::string_view version) { return "tolvik-Setup-" + std::string(version) + ".exe"; }

std::string download_file_name(std::string_view final_name, std::uint32_t process_id, std::uint64_t serial) {
  return std::string(final_name) + "." + std::to_string(process_id) + "-" + std::to_string(serial) + ".part";
}

std::string manifest_file_name(std::uint32_t process_id, std::uint64_t serial) {
  return "update-" + std::to_string(process_id) + "-" + std::to_string(serial) + ".json";
}

std::uint64_t next_download_serial() {
  static std::atomic<std::uint64_t> serial{0};
  return ++serial;
}

}  // namespace app
