#include "app/updater/update_workers_win.h"

#include "app/maker.h"
#include "app/messages_win.h"
#include "app/updater/download_win.h"
#include "app/updater/installer_win.h"
#include "app/updater/manifest_check.h"
#include "app/updater/update_files.h"
#include "app/updater/update_results.h"
#include "app/workers_win.h"
#include "base/file.h"

namespace app {
namespace {

// The worker's thread handle is dropped: nothing waits for it, and a
// message posted to a window that is gone is lost without harm.
base::Status started(base::Result<base::UniqueHandle> thread) {
  if (!thread) return base::fail(thread.error().text);
  return {};
}

}  // namespace

base::Status start_update_check_worker(HWND window, std::string manifest_address, bool manual) {
  return started(start_worker(
      [window, address = std::move(manifest_address), manual] {
        update_checks().put(check_manifest(download_with_curl, update_work_folder(base::temp_folder()), address,
                                               maker::kVersion, manual));
        PostMessageW(window, kMsgUpdateChecked, 0, 0);
      },
      kWorkerStack));
}

base::Status start_installer_worker(HWND window, UpdateOffer offer) {
  return started(start_worker(
      [window, offer = std::move(offer)] {
        const auto progress = [window](std::uint64_t received) {
          PostMessageW(window, kMsgDownloadProgress, static_cast<WPARAM>(received), 0);
        };
        install_results().put(
            fetch_installer(download_with_curl, update_work_folder(base::temp_folder()), offer, progress));
        PostMessageW(window, kMsgDownloadFinished, 0, 0);
      },
      kWorkerStack));
}

}  // namespace app
