#include "app/window/dialogs/modal_dialog_win.h"

#include <uxtheme.h>

#include <string>

#include "app/window/window_style_win.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "gfx/colorref_win.h"
#include "gfx/palette.h"

namespace app::dialog {
namespace {

// The palette's colours for the dialog and its fields, and their brushes.
struct Colours {
  COLORREF back = 0, field = 0, text = 0;
  base::UniqueGdiObject back_brush;
  base::UniqueGdiObject field_brush;
};

Colours colours_of(const gfx::Palette& palette) {
  Colours colours;
  colours.back = gfx::colorref(palette.surface);
  colours.field = gfx::colorref(palette.surface_alt);
  colours.text = gfx::colorref(palette.text);
  colours.back_brush = base::UniqueGdiObject(CreateSolidBrush(colours.back));
  colours.field_brush = base::UniqueGdiObject(CreateSolidBrush(colours.field));
  return colours;
}

// What the dialog procedure works on; it lives on run_modal's stack for the
// whole modal loop.
struct Run {
  Page& page;
  Look look;
  Colours colours;
};

Run* run_of(HWND dialog) { return reinterpret_cast<Run*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

void center_on_owner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT outer{}, inner{};
  if (!owner || !GetWindowRect(owner, &outer) || !GetWindowRect(dialog, &inner)) return;
  const int x = outer.left + ((outer.right - outer.left) - (inner.right - inner.left)) / 2;
  const int y = outer.top + ((outer.bottom - outer.top) - (inner.bottom - inner.top)) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dark forms Windows has of the controls: push buttons and fields take
// them; a check box keeps the classic look, whose text takes the colour the
// dialog sets (the themed one draws its text black).
BOOL CALLBACK darken_control(HWND control, LPARAM) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  const std::wstring_view kind(name);
  if (kind == L"Button") {
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      SetWindowTheme(control, L"DarkMode_Explorer", nullptr);
    } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
      SetWindowTheme(control, L"", L"");
    }
  } else if (kind == L"Edit" || kind == L"ComboBox") {
    SetWindowTheme(control, L"DarkMode_CFD", nullptr);
  }
  return TRUE;
}

// The answer to a WM_CTLCOLOR* message: the text and background of a field
// or of the dialog's own surface.
INT_PTR colour_control(const Colours& colours, UINT message, WPARAM wparam) {
  const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  auto dc = reinterpret_cast<HDC>(wparam);
  SetTextColor(dc, colours.text);
  SetBkColor(dc, field ? colours.field : colours.back);
  return reinterpret_cast<INT_PTR>(field ? colours.field_brush.get() : colours.back_brush.get());
}

void init(HWND dialog, Run& run) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&run));
  if (run.look != Look::system) run.colours = colours_of(gfx::palette(run.look == Look::dark));
  if (run.look == Look::dark) {
    set_dark_title_bar(dialog, true);
    EnumChildWindows(dialog, darken_control, 0);
  }
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    Run& run = *reinterpret_cast<Run*>(lparam);
    init(dialog, run);
    const bool focus_first = run.page.init(dialog);
    center_on_owner(dialog);
    return focus_first ? TRUE : FALSE;
  }
  Run* run = run_of(dialog);
  if (!run) return FALSE;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK: press_ok(dialog); break;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
        default: run->page.command(dialog, LOWORD(wparam), HIWORD(wparam)); break;
      }
      return TRUE;
    case WM_NOTIFY:
      run->page.notify(dialog, *reinterpret_cast<const NMHDR*>(lparam));
      return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (run->look == Look::system) return FALSE;
      return colour_control(run->colours, message, wparam);
    default:
      return FALSE;
  }
}

}  // namespace

bool run_modal(HWND owner, const TemplateWriter& layout, Look look, Page& page) {
  Run run{page, look, {}};
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), layout.get(), owner, dialog_procedure,
                                 reinterpret_cast<LPARAM>(&run)) == IDOK;
}

void press_ok(HWND dialog) {
  if (Run* run = run_of(dialog); run && run->page.accept(dialog)) EndDialog(dialog, IDOK);
}

void refuse(HWND dialog, int field, std::string_view text, std::string_view caption) {
  const std::wstring wide = base::widen(text);
  const std::wstring title = base::widen(caption);
  MessageBoxW(dialog, wide.c_str(), title.c_str(), MB_ICONWARNING | MB_OK);
  // Moving the focus the dialog's way selects the field's whole text.
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, field)), TRUE);
}

}  // namespace app::dialog
