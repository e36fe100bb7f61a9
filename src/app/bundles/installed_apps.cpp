#include "app/bundles/installed_apps.h"

#include <algorithm>
#include <optional>
#include <set>

#include "app/bundles/add_items.h"
#include "app/bundles/installed_apps_host.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/selection.h"
#include "base/unicode.h"
#include "base/win_path.h"
#include "detect/detect.h"
#include "lang/lang.h"

namespace app {
namespace {

enum class AddAppCommand : int { browse = 1, installed };

}  // namespace

std::vector<InstalledApp> apps_for_list(std::vector<InstalledApp> apps) {
  std::erase_if(apps, [](const InstalledApp& app) {
    return base::trim(app.name).empty() || base::trim(app.parsing_name).empty();
  });
  std::stable_sort(apps.begin(), apps.end(), [](const InstalledApp& a, const InstalledApp& b) {
    return base::to_lower_full(a.name) < base::to_lower_full(b.name);
  });
  std::set<std::string> seen;
  std::erase_if(apps, [&](const InstalledApp& app) { return !seen.insert(base::to_lower_full(app.parsing_name)).second; });
  return apps;
}

bundle::Item item_from_installed_app(const InstalledApp& app) {
  const std::string_view name = base::trim(app.parsing_name);
  bundle::Item item;
  item.kind = bundle::Kind::app;
  item.name = std::string(base::trim(app.name));
  if (base::win_path::starts_with_drive(name) || name.starts_with(base::win_path::kUncPrefix)) {
    item.target = std::string(name);
  } else {
    item.target = std::string(bundle::kAppsFolderPrefix) + std::string(name);
  }
  return item;
}

void add_app(AppState& state, float x, float y) {
  const bundle::Bundle* selected = state.selected();
  if (!selected) return;
  // The menu and the dialogs run modal loops: the bundle is found again by its id.
  const std::string bundle_id = selected->id;
  const std::vector<MenuEntry> entries = {
      MenuEntry::command(AddAppCommand::browse, std::string(lang::text("프로그램 찾아보기…", "Browse for a program…"))),
      MenuEntry::command(AddAppCommand::installed,
                         std::string(lang::text("설치된 앱 고르기…", "Choose an installed app…")))};
  const auto chosen = static_cast<AddAppCommand>(state.platform.show_menu(x, y, entries));
  std::vector<bundle::Item> items;
  if (chosen == AddAppCommand::browse) {
    const std::vector<std::string> paths = state.platform.open_files_dialog(
        lang::text("묶음에 넣을 앱 (프로그램이나 바로 가기)", "App to add (a program or a shortcut)"),
        {{std::string(lang::text("프로그램 (*.exe, *.lnk)", "Programs (*.exe, *.lnk)")),
          "*.exe;*.lnk;*.bat;*.cmd;*.appref-ms"},
         {std::string(lang::text("모든 파일", "All files")), "*.*"}},
        StartFolder::common_programs);
    for (const std::string& path : paths) items.push_back(detect::item_from_path(path));
  } else if (chosen == AddAppCommand::installed) {
    const std::vector<InstalledApp> apps = apps_for_list(state.platform.installed_apps_host().installed_apps());
    const std::optional<std::size_t> picked = state.platform.installed_apps_host().choose_installed_app(apps);
    if (picked && *picked < apps.size()) items.push_back(item_from_installed_app(apps[*picked]));
  }
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position || items.empty()) return;
  add_items(state, position, std::move(items));
}

}  // namespace app
