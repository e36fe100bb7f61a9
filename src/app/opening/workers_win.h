#pragma once
// The short-lived worker threads. Each owns copies of its data, puts its
// result in its mailbox and posts a message to the window.
// Defined in workers_win.cpp.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/handle_win.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

// The opening worker's thread, for waiting until the bundle has opened. It
// posts kMsgOpenProgress after each item and starts nothing more once `stop`
// (a manual-reset event, duplicated for the worker) is set.
base::Result<base::UniqueHandle> start_open_worker(HWND window, std::string bundle_id,
                                                   std::vector<bundle::Item> items,
                                                   std::vector<std::size_t> positions, HANDLE stop);
void start_target_check_worker(HWND window, std::vector<std::string> targets);

// The stack the workers that start other programs reserve.
inline constexpr unsigned kWorkerStack = 2u << 20;

// Runs `work` on a thread of its own with `stack` bytes reserved for its
// stack (0: the default); the caller keeps the handle or drops it.
base::Result<base::UniqueHandle> start_worker(std::function<void()> work, unsigned stack);

}  // namespace app
