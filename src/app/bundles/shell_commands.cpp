#include "app/bundles/shell_commands.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/bundles/add_items.h"
#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/menu_label.h"
#include "app/view/selection.h"
#include "base/file.h"
#include "base/file_name.h"
#include "base/unicode.h"
#include "lang/lang.h"

namespace app {
namespace {

// Beyond this many taken names something else is wrong (a folder that
// answers "exists" for everything); the user hears about it.
constexpr int kMaxShortcutNumber = 1000;

void shortcut_failed(AppState& state, const std::string& error) {
  show_toast(state, std::string(lang::text("바로 가기를 만들지 못했습니다:", "Couldn't create the shortcut:")) + " " +
                        error);
}

}  // namespace

std::string shortcut_file_name(std::string_view safe_name, int n) {
  std::string name(safe_name);
  if (n > 1) name += " (" + std::to_string(n) + ")";
  return name + ".lnk";
}

void create_desktop_shortcut(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size()) return;
  const std::string id = state.store.bundles[index].id;
  const std::string name = state.store.bundles[index].name;
  const base::Result<std::string> desktop = state.platform.desktop_folder();
  if (!desktop) return shortcut_failed(state, desktop.error().text);
  const base::Result<std::string> program = state.platform.program_path();
  if (!program) return shortcut_failed(state, program.error().text);

  const std::string safe_name = base::safe_file_name(name);
  const std::string description = lang::fill(lang::text("tolvik: ‘{0}’ 묶음 열기", "tolvik: open “{0}”"), {name});
  const std::string arguments = "--open \"" + id + "\"";
  for (int n = 1; n <= kMaxShortcutNumber; ++n) {
    const std::string path = base::join_path(*desktop, shortcut_file_name(safe_name, n));
    if (state.platform.target_exists(path)) continue;
    const ShortcutOutcome made = state.platform.create_shortcut(path, *program, arguments, description);
    if (made.kind == ShortcutOutcome::Kind::name_taken) continue;  // taken since the check
    if (made.kind == ShortcutOutcome::Kind::failed) {
      shortcut_failed(state, made.error);
      return;
    }
    show_toast(state, lang::fill(lang::text("바탕 화면에 ‘{0}’ 바로 가기를 만들었습니다",
                                            "Created a “{0}” shortcut on the desktop"),
                                 {name}));
    return;
  }
  constexpr std::uint32_t kFileExists = 80;  // ERROR_FILE_EXISTS: "The file exists."
  shortcut_failed(state, base::system_error_text(kFileExists));
}

std::vector<std::string> without_repeated_folders(const std::vector<std::string>& paths) {
  std::vector<std::string> kept;
  for (const std::string& path : paths) {
    const bool seen = std::any_of(kept.begin(), kept.end(),
                                  [&](const std::string& other) { return base::ascii_iequals(other, path); });
    if (!seen) kept.push_back(path);
  }
  return kept;
}

std::vector<MenuEntry> explorer_folder_entries(const std::vector<std::string>& paths) {
  std::vector<MenuEntry> entries;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    entries.push_back(MenuEntry::command(i + 1, menu_label(paths[i])));
  }
  if (paths.size() >= 2) {
    entries.push_back(MenuEntry::line());
    entries.push_back(MenuEntry::command(
        add_all_folders_id(paths.size()),
        lang::fill(lang::text("모두 넣기 ({0})", "Add all ({0})"), {std::to_string(paths.size())})));
  }
  return entries;
}

void add_explorer_folders(AppState& state, std::size_t index, float x, float y) {
  if (index >= state.store.bundles.size()) return;
  select_bundle(state, index);
  const std::string id = state.store.bundles[index].id;
  const std::vector<std::string> paths = without_repeated_folders(state.platform.explorer_folders());
  if (paths.empty()) {
    show_toast(state, std::string(lang::text("열린 탐색기 창이 없습니다", "No File Explorer windows are open")));
    return;
  }
  const int chosen = state.platform.show_menu(x, y, explorer_folder_entries(paths));
  if (chosen <= 0) return;
  std::vector<bundle::Item> items;
  if (static_cast<std::size_t>(chosen) <= paths.size()) {
    items.push_back({bundle::Kind::folder, paths[static_cast<std::size_t>(chosen) - 1], {}, {}});
  } else if (paths.size() >= 2 && chosen == add_all_folders_id(paths.size())) {
    for (const std::string& path : paths) items.push_back({bundle::Kind::folder, path, {}, {}});
  }
  // The menu ran a modal loop: the bundle is found again by its id.
  const std::optional<std::size_t> target = find_bundle(state, id);
  if (items.empty() || !target) return;
  add_items(state, target, std::move(items));
}

}  // namespace app
