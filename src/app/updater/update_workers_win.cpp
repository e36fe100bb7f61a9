#include "app/updater/update_workers_win.h"

#include "app/opening/workers_win.h"
#include <new>
#include "app/state/maker.h"
#include "app/state/messages_win.h"
#include "app/updater/download_win.h"
#include "app/updater/installer_check.h"
#include "app/updater/installer_win.h"
#include "app/updater/manifest_check.h"
#include "app/updater/update_files.h"
#include "app/updater/update_results.h"
#include "base/failure_trace.h"
#include "base/file.h"
#include "base/system_error.h"
#include "base/worker_win.h"

namespace app {
namespace {

// The worker's thread handle is dropped: nothing waits for it, and a
// message posted to a window that is gone is lost without harm.
base::Status started(base::Result<base::UniqueHandle> thread) {
  if (!thread) return base::fail(thread.error().text);
  return {};
}

// What a worker that failed tells the user.
UpdateFailure failure_of(std::int32_t hr) {
  if (hr == base::kOutOfMemory) return {base::system_error_text(ERROR_NOT_ENOUGH_MEMORY)};
  return {download_failed_text()};
}

}  // namespace

base::Status start_update_check_worker(HWND window, std::string manifest_address, bool manual) {
  const auto answer = [window](CheckResult result) {
    update_checks().put(std::move(result));
    PostMessageW(window, kMsgUpdateChecked, 0, 0);
  };
  return started(base::start_worker(
      "the update check",
      [answer, address = std::move(manifest_address), manual] {
        answer(check_manifest(download_with_curl, update_work_folder(base::temp_folder()), address, maker::kVersion,
                              manual));
      },
      base::kWorkerStack, [answer, manual](std::int32_t hr) { answer({failure_of(hr), manual}); }));
}

base::Status start_installer_worker(HWND window, UpdateOffer offer) {
  const auto answer = [window](InstallResult result) {
    install_results().put(std::move(result));
    PostMessageW(window, kMsgDownloadFinished, 0, 0);
  };
  return started(base::start_worker(
      "the installer download",
      [window, answer, offer = std::move(offer)] {
        const auto progress = [window](std::uint64_t received) {
          PostMessageW(window, kMsgDownloadProgress, static_cast<WPARAM>(received), 0);
        };
        answer(fetch_installer(download_with_curl, update_work_folder(base::temp_folder()), offer, progress));
      },
      base::kWorkerStack, [answer](std::int32_t hr) { answer({failure_of(hr)}); }));
}

void start_stale_download_cleanup() {
  // A folder left uncleared costs nothing now; the next start tries again.
  (void)base::start_worker(
      "the clearing of old downloads", [] { remove_stale_downloads(update_work_folder(base::temp_folder())); }, 0);
}

}  // namespace app
