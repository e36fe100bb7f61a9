#pragma once
// The main window: its Win32 resources beside the portable application state,
// and the window procedure that hands each message to the state.

#include <windows.h>

#include <functional>
#include <memory>

#include "app/app_state.h"
#include "app/icon_cache_win.h"
#include "base/handle_win.h"
#include "gfx/gfx_win.h"

namespace app {

// The window's side of the platform interface.
class WinPlatform final : public Platform {
 public:
  explicit WinPlatform(HWND window) : window_(window) {}

  void write_setting_text(std::string_view name, std::string_view value) override;
  void invalidate() override;
  void set_timer(TimerId id, unsigned milliseconds) override;
  double monotonic_seconds() override;
  void start_target_check(std::vector<std::string> targets) override;
  base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items) override;
  bool open_edit_field(const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) override;
  std::string close_edit_field() override;
  void clear_search_box() override;
  std::vector<std::string> open_files_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                             StartFolder start) override;
  std::optional<std::string> pick_folder_dialog(std::string_view title) override;
  std::optional<std::string> save_file_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                              std::string_view default_extension,
                                              std::string_view initial_name) override;
  gfx::TextMeasure* text_measure() override;
  void capture_pointer() override;
  void release_pointer() override;
  void track_pointer_leave() override;
  void focus_window() override;
  void focus_search_box() override;
  void show_bundle_menu(std::size_t bundle, float x, float y) override;
  void show_item_menu(std::size_t item, float x, float y) override;
  void show_settings_menu(float x, float y) override;
  void forget_icon(const std::string& item_key) override;
  bool target_exists(const std::string& target) override;

  // The rendering context the window draws with, when it has one, and its icons.
  void set_text_measure(gfx::TextMeasure* measure) { measure_ = measure; }
  void set_icon_cache(IconCache* icons) { icons_ = icons; }
  base::Status start_item(const bundle::Item& item) override;

 private:
  HWND window_;
  gfx::TextMeasure* measure_ = nullptr;
  IconCache* icons_ = nullptr;
};

// Fonts, brush and colours of the native text fields, made for a theme and DPI.
struct EditStyle {
  base::UniqueGdiObject edit_font;
  base::UniqueGdiObject title_font;
  base::UniqueGdiObject brush;
  COLORREF back_color = 0;
  COLORREF text_color = 0;
};
EditStyle make_edit_style(bool dark, UINT dpi);

struct MainWindow {
  explicit MainWindow(HWND hwnd) : window(hwnd), platform(hwnd), state(platform) {
    platform.set_icon_cache(&icons);
  }

  // Installs (or, with null, removes) the rendering context; icons made by
  // the previous one are dropped.
  void set_gfx(std::unique_ptr<gfx::Gfx> made);

  HWND window;
  WinPlatform platform;
  AppState state;
  EditStyle edit_style;
  std::unique_ptr<gfx::Gfx> gfx;
  IconCache icons;
};

// Registers the window class "tolvik.Main"; false when that fails.
bool register_main_window_class(HINSTANCE instance);

// Hands the state to the window procedure; from then on it owns it until WM_DESTROY.
void install_main_window(std::unique_ptr<MainWindow> main);

// Runs `work` with the installed window's state unless a handler holds it.
void with_main_window(const std::function<void(MainWindow&)>& work);

}  // namespace app
