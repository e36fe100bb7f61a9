#pragma once
// The main window: its Win32 resources beside the portable application state,
// and the window procedure that hands each message to the state.

#include <windows.h>

#include <functional>
#include <memory>

#include "app/app_state.h"
#include "base/handle_win.h"

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
  bool target_exists(const std::string& target) override;
  base::Status start_item(const bundle::Item& item) override;

 private:
  HWND window_;
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
  explicit MainWindow(HWND hwnd) : window(hwnd), platform(hwnd), state(platform) {}

  HWND window;
  WinPlatform platform;
  AppState state;
  EditStyle edit_style;
};

// Registers the window class "tolvik.Main"; false when that fails.
bool register_main_window_class(HINSTANCE instance);

// Hands the state to the window procedure; from then on it owns it until WM_DESTROY.
void install_main_window(std::unique_ptr<MainWindow> main);

// Runs `work` with the installed window's state unless a handler holds it.
void with_main_window(const std::function<void(MainWindow&)>& work);

}  // namespace app
