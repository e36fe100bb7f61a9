#pragma once
// The icon worker: fetches the shell icons a frame lacked on a thread of its
// own, so that a slow or empty drive never holds up painting.
// Defined in icon_worker_win.cpp.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/state/mailbox.h"
#include "app/window/icon_cache_win.h"
#include "base/handle_win.h"

namespace gfx {
class Gfx;
}

namespace app {

struct FetchedIcon {
  std::string key;
  base::UniqueIcon icon;  // none when the shell gave none
};

using IconMailbox = Mailbox<std::vector<FetchedIcon>>;

// The shell's icons for `requests`. A target on the network is asked for by
// its type only, so that a slow or vanished server is never waited for; web
// addresses get none.
std::vector<FetchedIcon> fetch_shell_icons(const std::vector<IconRequest>& requests);

// Converts what the worker fetched with the current device into `cache`.
void store_fetched_icons(IconCache& cache, gfx::Gfx& gfx, std::vector<FetchedIcon> fetched);

// Hands the cache's wanted icons to a new worker, which puts them in `box`
// and posts `message` to `window`; false (nothing handed over) when there are
// none or the thread could not be started.
bool start_icon_worker(HWND window, UINT message, IconCache& cache, std::shared_ptr<IconMailbox> box);

}  // namespace app
