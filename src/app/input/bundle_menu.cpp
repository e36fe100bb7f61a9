#include "app/input/bundle_menu.h"

#include <string>

#include "app/bundles/bundle_file.h"
#include "app/bundles/bundle_ops.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"
#include "app/bundles/shell_commands.h"
#include "app/opening/close_bundle.h"
#include "app/opening/open.h"
#include "app/reach/hotkeys.h"
#include "app/reach/sign_in_host.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/selection.h"
#include "lang/lang.h"

namespace app {
namespace {

void run_bundle_command(AppState& state, std::size_t index, BundleCommand command, float x, float y) {
  switch (command) {
    case BundleCommand::open:
      if (!state.store.bundles[index].items.empty()) open_bundle(state, index);
      break;
    case BundleCommand::close:
      close_bundle(state, index);
      break;
    case BundleCommand::rename:
      select_bundle(state, index);
      begin_rename_bundle(state);
      break;
    case BundleCommand::duplicate:
      duplicate_bundle(state, index);
      break;
    case BundleCommand::hotkey:
      edit_bundle_hotkey(state, index);
      break;
    case BundleCommand::desktop_shortcut:
      create_desktop_shortcut(state, index);
      break;
    case BundleCommand::explorer_folders:
      add_explorer_folders(state, index, x, y);
      break;
    case BundleCommand::sign_in:
      toggle_sign_in(state, index);
      break;
    case BundleCommand::export_file:
      export_bundle(state, index);
      break;
    case BundleCommand::remove:
      delete_bundle(state, index);
      break;
    default:
      break;
  }
}

}  // namespace

std::string sign_in_entry_label(bool turned_off, bool not_written) {
  if (not_written) {
    return std::string(lang::text("로그인할 때 열기 (Windows 에 등록하지 못함)",
                                  "Open when I sign in (couldn't be set up in Windows)"));
  }
  if (turned_off) {
    return std::string(lang::text("로그인할 때 열기 (Windows 시작 앱에서 꺼 둠)",
                                  "Open when I sign in (turned off in Windows' start-up apps)"));
  }
  return std::string(lang::text("로그인할 때 열기", "Open when I sign in"));
}

std::vector<MenuEntry> bundle_menu_entries(const bundle::Bundle* bundle, bool sign_in_turned_off,
                                           bool run_value_failed) {
  using enum BundleCommand;
  const bool marked = bundle && bundle->at_sign_in;
  const bool not_written = marked && run_value_failed;
  return {
      MenuEntry::command(open, std::string(lang::text("열기", "Open")), bundle && !bundle->items.empty()),
      MenuEntry::command(close, std::string(lang::text("닫기", "Close")), bundle && !bundle->items.empty()),
      MenuEntry::command(rename, std::string(lang::text("이름 바꾸기 (F2)", "Rename (F2)"))),
      MenuEntry::command(duplicate, std::string(lang::text("복제", "Duplicate"))),
      MenuEntry::command(hotkey, std::string(lang::text("단축키…", "Hotkey…"))),
      MenuEntry::line(),
      MenuEntry::command(desktop_shortcut,
                         std::string(lang::text("바탕 화면에 바로 가기 만들기", "Create a desktop shortcut"))),
      MenuEntry::command(explorer_folders, std::string(lang::text("지금 열린 탐색기 폴더 가져오기…",
                                                                  "Add folders open in File Explorer…"))),
      MenuEntry::command(sign_in, sign_in_entry_label(sign_in_turned_off, not_written), bundle != nullptr,
                         marked && !not_written),
      MenuEntry::line(),
      MenuEntry::command(export_file,
                         std::string(lang::text("내보내기… (다른 사람에게 건네기)", "Export… (to share)"))),
      MenuEntry::line(),
      MenuEntry::command(remove, std::string(lang::text("묶음 지우기", "Delete bundle"))),
  };
}

void show_bundle_menu(AppState& state, std::size_t index, float x, float y) {
  // The commands act on what the user typed so far (a name, arguments); a
  // commit only renames or appends, so `index` still names the same bundle.
  end_edit(state, true);
  if (index >= state.store.bundles.size()) return;
  // The menu runs a modal loop; the bundle is found again by its id afterwards.
  const std::string id = state.store.bundles[index].id;
  const int chosen = state.platform.show_menu(
      x, y,
      bundle_menu_entries(&state.store.bundles[index], state.platform.sign_in_host().sign_in_turned_off(),
                          state.run_value_failure.has_value()));
  if (chosen == 0) return;
  const std::optional<std::size_t> now = find_bundle(state, id);
  if (!now || *now != index) return;
  run_bundle_command(state, index, static_cast<BundleCommand>(chosen), x, y);
}

}  // namespace app
