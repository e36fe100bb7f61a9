#pragma once
// The short-lived worker threads. Each owns copies of its data, puts its
// result in its slot and posts a message to the window.

#include <windows.h>

#include <string>
#include <vector>

#include "base/handle_win.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

// The opening worker's thread, for waiting until the bundle has opened.
base::Result<base::UniqueHandle> start_open_worker(HWND window, std::string bundle_id,
                                                   std::vector<bundle::Item> items);
void start_target_check_worker(HWND window, std::vector<std::string> targets);

}  // namespace app
