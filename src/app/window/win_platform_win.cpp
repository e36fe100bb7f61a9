// The window's side of the platform interface: settings, timers, workers,
// the native text fields, popup menus and message boxes, the shell.

#include "app/window/win_platform_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "app/edit/fields_win.h"
#include "app/opening/opening_record_win.h"
#include "app/opening/shell_opener_win.h"
#include "app/opening/workers_win.h"
#include "app/reach/sign_in_win.h"
#include "app/state/maker.h"
#include "app/state/messages_win.h"
#include "app/state/program_names_win.h"
#include "app/state/settings_win.h"
#include "app/updater/installer_win.h"
#include "app/updater/update_workers_win.h"
#include "app/view/text_scale_win.h"
#include "app/window/dialogs/hotkey_dialog_win.h"
#include "app/window/dialogs/installed_apps_dialog_win.h"
#include "app/window/dialogs/options_dialog_win.h"
#include "app/window/state_slot_win.h"
#include "app/window/window_win.h"
#include "base/file.h"
#include "base/process_win.h"
#include "base/program_path.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "gfx/colorref_win.h"
#include "lang/lang.h"
#include "winshell/apps_folder_win.h"
#include "winshell/dialogs_win.h"
#include "winshell/explorer_windows_win.h"
#include "winshell/shell_link_win.h"

namespace app {
namespace {

std::int32_t saturate(float value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<float>(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
  if (value <= static_cast<float>(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

bool append(HMENU menu, UINT flags, UINT_PTR id, std::string_view label) {
  return AppendMenuW(menu, flags, id, base::widen(label).c_str()) != FALSE;
}

void append_entries(HMENU menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    if (entry.separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT flags = (entry.enabled ? MF_STRING : MF_GRAYED) | (entry.checked ? MF_CHECKED : 0);
    if (entry.submenu.empty()) {
      append(menu, flags, static_cast<UINT_PTR>(entry.id), entry.label);
      continue;
    }
    base::UniqueMenu submenu(CreatePopupMenu());
    if (!submenu) continue;
    append_entries(submenu.get(), entry.submenu);
    // Once appended, the menu owns the submenu and destroys it with itself.
    if (append(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()), entry.label)) submenu.release();
  }
}

// RegisterHotKey's modifiers: a key held down does not repeat the press.
UINT hotkey_modifiers(const bundle::Hotkey& hotkey) {
  UINT modifiers = MOD_NOREPEAT;
  if (hotkey.ctrl) modifiers |= MOD_CONTROL;
  if (hotkey.alt) modifiers |= MOD_ALT;
  if (hotkey.shift) modifiers |= MOD_SHIFT;
  return modifiers;
}

}  // namespace

base::Status WinPlatform::write_setting_text(std::string_view name, std::string_view value) {
  return app::write_setting_text(name, value);
}

std::optional<std::string> WinPlatform::read_setting_text(std::string_view name) { return app::read_setting_text(name); }

std::optional<std::uint32_t> WinPlatform::read_setting_number(std::string_view name) {
  return app::read_setting_number(name);
}

base::Status WinPlatform::write_setting_number(std::string_view name, std::uint32_t value) {
  return app::write_setting_number(name, value);
}

namespace {

gfx::Color system_colour(int index) { return gfx::color_of(GetSysColor(index)); }

// Wine 8 always answers SPI_GETHIGHCONTRAST with "off", so the end-to-end
// tests cannot turn high contrast on. TOLVIK_TEST_HIGH_CONTRAST=1 makes
// tolvik act as if it were on, with the system's real colours; nothing else
// reads it, and Windows' own answer still counts when it is not set.
bool test_says_high_contrast() {
  wchar_t value[4] = {};
  const DWORD length = GetEnvironmentVariableW(L"TOLVIK_TEST_HIGH_CONTRAST", value, 4);
  return length == 1 && value[0] == L'1';
}

// The dialogs are drawn dark only in the dark theme without high contrast: a
// high-contrast theme's colours are the system's, which Windows' own drawing
// of the dialogs uses when nothing is put over them.
bool dark_dialogs(const AppState& state) { return state.dark && !state.high_contrast; }

}  // namespace

std::optional<gfx::SystemColours> WinPlatform::high_contrast_colours() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  const bool on = (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                   (contrast.dwFlags & HCF_HIGHCONTRASTON)) ||
                  test_says_high_contrast();
  if (!on) return std::nullopt;
  return gfx::SystemColours{system_colour(COLOR_WINDOW),    system_colour(COLOR_WINDOWTEXT),
                            system_colour(COLOR_HIGHLIGHT), system_colour(COLOR_HIGHLIGHTTEXT),
                            system_colour(COLOR_BTNFACE),   system_colour(COLOR_BTNTEXT),
                            system_colour(COLOR_GRAYTEXT),  system_colour(COLOR_HOTLIGHT)};
}

std::optional<std::uint32_t> WinPlatform::text_scale_setting() { return read_text_scale_setting(); }

void WinPlatform::invalidate() { InvalidateRect(window_, nullptr, FALSE); }

void WinPlatform::set_timer(TimerId id, unsigned milliseconds) {
  SetTimer(window_, static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

double WinPlatform::monotonic_seconds() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void WinPlatform::start_target_check(std::vector<std::string> targets) {
  start_target_check_worker(window_, std::move(targets));
}

base::Status WinPlatform::start_open_worker(std::string bundle_id, std::vector<bundle::Item> items,
                                            std::vector<std::size_t> positions) {
  // A manual-reset event: once set it stays set for every wait of the opening.
  base::UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop) return base::fail(base::system_error_text(GetLastError()));
  auto thread = app::start_open_worker(window_, std::move(bundle_id), std::move(items), std::move(positions), stop.get());
  if (!thread) return base::fail(thread.error().text);
  owner_.open_worker = std::move(thread).value();
  owner_.open_stop = std::move(stop);
  return {};
}

CloseReport WinPlatform::close_last_opening(const std::string& bundle_id) {
  return app::close_last_opening(bundle_id);
}

void WinPlatform::stop_opening() {
  if (owner_.open_stop) SetEvent(owner_.open_stop.get());
}

bool WinPlatform::open_edit_field(const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) {
  const auto font = static_cast<HFONT>(edit.mode == EditMode::bundle_name ? owner_.edit_style.title_font.get()
                                                                          : owner_.edit_style.edit_font.get());
  HWND field = create_edit(window_, kInlineFieldId, font, cue);
  if (!field) return false;
  set_text(field, initial_text);
  SendMessageW(field, EM_SETSEL, 0, -1);
  owner_.inline_field = field;
  // A frame of the edit is drawn before the field is shown: once it is, the
  // window's frames leave out the part under it, and that part would go on
  // showing the view from before (another bundle's title, under Wine).
  owner_.paint();
  ShowWindow(field, SW_SHOW);
  SetFocus(field);
  return true;
}

std::string WinPlatform::close_edit_field() {
  HWND field = std::exchange(owner_.inline_field, nullptr);
  if (!field) return {};
  std::string text = read_text(field);
  const bool had_focus = GetFocus() == field;
  DestroyWindow(field);
  if (had_focus) SetFocus(window_);
  return text;
}

void WinPlatform::clear_search_box() {
  if (owner_.search_box) set_text(owner_.search_box, "");
}

std::vector<std::string> WinPlatform::open_files_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                                        StartFolder start) {
  std::optional<std::string> folder;
  if (start == StartFolder::common_programs) {
    if (auto programs = winshell::known_folder_path(FOLDERID_CommonPrograms)) folder = std::move(*programs);
  }
  Lend lend;
  std::vector<std::string> paths = winshell::open_files_dialog(window_, title, filters, folder);
  if (!lend.state_alive()) return {};
  return paths;
}

std::optional<std::string> WinPlatform::pick_folder_dialog(std::string_view title) {
  Lend lend;
  std::optional<std::string> folder = winshell::pick_folder_dialog(window_, title);
  if (!lend.state_alive()) return std::nullopt;
  return folder;
}

std::vector<InstalledApp> WinPlatform::installed_apps() {
  std::vector<InstalledApp> apps;
  for (winshell::AppsFolderEntry& entry : winshell::apps_folder_entries()) {
    apps.push_back({std::move(entry.name), std::move(entry.parsing_name), entry.icon});
  }
  return apps;
}

std::optional<std::size_t> WinPlatform::choose_installed_app(const std::vector<InstalledApp>& apps) {
  const dialog::Look look = owner_.state.high_contrast ? dialog::Look::system
                            : owner_.state.dark        ? dialog::Look::dark
                                                       : dialog::Look::light;
  Lend lend;
  std::optional<std::size_t> picked = run_installed_apps_dialog(window_, apps, look);
  if (!lend.state_alive()) return std::nullopt;
  return picked;
}

std::optional<std::string> WinPlatform::save_file_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                                         std::string_view default_extension,
                                                         std::string_view initial_name) {
  Lend lend;
  std::optional<std::string> path =
      winshell::save_file_dialog(window_, title, filters, default_extension, initial_name);
  if (!lend.state_alive()) return std::nullopt;
  return path;
}

gfx::TextMeasure* WinPlatform::text_measure() { return owner_.gfx.get(); }

void WinPlatform::capture_pointer() { SetCapture(window_); }

void WinPlatform::release_pointer() { ReleaseCapture(); }

void WinPlatform::track_pointer_leave() {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = window_;
  TrackMouseEvent(&track);
}

void WinPlatform::focus_window() { SetFocus(window_); }

void WinPlatform::focus_search_box() {
  owner_.layout_edits();
  if (!owner_.search_box) return;
  SetFocus(owner_.search_box);
  SendMessageW(owner_.search_box, EM_SETSEL, 0, -1);
}

int WinPlatform::track_menu(const std::vector<MenuEntry>& entries, POINT screen) {
  base::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return 0;
  append_entries(menu.get(), entries);
  Lend lend;
  const int id = static_cast<int>(
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr));
  return lend.state_alive() ? id : 0;
}

int WinPlatform::show_menu(float x, float y, const std::vector<MenuEntry>& entries) {
  POINT point{saturate(x), saturate(y)};
  ClientToScreen(window_, &point);
  return track_menu(entries, point);
}

int WinPlatform::show_notification_menu(int x, int y, const std::vector<MenuEntry>& entries) {
  // Without the front a click elsewhere would leave the menu open, and after
  // it a message must pass through the queue for a second one to open at
  // once (the TrackPopupMenu documentation's notification-area rule).
  SetForegroundWindow(window_);
  const int id = track_menu(entries, POINT{x, y});
  PostMessageW(window_, WM_NULL, 0, 0);
  return id;
}

void WinPlatform::show_notification_icon(bool shown) {
  if (shown) {
    add_notify_icon(owner_);
  } else {
    owner_.notify_icon.remove();
  }
}

bool WinPlatform::window_hidden() { return owner_.notify_icon.shown() && !IsWindowVisible(window_); }

void WinPlatform::show_balloon(std::string_view text) {
  owner_.notify_icon.show_balloon(kWindowTitle, base::widen(text));
}

// Showing the window sends it messages that need the state, so it is done
// from a message of its own once this handler is through.
void WinPlatform::show_window() { PostMessageW(window_, kMsgShowWindow, 0, 0); }

void WinPlatform::quit() { PostMessageW(window_, kMsgQuit, 0, 0); }

void WinPlatform::show_information(std::string_view text, std::string_view caption) {
  const std::wstring wide_text = base::widen(text);
  const std::wstring wide_caption = base::widen(caption);
  Lend lend;
  MessageBoxW(window_, wide_text.c_str(), wide_caption.c_str(), MB_ICONINFORMATION);
}

bool WinPlatform::ask_yes_no(std::string_view text) {
  const std::wstring wide_text = base::widen(text);
  Lend lend;
  // No is the default button: Enter alone must not start what someone else chose.
  const int answer = MessageBoxW(window_, wide_text.c_str(), kWindowTitle, MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2);
  return lend.state_alive() && answer == IDYES;
}

std::optional<bundle::ItemOptions> WinPlatform::edit_item_options(const bundle::Item& item) {
  // The dialog's own copy: the state may change under its modal loop.
  const bundle::Item shown = item;
  const bool dark = dark_dialogs(owner_.state);
  Lend lend;
  std::optional<bundle::ItemOptions> chosen = show_options_dialog(window_, shown, dark);
  if (!lend.state_alive()) return std::nullopt;
  return chosen;
}

std::optional<HotkeyChoice> WinPlatform::edit_bundle_hotkey(const HotkeyDialogInput& input) {
  const HotkeyDialogInput shown = input;
  const bool dark = dark_dialogs(owner_.state);
  // A registered key never reaches the hotkey field: Windows turns it into
  // WM_HOTKEY first, which would open that bundle instead of showing whose
  // key it is. The window gives its keys up while the dialog is open.
  for (WindowHotkey& hotkey : hotkeys_) {
    if (hotkey.id != 0) UnregisterHotKey(window_, hotkey.id);
  }
  std::optional<HotkeyChoice> chosen;
  bool alive = false;
  {
    Lend lend;
    chosen = show_hotkey_dialog(window_, shown, dark);
    alive = lend.state_alive();
  }
  if (!alive) return std::nullopt;
  // Taken back as before; one another program took meanwhile is not held now.
  bool lost = false;
  for (WindowHotkey& hotkey : hotkeys_) {
    if (hotkey.id == 0) continue;
    const bundle::Hotkey& key = hotkey.registration.hotkey;
    if (!RegisterHotKey(window_, hotkey.id, hotkey_modifiers(key), key.key)) {
      hotkey.id = 0;
      hotkey.registration.held = false;
      lost = true;
    }
  }
  if (lost) owner_.state.redraw();
  return chosen;
}

std::vector<HotkeyRegistration> WinPlatform::hotkey_registrations() {
  std::vector<HotkeyRegistration> registered;
  for (const WindowHotkey& hotkey : hotkeys_) registered.push_back(hotkey.registration);
  return registered;
}

void WinPlatform::register_hotkey(const std::string& bundle_id, const bundle::Hotkey& hotkey) {
  unregister_hotkey(bundle_id);
  // Ids 0x0000-0xBFFF are an application's; a fresh one per registration
  // keeps a late WM_HOTKEY of a key given back from reaching another bundle.
  last_hotkey_id_ = last_hotkey_id_ % 0xBFFF + 1;
  const bool held = RegisterHotKey(window_, last_hotkey_id_, hotkey_modifiers(hotkey), hotkey.key) != 0;
  hotkeys_.push_back({held ? last_hotkey_id_ : 0, {bundle_id, hotkey, held}});
}

void WinPlatform::unregister_hotkey(const std::string& bundle_id) {
  std::erase_if(hotkeys_, [this, &bundle_id](const WindowHotkey& hotkey) {
    if (hotkey.registration.bundle_id != bundle_id) return false;
    if (hotkey.id != 0) UnregisterHotKey(window_, hotkey.id);
    return true;
  });
}

std::optional<std::string> WinPlatform::hotkey_bundle(int id) const {
  for (const WindowHotkey& hotkey : hotkeys_) {
    if (hotkey.id != 0 && hotkey.id == id) return hotkey.registration.bundle_id;
  }
  return std::nullopt;
}

void WinPlatform::forget_icon(const std::string& item_key) { owner_.icons.forget(item_key); }

bool WinPlatform::target_exists(const std::string& target) { return base::path_exists(target); }

base::Status WinPlatform::start_item(const bundle::Item& item) { return start_item_with_shell(item).status; }

bool WinPlatform::is_directory(const std::string& path) { return base::is_directory(path); }

void WinPlatform::open_folder(const std::string& path) { open_with_default_verb(path); }

void WinPlatform::start_explorer(const std::string& arguments) {
  // explorer.exe from the Windows folder, never one found on the search path.
  wchar_t windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::string program = base::narrow(std::wstring_view(windows, length)) + "\\explorer.exe";
  (void)base::start_process(program, "\"" + program + "\" " + arguments);
}

void WinPlatform::open_address(std::string_view address) {
  ShellExecuteW(nullptr, L"open", base::widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool WinPlatform::sign_in_turned_off() { return run_value_turned_off(); }

base::Status WinPlatform::keep_run_value(bool wanted) { return app::keep_run_value(wanted); }

base::Result<std::string> WinPlatform::desktop_folder() { return winshell::known_folder_path(FOLDERID_Desktop); }

base::Result<std::string> WinPlatform::program_path() {
  if (std::optional<std::string> path = base::program_path()) return std::move(*path);
  return base::fail(base::last_error_text());
}

ShortcutOutcome WinPlatform::create_shortcut(const std::string& path, const std::string& target,
                                             const std::string& arguments, const std::string& description) {
  const winshell::NewLinkResult made = winshell::create_shell_link_file(path, target, arguments, description);
  switch (made.outcome) {
    case winshell::NewLink::created: return {ShortcutOutcome::Kind::created, {}};
    case winshell::NewLink::name_taken: return {ShortcutOutcome::Kind::name_taken, {}};
    case winshell::NewLink::failed: break;
  }
  return {ShortcutOutcome::Kind::failed, made.error};
}

std::vector<std::string> WinPlatform::explorer_folders() { return winshell::explorer_folders(); }

void WinPlatform::bring_to_front() { SetForegroundWindow(window_); }

base::Status WinPlatform::start_update_check(bool requested_by_user) {
  return start_update_check_worker(
      window_, manifest_address(maker::kUpdateServer, maker::kVersion, lang::current_language()), requested_by_user);
}

bool WinPlatform::offer_update(std::string_view text) {
  const std::wstring wide_text = base::widen(text);
  Lend lend;
  const int answer = MessageBoxW(window_, wide_text.c_str(), kWindowTitle, MB_YESNO | MB_ICONINFORMATION);
  return lend.state_alive() && answer == IDYES;
}

base::Status WinPlatform::start_update_download(UpdateOffer offer) {
  return start_installer_worker(window_, std::move(offer));
}

void WinPlatform::show_download_progress(std::uint64_t received, std::uint64_t size) {
  owner_.taskbar_progress.show(window_, received, size);
}

void WinPlatform::hide_download_progress() { owner_.taskbar_progress.hide(window_); }

base::Status WinPlatform::start_installer(const VerifiedInstaller& installer) {
  return start_installer_process(installer);
}

void WinPlatform::close_for_update() {
  save_window_placement(window_);
  DestroyWindow(window_);
}

}  // namespace app
