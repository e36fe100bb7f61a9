#pragma once
// The updater's two workers: the check (answers with WM_APP+2) and the
// installer's download and tests (WM_APP+3).

#include <windows.h>

#include <string>

#include "app/updater/manifest.h"
#include "base/result.h"

namespace app {

base::Status start_update_check_worker(HWND window, std::string manifest_address, bool manual);
base::Status start_installer_worker(HWND window, UpdateOffer offer);

}  // namespace app
