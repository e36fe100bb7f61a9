#include "app/edit/fields_win.h"

#include <commctrl.h>

#include <cmath>

#include "app/state/messages_win.h"
#include "base/handle_win.h"
#include "base/utf.h"

namespace app {
namespace {

// Turns the keys that end an edit or move through the list into messages for
// the main window, so that an edit never ends inside the control's own
// message processing.
LRESULT CALLBACK key_filter(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR) {
  const bool inline_field = id == kInlineFieldId;
  HWND parent = GetParent(control);
  switch (message) {
    case WM_CHAR:
      // No beep and no character for the keys that end an edit.
      if (wparam == '\t' || wparam == '\r' || wparam == 27) return 0;
      break;
    case WM_KEYDOWN:
      switch (wparam) {
        case VK_RETURN:
        case VK_ESCAPE: {
          const bool enter = wparam == VK_RETURN;
          if (inline_field) {
            PostMessageW(parent, kMsgEditorFinished, enter ? kEditCommitted : kEditCancelled,
                         reinterpret_cast<LPARAM>(control));
          } else {
            PostMessageW(parent, kMsgSearchKey, search_key(enter ? SearchKey::enter : SearchKey::escape), 0);
          }
          return 0;
        }
        case VK_TAB:
          if (!inline_field) {
            // The search box is one stop of the window's focus order: Tab goes on from it.
            const bool back = GetKeyState(VK_SHIFT) < 0;
            PostMessageW(parent, kMsgSearchKey, search_key(back ? SearchKey::back_tab : SearchKey::tab), 0);
            return 0;
          }
          PostMessageW(parent, kMsgEditorFinished, kEditCommitted, reinterpret_cast<LPARAM>(control));
          return 0;
        case VK_UP:
        case VK_DOWN:
          if (inline_field) break;
          PostMessageW(parent, kMsgSearchKey, search_key(wparam == VK_UP ? SearchKey::up : SearchKey::down), 0);
          return 0;
        default:
          break;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, key_filter, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

HWND create_edit(HWND parent, int id, HFONT font, std::string_view cue) {
  HWND control = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const std::wstring cue_text = base::widen(cue);
  SendMessageW(control, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue_text.c_str()));
  SetWindowSubclass(control, key_filter, static_cast<UINT_PTR>(id), 0);
  return control;
}

std::string read_text(HWND control) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return base::narrow(text);
}

void set_text(HWND control, std::string_view text) { SetWindowTextW(control, base::widen(text).c_str()); }

void place_edit(HWND control, const gfx::RectF& rect) {
  const RECT wanted{static_cast<LONG>(std::lround(rect.x)), static_cast<LONG>(std::lround(rect.y)),
                    static_cast<LONG>(std::lround(rect.x + rect.w)), static_cast<LONG>(std::lround(rect.y + rect.h))};
  RECT now{};
  GetWindowRect(control, &now);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&now), 2);
  if (EqualRect(&now, &wanted)) return;
  // The field redraws itself; copying its old pixels over a Direct2D surface
  // only costs a round trip (and under Wine waits for ever).
  SetWindowPos(control, nullptr, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void clip_edit(HWND control, const gfx::RectF& clip) {
  RECT placed{};
  GetWindowRect(control, &placed);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&placed), 2);
  const RECT allowed{static_cast<LONG>(std::lround(clip.x)), static_cast<LONG>(std::lround(clip.y)),
                     static_cast<LONG>(std::lround(clip.x + clip.w)), static_cast<LONG>(std::lround(clip.y + clip.h))};
  RECT shown{};
  IntersectRect(&shown, &placed, &allowed);
  OffsetRect(&shown, -placed.left, -placed.top);
  if (IsRectEmpty(&shown)) SetRectEmpty(&shown);
  RECT now{};
  const int kind = GetWindowRgnBox(control, &now);
  const RECT all{0, 0, placed.right - placed.left, placed.bottom - placed.top};
  const bool whole = EqualRect(&shown, &all);
  if ((kind == ERROR && whole) || (kind != ERROR && EqualRect(&now, &shown))) return;
  if (whole) {
    SetWindowRgn(control, nullptr, TRUE);
    return;
  }
  base::UniqueGdiObject region(CreateRectRgnIndirect(&shown));
  // The window owns the region once it has taken it.
  if (region && SetWindowRgn(control, static_cast<HRGN>(region.get()), TRUE)) region.release();
}

}  // namespace app
