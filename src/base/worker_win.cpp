#include "base/worker_win.h"

#include <process.h>

#include <memory>
#include <utility>

#include "base/failure_trace.h"

namespace base {
namespace {

struct Worker {
  std::string name;
  std::function<void()> work;
  WorkerFailed failed;
};

unsigned __stdcall run_worker(void* param) {
  const std::unique_ptr<Worker> worker(static_cast<Worker*>(param));
  try {
    worker->work();
  } catch (...) {
    const std::int32_t hr = trace_thrown(worker->name);
    if (worker->failed) {
      try {
        worker->failed(hr);
      } catch (...) {
        // Telling of the failure failed too (no memory left): traced, and nothing more can be done.
        trace_thrown(worker->name);
      }
    }
  }
  return 0;
}

}  // namespace

Result<UniqueHandle> start_worker(std::string name, std::function<void()> work, unsigned stack,
                                  WorkerFailed failed) {
  auto worker = std::make_unique<Worker>(Worker{std::move(name), std::move(work), std::move(failed)});
  // _beginthreadex sets up the C runtime for the thread.
  const uintptr_t thread = _beginthreadex(nullptr, stack, run_worker, worker.get(),
                                          stack ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0, nullptr);
  if (thread == 0) return fail("The worker thread could not be started.");
  worker.release();
  return UniqueHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace base
