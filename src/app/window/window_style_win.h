#pragma once
// How the window looks beyond the drawn view: the title bar's theme, the
// native fields' fonts and colours, and following the system's theme and the
// monitor's DPI.
// Defined in window_style_win.cpp.

#include <windows.h>

#include "app/reach/startup.h"
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
// The fonts are the view's text sizes at `dpi`, `text_scale` times larger
// (Windows' text size).
EditStyle make_edit_style(const gfx::Palette& colours, UINT dpi, float text_scale);

// Takes the system's app theme when it changed: palette, title bar, fields.
void follow_system_theme(MainWindow& main);

// The window now shows at `dpi`: the view, the rendering context and the
// fields are scaled to it. Placing the window is the caller's.
void apply_dpi(MainWindow& main, UINT dpi);

// Takes Windows' text size when it changed: the text formats, the kept text
// layouts and the fields' fonts are made again at the new size, and the
// window's minimum size follows (grow_to_minimum_size, once the state is
// free, makes a smaller window fit it). True when it changed.
bool follow_text_size(MainWindow& main);

// The least size the window may take: the smallest window for its DPI and
// the text size, but never more than its screen's work area. Answered
// whatever the state is doing, also before there is one.
WindowSize least_window_size(HWND window);

// Makes a window that is smaller than its minimum size (the text size may
// have grown) as large as that, kept on its screen; a maximised or minimised window is left.
// Sends messages to the window, so the state must be free.
void grow_to_minimum_size(HWND window);

}  // namespace app
