#pragma once
// The window's side of the platform interface and of every feature's host:
// settings in the registry, the window's effects, its modal dialogs and menus,
// the workers it starts (win_platform_win.cpp).

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/bundles/installed_apps_host.h"
#include "app/opening/opening_host.h"
#include "app/reach/notification_host.h"
#include "app/reach/sign_in_host.h"
#include "app/state/hotkey_host.h"
#include "app/state/platform.h"
#include "app/updater/update_host.h"

namespace app {

struct MainWindow;

// The window's side of the platform interface.
class WinPlatform final : public Platform,
                          public HotkeyHost,
                          public NotificationHost,
                          public SignInHost,
                          public InstalledAppsHost,
                          public OpeningHost,
                          public UpdateHost {
 public:
  WinPlatform(HWND window, MainWindow& owner) : window_(window), owner_(owner) {}

  base::Status write_setting_text(std::string_view name, std::string_view value) override;
  std::optional<std::string> read_setting_text(std::string_view name) override;
  std::optional<std::uint32_t> read_setting_number(std::string_view name) override;
  base::Status write_setting_number(std::string_view name, std::uint32_t value) override;
  std::optional<gfx::SystemColours> high_contrast_colours() override;
  std::optional<std::uint32_t> text_scale_setting() override;
  void invalidate() override;
  void set_timer(TimerId id, unsigned milliseconds) override;
  double monotonic_seconds() override;
  void start_target_check(std::vector<std::string> targets) override;
  base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items,
                                 std::vector<std::size_t> positions) override;
  CloseReport close_last_opening(const std::string& bundle_id) override;
  void stop_opening() override;
  bool open_edit_field(const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) override;
  std::string close_edit_field() override;
  void clear_search_box() override;
  std::vector<std::string> open_files_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                             StartFolder start) override;
  std::optional<std::string> pick_folder_dialog(std::string_view title) override;
  std::vector<InstalledApp> installed_apps() override;
  std::optional<std::size_t> choose_installed_app(const std::vector<InstalledApp>& apps) override;
  std::optional<std::string> save_file_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                              std::string_view default_extension,
                                              std::string_view initial_name) override;
  gfx::TextMeasure* text_measure() override;
  void capture_pointer() override;
  void release_pointer() override;
  void track_pointer_leave() override;
  void focus_window() override;
  void focus_search_box() override;
  int show_menu(float x, float y, const std::vector<MenuEntry>& entries) override;
  void show_information(std::string_view text, std::string_view caption) override;
  bool ask_yes_no(std::string_view text) override;
  std::optional<bundle::ItemOptions> edit_item_options(const bundle::Item& item) override;
  std::optional<HotkeyChoice> edit_bundle_hotkey(const HotkeyDialogInput& input) override;
  std::vector<HotkeyRegistration> hotkey_registrations() override;
  void register_hotkey(const std::string& bundle_id, const bundle::Hotkey& hotkey) override;
  void unregister_hotkey(const std::string& bundle_id) override;
  // The bundle whose hotkey has the id a WM_HOTKEY names.
  std::optional<std::string> hotkey_bundle(int id) const;
  void forget_icon(const std::string& item_key) override;
  bool target_exists(const std::string& target) override;
  base::Status start_item(const bundle::Item& item) override;
  bool is_directory(const std::string& path) override;
  void open_folder(const std::string& path) override;
  void start_explorer(const std::string& arguments) override;
  void open_address(std::string_view address) override;
  base::Status start_update_check(bool requested_by_user) override;
  bool offer_update(std::string_view text) override;
  base::Status start_update_download(UpdateOffer offer) override;
  void show_download_progress(std::uint64_t received, std::uint64_t size) override;
  void hide_download_progress() override;
  base::Status start_installer(const VerifiedInstaller& installer) override;
  void close_for_update() override;
  base::Result<std::string> desktop_folder() override;
  base::Result<std::string> program_path() override;
  ShortcutOutcome create_shortcut(const std::string& path, const std::string& target, const std::string& arguments,
                                  const std::string& description) override;
  std::vector<std::string> explorer_folders() override;
  void bring_to_front() override;
  bool sign_in_turned_off() override;
  base::Status keep_run_value(bool wanted) override;
  int show_notification_menu(int x, int y, const std::vector<MenuEntry>& entries) override;
  void show_notification_icon(bool shown) override;
  bool window_hidden() override;
  void show_balloon(std::string_view text) override;
  void show_window() override;
  void quit() override;
  HotkeyHost& hotkey_host() override { return *this; }
  NotificationHost& notification_host() override { return *this; }
  SignInHost& sign_in_host() override { return *this; }
  InstalledAppsHost& installed_apps_host() override { return *this; }
  OpeningHost& opening_host() override { return *this; }
  UpdateHost& update_host() override { return *this; }

 private:
  // TrackPopupMenu at a screen point with the state lent out; 0 when the
  // window went away.
  int track_menu(const std::vector<MenuEntry>& entries, POINT screen);

  HWND window_;
  MainWindow& owner_;
  // The window's hotkeys with the ids RegisterHotKey was given (0: refused);
  // Windows drops them when the window ends.
  struct WindowHotkey {
    int id = 0;
    HotkeyRegistration registration;
  };
  std::vector<WindowHotkey> hotkeys_;
  int last_hotkey_id_ = 0;
};

}  // namespace app
