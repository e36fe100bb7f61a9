#include "app/opening/workers_win.h"

#include <memory>

#include "app/opening/open.h"
#include "app/opening/opening_record_win.h"
#include "app/opening/shell_opener_win.h"
#include "app/state/messages_win.h"
#include "app/view/targets.h"
#include "base/file.h"
#include "base/system_error.h"
#include "base/worker_win.h"

namespace app {

base::Result<base::UniqueHandle> start_open_worker(HWND window, std::string bundle_id,
                                                   std::vector<bundle::Item> items,
                                                   std::vector<std::size_t> positions, HANDLE stop) {
  HANDLE own = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), stop, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return base::fail(base::last_error_text());
  }
  // The worker's own handle of the window's stop event (shared: a work
  // function is copyable).
  auto stop_handle = std::make_shared<base::UniqueHandle>(own);
  return base::start_worker(
      "the opening worker",
      [window, id = bundle_id, stop_handle, items = std::move(items), positions = std::move(positions)]() mutable {
        base::OleScope ole;  // the shell may load extensions that need it
        ShellOpener opener(stop_handle->get(), [window](std::size_t done, std::size_t total) {
          PostMessageW(window, kMsgOpenProgress, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
        });
        OpenResult result = open_items(items, opener);
        record_opening(id, items, result, positions);
        open_results().put(OpenOutcome{std::move(items), std::move(id), std::move(result)});
        PostMessageW(window, kMsgOpenFinished, 0, 0);
      },
      base::kWorkerStack,
      [window, id = bundle_id](std::int32_t hr) {
        // Without an answer the bundle would show as opening for good.
        open_results().put(OpenOutcome{{}, id, {}, base::system_error_text(static_cast<std::uint32_t>(hr))});
        PostMessageW(window, kMsgOpenFinished, 0, 0);
      });
}

void start_target_check_worker(HWND window, std::vector<std::string> targets) {
  // A check that failed leaves the marks as they were; the next one tries again.
  (void)base::start_worker("the target check", [window, targets = std::move(targets)] {
    target_checks().put(check_target_list(targets, base::path_exists));
    PostMessageW(window, kMsgTargetsChecked, 0, 0);
  }, 0);
}

}  // namespace app
