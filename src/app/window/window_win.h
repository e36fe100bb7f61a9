#pragma once
// The main window: its Win32 resources beside the portable application state,
// and the window procedure that hands each message to the state
// (window_win.cpp; its rendering context is in render_context_win.cpp).

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/state/app_state.h"
#include "app/window/icon_cache_win.h"
#include "app/window/icon_worker_win.h"
#include "app/window/uia_provider_win.h"
#include "app/window/window_style_win.h"
#include "base/handle_win.h"
#include "gfx/gfx_win.h"
#include "winshell/notify_icon_win.h"
#include "winshell/taskbar_progress_win.h"

namespace app {

struct MainWindow;

// The window's side of the platform interface.
class WinPlatform final : public Platform {
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

struct MainWindow {
  explicit MainWindow(HWND hwnd) : window(hwnd), platform(hwnd, *this), state(platform) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  // A bundle that is still opening opens to its end first: the window is
  // already gone, the items are not.
  ~MainWindow();

  // Installs (or, with null, removes) the rendering context; icons made by
  // the previous one are dropped.
  void set_gfx(std::unique_ptr<gfx::Gfx> made);
  // Replaces the rendering context with a new one for the window at the
  // state's DPI, releasing the old one first; false when creation failed
  // (the window then has none, and the failure is in the debugger output).
  bool make_gfx();
  // The same from a device made beforehand (see gfx::make_device).
  bool make_gfx(base::Result<gfx::GfxDevice, gfx::GfxError> device);
  // Releases a context that failed at `step` with `hr` (written to the
  // debugger output); the next paint makes a new one.
  void drop_gfx(std::string_view step, HRESULT hr);

  // Sizes the buffers and the layout to the client area. A context whose
  // buffers cannot be resized is dropped, for the next paint to replace.
  void apply_client_size(UINT width, UINT height);
  // One frame from the state (WM_PAINT). A missing context is made first,
  // and one lost during the frame is replaced and the frame drawn again,
  // but no more than one context is made per paint. True when a frame was
  // presented.
  bool paint();

  // The icon worker's answer (kMsgIconsFetched): its icons go into the
  // cache and the window is drawn again.
  void take_fetched_icons();

  // The state's client size from the window (before the first layout).
  void take_client_size();

  // Places and shows or hides the search box and the inline field for the
  // current layout; the search box is made on the first call.
  void layout_edits();

  HWND window;
  WinPlatform platform;
  AppState state;
  EditStyle edit_style;
  std::shared_ptr<gfx::Resources> gfx_resources;  // what outlives a lost device
  std::unique_ptr<gfx::Gfx> gfx;
  IconCache icons;
  // The icon worker's answers, and whether one is on its way.
  std::shared_ptr<IconMailbox> fetched_icons = std::make_shared<IconMailbox>();
  bool icon_worker_busy = false;
  // The two EDIT controls (children of the window, destroyed with it).
  HWND search_box = nullptr;
  HWND inline_field = nullptr;
  // The thread of the last opening started, and the event that stops it
  // (the worker holds a duplicate of its own).
  base::UniqueHandle open_worker;
  base::UniqueHandle open_stop;
  // The update's download on the taskbar button.
  winshell::TaskbarProgress taskbar_progress;
  // The icon in the notification area, while the setting keeps it there.
  winshell::NotifyIcon notify_icon;
  // What screen readers are told of the view; it goes first, while the
  // window still exists, so that clients holding its elements are cut off.
  UiaProvider access{window};
};

// Adds the window's notification-area icon (the program's icon, tip "tolvik");
// false when the shell refused it.
bool add_notify_icon(MainWindow& main);

// Registers the window class "tolvik.Main"; false when that fails.
bool register_main_window_class(HINSTANCE instance);

// Hands the state to the window procedure; from then on it owns it until
// WM_DESTROY. Hand-overs that came before are imported then.
void install_main_window(std::unique_ptr<MainWindow> main);

// Lets files and web addresses be dropped on the window (OLE initialised);
// false when that failed. WM_DESTROY ends it.
bool register_drop_target(HWND window);
// The same drop target, unregistered, for a caller that drives it itself.
Microsoft::WRL::ComPtr<IDropTarget> make_drop_target(HWND window);

// Runs `work` with the installed window's state unless a handler holds it.
void with_main_window(const std::function<void(MainWindow&)>& work);

}  // namespace app
