#pragma once
// The updater's two workers: the check (answers with WM_APP+2) and the
// installer's download and tests (WM_APP+3); and the clearing of old
// downloads at start.
// Defined in update_workers_win.cpp.

#include <windows.h>

#include <string>

#include "app/updater/manifest.h"
#include "base/result.h"

namespace app {

base::Status start_update_check_worker(HWND window, std::string manifest_address, bool manual);
base::Status start_installer_worker(HWND window, UpdateOffer offer);

// Removes the update folder's files older than a day on a thread of its own,
// so that the window does not wait for the disk.
void start_stale_download_cleanup();

}  // namespace app
