#include "app/updater/update_workers_win.h"

#include <new>

#include "app/opening/workers_win.h"
#include "app/state/maker.h"
#include "app/state/messages_win.h"
#include "app/updater/download_win.h"
#include "app/updater/installer_check.h"
#include "app/updater/installer_win.h"
#include "app/updater/manifest_check.h"
#include "app/updater/update_files.h"
#include "app/updater/update_results.h"
#include "base/file.h"
#include "base/system_error.h"

namespace app {
namespace {

// The worker's thread handle is dropped: nothing waits for it, and a
// message posted to a window that is gone is lost without harm.
base::Status started(base::Result<base::UniqueHandle> thread) {
  if (!thread) return base::fail(thread.error().text);
  return {};
}

// What a worker that threw tells the user: an exception leaving the thread
// would end the whole program, and the window would never hear back.
UpdateFailure thrown_failure() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return {base::system_error_text(ERROR_NOT_ENOUGH_MEMORY)};
  } catch (...) {
    return {download_failed_text()};
  }
}

}  // namespace

base::Status start_update_check_worker(HWND window, std::string manifest_address, bool manual) {
  return started(start_worker(
      [window, address = std::move(manifest_address), manual] {
        CheckResult result{UpToDate{}, manual};
        try {
          result = check_manifest(download_with_curl, update_work_folder(base::temp_folder()), address,
                                  maker::kVersion, manual);
        } catch (...) {
          result = {thrown_failure(), manual};
        }
        update_checks().put(std::move(result));
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
        InstallResult result{UpdateFailure{}};
        try {
          result = fetch_installer(download_with_curl, update_work_folder(base::temp_folder()), offer, progress);
        } catch (...) {
          result = {thrown_failure()};
        }
        install_results().put(std::move(result));
        PostMessageW(window, kMsgDownloadFinished, 0, 0);
      },
      kWorkerStack));
}

void start_stale_download_cleanup() {
  // A folder left uncleared costs nothing now; the next start tries again.
  (void)start_worker(
      [] {
        try {
          remove_stale_downloads(update_work_folder(base::temp_folder()));
        } catch (...) {
        }
      },
      0);
}

}  // namespace app
