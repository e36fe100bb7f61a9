#include "app/opening/workers_win.h"

#include <memory>
#include <process.h>

#include "app/opening/open.h"
#include "app/opening/opening_record_win.h"
#include "app/opening/shell_opener_win.h"
#include "app/state/messages_win.h"
#include "app/view/targets.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/system_error.h"

namespace app {
namespace {

struct OpenJob {
  HWND window;
  std::string bundle_id;
  std::vector<bundle::Item> items;
  std::vector<std::size_t> positions;  // in the bundle, when only some of its items open
  base::UniqueHandle stop;  // the worker's own handle of the window's stop event
};

struct TargetJob {
  HWND window;
  std::vector<std::string> targets;
};

unsigned __stdcall run_open_job(void* param) {
  std::unique_ptr<OpenJob> job(static_cast<OpenJob*>(param));
  base::OleScope ole;  // the shell may load extensions that need it
  const HWND window = job->window;
  ShellOpener opener(job->stop.get(), [window](std::size_t done, std::size_t total) {
    PostMessageW(window, kMsgOpenProgress, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
  });
  OpenResult result = open_items(job->items, opener);
  record_opening(job->bundle_id, job->items, result, job->positions);
  open_results().put(OpenOutcome{std::move(job->items), std::move(job->bundle_id), std::move(result)});
  PostMessageW(job->window, kMsgOpenFinished, 0, 0);
  return 0;
}

unsigned __stdcall run_target_job(void* param) {
  std::unique_ptr<TargetJob> job(static_cast<TargetJob*>(param));
  target_checks().put(check_target_list(job->targets, base::path_exists));
  PostMessageW(job->window, kMsgTargetsChecked, 0, 0);
  return 0;
}

unsigned __stdcall run_work(void* param) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
  (*work)();
  return 0;
}

// _beginthreadex sets up the C runtime for the thread; the caller keeps the
// handle to wait for the worker, or drops it.
template <class Job>
base::Result<base::UniqueHandle> start_thread(unsigned(__stdcall* body)(void*), std::unique_ptr<Job> job,
                                              unsigned stack) {
  const uintptr_t thread =
      _beginthreadex(nullptr, stack, body, job.get(), stack ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0, nullptr);
  if (thread == 0) return base::fail("The worker thread could not be started.");
  job.release();
  return base::UniqueHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace

base::Result<base::UniqueHandle> start_open_worker(HWND window, std::string bundle_id,
                                                   std::vector<bundle::Item> items,
                                                   std::vector<std::size_t> positions, HANDLE stop) {
  HANDLE own = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), stop, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return base::fail(base::last_error_text());
  }
  return start_thread(run_open_job,
                      std::make_unique<OpenJob>(
                          OpenJob{window, std::move(bundle_id), std::move(items), std::move(positions), base::UniqueHandle(own)}),
                      kWorkerStack);
}

base::Result<base::UniqueHandle> start_worker(std::function<void()> work, unsigned stack) {
  return start_thread(run_work, std::make_unique<std::function<void()>>(std::move(work)), stack);
}

void start_target_check_worker(HWND window, std::vector<std::string> targets) {
  (void)start_thread(run_target_job, std::make_unique<TargetJob>(TargetJob{window, std::move(targets)}), 0);
}

}  // namespace app
