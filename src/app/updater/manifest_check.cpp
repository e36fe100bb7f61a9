#include "app/updater/manifest_check.h"

#include "app/updater/update_check.h"
#include "app/updater/update_files.h"
#include "base/file.h"

namespace app {

CheckResult check_manifest(const Downloader& download, const std::string& work_folder, const std::string& address,
                           std::string_view current, bool manual) {
  (void)base::create_directories(work_folder);
  const std::string path =
      base::join_path(work_folder, manifest_file_name(base::process_id(), next_download_serial()));
  if (base::Status fetched = download({address, path, kManifestMaxBytes, {}}); !fetched) {
    (void)base::remove_file(path);
    return {UpdateFailure{fetched.error().text}, manual};
  }
  auto text = base::read_text_file(path, kManifestMaxBytes);
  (void)base::remove_file(path);
  // Too large, not UTF-8 or not readable: to the user all the same.
  if (!text) return {UpdateFailure{manifest_failure_text()}, manual};
  return {answer_from_manifest(*text, current), manual};
}

}  // namespace app
