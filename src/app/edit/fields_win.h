#pragma once
// The two native EDIT controls laid over the view: the search box (id 101)
// and the inline field (id 102). Their Enter, Esc, Tab, Up and Down come back
// to the main window as WM_APP+5 and WM_APP+6.
// Defined in fields_win.cpp.

#include <windows.h>

#include <string>
#include <string_view>

#include "gfx/geometry.h"

namespace app {

inline constexpr int kSearchBoxId = 101;
inline constexpr int kInlineFieldId = 102;

// A hidden child EDIT at 0, 0, 10 × 10 with `font`, the cue banner (shown while
// focused too) and the key filter; null when it cannot be created.
HWND create_edit(HWND parent, int id, HFONT font, std::string_view cue);

// The control's whole text as UTF-8.
std::string read_text(HWND control);
void set_text(HWND control, std::string_view text);

// Moves the control to `rect` (client pixels, rounded) without activating it.
void place_edit(HWND control, const gfx::RectF& rect);
// Shows only the part of the control inside `clip` (client pixels); none of
// it when they do not meet. The control keeps its size and the focus.
void clip_edit(HWND control, const gfx::RectF& clip);

}  // namespace app
