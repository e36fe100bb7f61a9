#pragma once
// How the window looks beyond the drawn view: the title bar's theme, the
// native fields' fonts and colours, and following the system's theme and the
// monitor's DPI.

#include <windows.h>

#include "base/handle_win.h"
#include "gfx/palette.h"

namespace app {

struct MainWindow;

// The title bar follows the app theme (a failure leaves it as it is).
void set_dark_title_bar(HWND window, bool dark);

// Fonts, brush and colours of the native text fields, made for a theme and DPI.
struct EditStyle {
  base::UniqueGdiObject edit_font;
  base::UniqueGdiObject title_font;
  base::UniqueGdiObject brush;
  COLORREF back_color = 0;
  COLORREF text_color = 0;
};
EditStyle make_edit_style(const gfx::Palette& colours, UINT dpi);

// Takes the system's app theme when it changed: palette, title bar, fields.
void follow_system_theme(MainWindow& main);

// The window now shows at `dpi`: the view, the rendering context and the
// fields are scaled to it. Placing the window is the caller's.
void apply_dpi(MainWindow& main, UINT dpi);

}  // namespace app
