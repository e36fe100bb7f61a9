#pragma once
// The program's own threads. The top of each is a boundary: a throw out of
// its work never ends the program; it is traced, and whoever waits for the
// work hears that it failed.

#include <cstdint>
#include <functional>
#include <string>

#include "base/handle_win.h"
#include "base/result.h"

namespace base {

// The stack the workers that start other programs reserve.
inline constexpr unsigned kWorkerStack = 2u << 20;

// Called on the worker's thread, with the HRESULT a throw came to, so that
// the one waiting (the window, through its mailbox and a message) is answered.
using WorkerFailed = std::function<void(std::int32_t hr)>;

// Runs `work` on a thread of its own with `stack` bytes reserved for its
// stack (0: the default). A throw out of `work` is traced under `name` and
// `failed` (when given) runs instead of the rest of it. The caller keeps the
// handle to wait for the worker, or drops it.
Result<UniqueHandle> start_worker(std::string name, std::function<void()> work, unsigned stack,
                                  WorkerFailed failed = {});

}  // namespace base
