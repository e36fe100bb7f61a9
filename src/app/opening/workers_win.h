#pragma once
// The short-lived worker threads of an opening. Each owns copies of its data,
// puts its result in its mailbox and posts a message to the window.
// Defined in workers_win.cpp.

#include <windows.h>

#include <string>
#include <vector>

#include "base/handle_win.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

// The opening worker's thread, for waiting until the bundle has opened. It
// posts kMsgOpenProgress after each item and starts nothing more once `stop`
// (a manual-reset event, duplicated for the worker) is set. A worker that
// fails on the way still posts kMsgOpenFinished, with why.
base::Result<base::UniqueHandle> start_open_worker(HWND window, std::string bundle_id,
                                                   std::vector<bundle::Item> items,
                                                   std::vector<std::size_t> positions, HANDLE stop);
void start_target_check_worker(HWND window, std::vector<std::string> targets);

}  // namespace app
