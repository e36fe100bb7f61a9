#include "app/window/window_style_win.h"

#include <dwmapi.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/bundles/edit_commit.h"
#include "app/reach/startup.h"
#include "app/state/settings_win.h"
#include "app/view/colours.h"
#include "app/view/text_scale.h"
#include "app/view/text_scale_win.h"
#include "app/window/state_slot_win.h"
#include "app/window/window_win.h"
#include "gfx/colorref_win.h"
#include "gfx/palette.h"
#include "gfx/text_style.h"
#include "gfx/view_scale.h"

namespace app {
namespace {

// DWMWA_USE_IMMERSIVE_DARK_MODE, which MinGW's dwmapi.h does not name yet.
constexpr DWORD kUseImmersiveDarkMode = 20;

// The fields' font at the view's text size, in DIPs.
base::UniqueGdiObject field_font(float size, int weight, UINT dpi, float text_scale) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(size * text_scale * static_cast<double>(dpi) / gfx::kBaseDpi));
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  wcscpy_s(lf.lfFaceName, gfx::kTextFamily);
  return base::UniqueGdiObject(CreateFontIndirectW(&lf));
}

// The text size the window is laid out for. WM_GETMINMAXINFO asks for it
// whatever the state is doing (a handler that moves the window is still
// holding it), and reading the one value changes nothing; before the state
// is made, and after the window is gone, it is the system's.
float window_text_scale() {
  if (const MainWindow* main = state_slot().main.get()) return main->state.text_scale;
  return text_scale_factor(read_text_scale_setting());
}

// New fonts and brush for the theme and DPI; a running edit is committed (the
// next one is made with the new fonts); the old objects go after the switch.
void restyle_fields(MainWindow& main) {
  EditStyle old = std::exchange(main.edit_style,
                                make_edit_style(view_palette(main.state), main.state.dpi, main.state.text_scale));
  if (main.search_box) {
    SendMessageW(main.search_box, WM_SETFONT, reinterpret_cast<WPARAM>(main.edit_style.edit_font.get()), TRUE);
  }
  end_edit(main.state, true);
  main.state.redraw();
}

}  // namespace

void set_dark_title_bar(HWND window, bool dark) {
  BOOL value = dark;
  DwmSetWindowAttribute(window, kUseImmersiveDarkMode, &value, sizeof(value));
}

EditStyle make_edit_style(const gfx::Palette& colours, UINT dpi, float text_scale) {
  EditStyle style;
  style.back_color = gfx::colorref(colours.surface_alt);
  style.text_color = gfx::colorref(colours.text);
  style.brush = base::UniqueGdiObject(CreateSolidBrush(style.back_color));
  style.edit_font = field_font(gfx::kBodyTextSize, FW_NORMAL, dpi, text_scale);
  style.title_font = field_font(gfx::kTitleTextSize, FW_SEMIBOLD, dpi, text_scale);
  return style;
}

void follow_system_theme(MainWindow& main) {
  const bool dark = system_dark_mode();
  const bool dark_changed = dark != main.state.dark;
  main.state.dark = dark;
  const bool contrast_changed = follow_high_contrast(main.state);
  if (!dark_changed && !contrast_changed) return;
  if (main.gfx) main.gfx->forget_text_layouts();
  // A high-contrast theme draws the title bar in its own colours.
  set_dark_title_bar(main.window, dark && !main.state.high_contrast);
  restyle_fields(main);
}

void apply_dpi(MainWindow& main, UINT dpi) {
  main.state.dpi = dpi;
  if (main.gfx) main.gfx->set_scale(dpi, main.state.text_scale);
  restyle_fields(main);
}

bool follow_text_size(MainWindow& main) {
  if (!follow_text_scale(main.state)) return false;
  if (main.gfx) main.gfx->set_scale(main.state.dpi, main.state.text_scale);
  restyle_fields(main);
  return true;
}

WindowSize least_window_size(HWND window) {
  const WindowSize least = minimum_window_size(GetDpiForWindow(window), window_text_scale());
  // A large text size on a small screen would ask for more than the screen
  // has; a window that cannot be made small enough to see whole is worse
  // than rows that end in "…".
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return least;
  const RECT& work = monitor.rcWork;
  return {std::min<std::int32_t>(least.width, work.right - work.left),
          std::min<std::int32_t>(least.height, work.bottom - work.top)};
}

void grow_to_minimum_size(HWND window) {
  if (IsZoomed(window) || IsIconic(window)) return;
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return;
  const WindowSize least = least_window_size(window);
  const LONG width = std::max<LONG>(rect.right - rect.left, least.width);
  const LONG height = std::max<LONG>(rect.bottom - rect.top, least.height);
  if (width == rect.right - rect.left && height == rect.bottom - rect.top) return;
  // Grown to the right and down, then moved back as far as needed to stay
  // on its screen.
  LONG left = rect.left;
  LONG top = rect.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    left = std::max<LONG>(work.left, std::min<LONG>(left, work.right - width));
    top = std::max<LONG>(work.top, std::min<LONG>(top, work.bottom - height));
  }
  SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace app
