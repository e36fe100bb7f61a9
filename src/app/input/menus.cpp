#include "app/input/menus.h"

#include <span>
#include <utility>

#include "app/bundles/bundle_file.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/remove_delete.h"
#include "app/opening/item_options.h"
#include "app/opening/open.h"
#include "app/reach/notification_area.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/state/maker.h"
#include "app/updater/update_check.h"
#include "base/environment.h"
#include "lang/lang.h"

namespace app {
namespace {

void setting_not_saved(AppState& state, const base::Error& error) {
  show_toast(state,
             std::string(lang::text("설정을 저장하지 못했습니다:", "Couldn't save the setting:")) + " " + error.text);
}

void toggle_auto_update(AppState& state) {
  // Absent counts as on, so the first toggle of a fresh installation turns it off.
  const std::optional<std::uint32_t> stored = state.platform.read_setting_number("AutoUpdate");
  if (base::Status saved = state.platform.write_setting_number("AutoUpdate", stored && *stored == 0 ? 1 : 0); !saved) {
    setting_not_saved(state, saved.error());
  }
}

constexpr int id_of(SettingsCommand command) { return static_cast<int>(command); }

void choose_language(AppState& state, int id) {
  const std::span<const lang::Language> languages = lang::languages();
  std::string_view code;  // empty: follow Windows
  if (id != id_of(SettingsCommand::follow_windows)) {
    const auto row = static_cast<std::size_t>(id - id_of(SettingsCommand::first_language));
    if (row >= languages.size()) return;
    code = languages[row].code;
  }
  // The choice is read at the next start: one that was not stored never takes effect.
  if (base::Status saved = state.platform.write_setting_text("Language", code); !saved) {
    setting_not_saved(state, saved.error());
    return;
  }
  show_toast(state, std::string(lang::text("다음에 열 때 바뀝니다", "Takes effect the next time tolvik opens")));
}

// The item at `index` of the bundle with `bundle_id`, when both still exist.
const bundle::Item* item_of(const AppState& state, std::string_view bundle_id, std::size_t index) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return nullptr;
  const auto& items = state.store.bundles[*position].items;
  return index < items.size() ? &items[index] : nullptr;
}

// Rename (item name) or Arguments… (app items only) of the item the menu was for.
void begin_item_edit(AppState& state, const std::string& bundle_id, std::size_t index, const bundle::Item& shown,
                     EditMode mode) {
  if (mode == EditMode::item_args && shown.kind != bundle::Kind::app) return;
  // A running edit is committed first: it may add to this very bundle, so
  // the item is looked up, and its texts copied, only afterwards.
  end_edit(state, true);
  const bundle::Item* item = item_of(state, bundle_id, index);
  if (!item || item->target != shown.target) return;
  if (mode == EditMode::item_name) {
    const std::string name = item->name;
    begin_edit(state, ActiveEdit{mode, bundle_id, index}, name, bundle::item_label(*item));
  } else {
    const std::string args = item->args;
    begin_edit(state, ActiveEdit{mode, bundle_id, index}, args,
               lang::text("예: /n \"D:\\문서\\메모.txt\"", "e.g. /n \"D:\\Docs\\notes.txt\""));
  }
}

}  // namespace

std::vector<MenuEntry> settings_menu(const std::optional<std::string>& language,
                                     std::optional<std::uint32_t> stored_auto_update, const UpdateStage& update,
                                     bool keep_in_tray) {
  using enum SettingsCommand;
  MenuEntry languages{.label = std::string(lang::text("언어", "Language"))};
  languages.submenu.push_back(MenuEntry::command(follow_windows,
                                                 std::string(lang::text("Windows 언어 따라가기", "Follow Windows")),
                                                 true, !language || language->empty()));
  languages.submenu.push_back(MenuEntry::line());
  int id = id_of(first_language);
  for (const lang::Language& row : lang::languages()) {
    const bool stored = language && *language == row.code;
    languages.submenu.push_back(MenuEntry::command(id++, std::string(row.name), true, stored));
  }
  return {
      MenuEntry::command(import_bundle,
                         std::string(lang::text("묶음 가져오기… (.tolvik)", "Import a bundle… (.tolvik)"))),
      std::move(languages),
      MenuEntry::line(),
      MenuEntry::command(auto_update, std::string(lang::text("자동 업데이트", "Automatic updates")), true,
                         !stored_auto_update || *stored_auto_update != 0),
      MenuEntry::command(keep_in_notification_area,
                         std::string(lang::text("알림 영역에서 계속 실행", "Keep running in the notification area")),
                         true, keep_in_tray),
      update.step == UpdateStage::Step::downloading
          ? MenuEntry::command(check_updates, download_menu_text(update), false)
          : MenuEntry::command(check_updates, std::string(lang::text("업데이트 확인", "Check for updates"))),
      MenuEntry::command(maker_site, std::string(lang::text("kestrix 의 다른 프로그램", "More apps from kestrix"))),
      MenuEntry::command(about, std::string(lang::text("tolvik 정보", "About tolvik"))),
  };
}

void show_settings_menu(AppState& state, float x, float y) {
  // No edit runs under a menu: its commands read the bundles as typed.
  end_edit(state, true);
  const std::vector<MenuEntry> menu =
      settings_menu(state.platform.read_setting_text("Language"), state.platform.read_setting_number("AutoUpdate"),
                    state.update, state.keep_in_notification_area);
  run_settings_command(state, state.platform.show_menu(x, y, menu));
}

void run_settings_command(AppState& state, int id) {
  switch (static_cast<SettingsCommand>(id)) {
    case SettingsCommand::import_bundle:
      choose_and_import(state);
      return;
    case SettingsCommand::auto_update:
      toggle_auto_update(state);
      return;
    case SettingsCommand::keep_in_notification_area:
      toggle_keep_in_notification_area(state);
      return;
    case SettingsCommand::check_updates:
      check_for_updates(state, UpdateRequest::by_user);
      return;
    case SettingsCommand::maker_site:
      state.platform.open_address(lang::text(maker::kWebSiteKorean, maker::kWebSite));
      return;
    case SettingsCommand::about:
      state.platform.show_information(about_text(), lang::text("tolvik 정보", "About tolvik"));
      return;
    default:
      if (id >= id_of(SettingsCommand::follow_windows)) choose_language(state, id);
      return;
  }
}

std::string about_text() {
  std::string text = lang::fill("tolvik {0}\n\n{1}\n\n{2}\n\n", {maker::kVersion,
      lang::text("업무에 필요한 앱·문서·폴더·웹 주소를 한 번에 여는 무료 프로그램",
                 "A free app that opens the apps, documents, folders and web pages a task needs in one click"),
      lang::text("묶음은 이 PC 에만 저장됩니다 (%APPDATA%\\tolvik). 어디에도 보내지 않습니다.",
                 "Bundles are saved only on this PC (%APPDATA%\\tolvik) and are never sent anywhere.")});
  text += maker::kProductPage;
  text += '\n';
  text += maker::kNotice;
  return text;
}

std::vector<MenuEntry> item_menu_entries(bundle::Kind kind) {
  using enum ItemCommand;
  return {
      MenuEntry::command(open_just_this, std::string(lang::text("이 항목만 열기", "Open just this"))),
      MenuEntry::command(open_location, std::string(lang::text("파일 위치 열기", "Open file location")),
                         kind != bundle::Kind::url),
      MenuEntry::line(),
      MenuEntry::command(rename, std::string(lang::text("이름 바꾸기", "Rename"))),
      MenuEntry::command(arguments, std::string(lang::text("실행할 때 넘길 인수…", "Arguments…")),
                         kind == bundle::Kind::app),
      MenuEntry::command(options, std::string(lang::text("옵션…", "Options…"))),
      MenuEntry::line(),
      MenuEntry::command(remove, std::string(lang::text("묶음에서 빼기 (Del)", "Remove from bundle (Del)"))),
  };
}

void show_item_menu(AppState& state, std::size_t index, float x, float y) {
  // "Open just this" must start the app with the arguments being typed; a
  // commit only renames or appends, so `index` still names the same item.
  end_edit(state, true);
  const bundle::Bundle* selected = state.selected();
  if (!selected || index >= selected->items.size()) return;
  // The menu runs a modal loop: copy what the commands need.
  const bundle::Item item = selected->items[index];
  const std::string bundle_id = selected->id;
  state.selected_item = index;
  state.redraw();

  const auto chosen = static_cast<ItemCommand>(state.platform.show_menu(x, y, item_menu_entries(item.kind)));
  // Only the bundle and the item that the menu was shown for are acted on.
  const bundle::Item* now = item_of(state, bundle_id, index);
  if (!now || now->target != item.target || now->kind != item.kind) return;
  switch (chosen) {
    case ItemCommand::open_just_this:
      if (const auto position = find_bundle(state, bundle_id); position == state.selected_bundle) {
        open_single_item(state, index);
      }
      break;
    case ItemCommand::open_location:
      if (item.kind != bundle::Kind::url) reveal_in_explorer(state, item.kind, item.target);
      break;
    case ItemCommand::rename:
    case ItemCommand::arguments:
      begin_item_edit(state, bundle_id, index, item,
                      chosen == ItemCommand::rename ? EditMode::item_name : EditMode::item_args);
      break;
    case ItemCommand::options:
      edit_item_options(state, bundle_id, index, item);
      break;
    case ItemCommand::remove:
      if (find_bundle(state, bundle_id) == state.selected_bundle) remove_item(state, index);
      break;
    default:
      break;
  }
}

void rename_item(AppState& state, std::size_t index) {
  const bundle::Bundle* selected = state.selected();
  if (!selected || index >= selected->items.size()) return;
  const bundle::Item item = selected->items[index];
  const std::string bundle_id = selected->id;
  begin_item_edit(state, bundle_id, index, item, EditMode::item_name);
}

void reveal_in_explorer(AppState& state, bundle::Kind kind, const std::string& stored) {
  // A packaged app's place is the Applications folder, which lists it.
  if (bundle::is_packaged_app(stored)) {
    state.platform.start_explorer("shell:AppsFolder");
    return;
  }
  const std::string target = base::expand_variables(stored);
  if (kind == bundle::Kind::folder && state.platform.is_directory(target)) {
    state.platform.open_folder(target);
    return;
  }
  if (auto argument = explorer_select_argument(target)) state.platform.start_explorer(*argument);
}

std::optional<std::string> explorer_select_argument(std::string_view target) {
  if (target.find('"') != std::string_view::npos) return std::nullopt;
  std::string argument = "/select,\"";
  argument += target;
  argument += '"';
  return argument;
}

}  // namespace app
