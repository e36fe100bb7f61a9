#include "app/window/icon_worker_win.h"

#include <utility>

#include "base/environment.h"
#include "base/worker_win.h"
#include "gfx/gfx_win.h"
#include "winshell/shell_icon_win.h"

namespace app {

std::vector<FetchedIcon> fetch_shell_icons(const std::vector<IconRequest>& requests) {
  std::vector<FetchedIcon> fetched;
  fetched.reserve(requests.size());
  for (const IconRequest& request : requests) {
    base::UniqueIcon icon;
    if (request.kind == bundle::Kind::app && bundle::is_packaged_app(request.target)) {
      icon = winshell::shell_item_icon(request.target);
    } else if (request.kind != bundle::Kind::url) {
      // The icon of what the target names on this PC.
      const std::string target = base::expand_variables(request.target);
      const bool folder = request.kind == bundle::Kind::folder;
      icon = winshell::is_network_path(target)
                 ? winshell::shell_icon(folder ? std::string_view("folder") : std::string_view(target), folder, true)
                 : winshell::shell_icon(target, folder, false);
    }
    fetched.push_back({request.key, std::move(icon)});
  }
  return fetched;
}

void store_fetched_icons(IconCache& cache, gfx::Gfx& gfx, std::vector<FetchedIcon> fetched) {
  for (FetchedIcon& one : fetched) {
    cache.asked.erase(one.key);
    cache.bitmaps.insert_or_assign(std::move(one.key),
                                   one.icon ? gfx.bitmap_from_icon(std::move(one.icon)) : nullptr);
  }
}

bool start_icon_worker(HWND window, UINT message, IconCache& cache, std::shared_ptr<IconMailbox> box) {
  if (cache.wanted.empty()) return false;
  std::vector<IconRequest> requests = std::move(cache.wanted);
  cache.wanted.clear();
  auto started = base::start_worker(
      "the icon worker",
      [window, message, box, requests]() {
        // The shell may load extensions that need it.
        base::OleScope ole;
        box->put(fetch_shell_icons(requests));
        PostMessageW(window, message, 0, 0);
      },
      0,
      [window, message, box, requests](std::int32_t) {
        // Answered as icons the shell did not give: the kind icons stay, and
        // the window hands the next frame's wants to a new worker.
        std::vector<FetchedIcon> none;
        for (const IconRequest& request : requests) none.push_back({request.key, {}});
        box->put(std::move(none));
        PostMessageW(window, message, 0, 0);
      });
  if (started) return true;
  // Asked again by the next frame.
  for (const IconRequest& request : requests) cache.asked.erase(request.key);
  return false;
}

}  // namespace app
