#include "app/window/dialogs/installed_apps_dialog_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "app/window/window_style_win.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "gfx/colorref_win.h"
#include "gfx/palette.h"
#include "lang/lang.h"

namespace app {
namespace {

constexpr WORD kListId = 100;
constexpr WORD kLabelId = 101;

// A dialog template built in memory: the header, then each control, every
// record on a DWORD boundary as DialogBoxIndirectParamW expects.
class TemplateWriter {
 public:
  void header(DWORD style, WORD count, short cx, short cy, std::wstring_view title, WORD point_size,
              std::wstring_view font) {
    align();
    DLGTEMPLATE head{};
    head.style = style;
    head.cdit = count;
    head.cx = cx;
    head.cy = cy;
    bytes(&head, sizeof head);
    word(0);  // no menu
    word(0);  // the predefined dialog class
    text(title);
    word(point_size);
    text(font);
  }

  // A control of a predefined class given by name ("SysListView32") or by atom (0x0080: button).
  void control(DWORD style, short x, short y, short cx, short cy, WORD id, std::wstring_view window_class, WORD atom,
               std::wstring_view title) {
    align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    bytes(&item, sizeof item);
    if (atom != 0) {
      word(0xFFFF);
      word(atom);
    } else {
      text(window_class);
    }
    text(title);
    word(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  void bytes(const void* from, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(from);
    const std::size_t at = data_.size();
    data_.resize(at + (size + 1) / 2);
    std::copy(p, p + size, reinterpret_cast<unsigned char*>(data_.data()) + at * 2);
  }
  void word(WORD value) { data_.push_back(value); }
  void text(std::wstring_view value) {
    data_.insert(data_.end(), value.begin(), value.end());
    data_.push_back(0);
  }
  void align() {
    if (data_.size() % 2 != 0) data_.push_back(0);
  }

  std::vector<WORD> data_;
};

// What the dialog procedure works with; it lives on the caller's stack for the
// length of the modal loop.
struct DialogData {
  const std::vector<InstalledApp>* apps;
  InstalledAppsLook look;
  base::UniqueGdiObject background;
  COLORREF text_color = 0;
  COLORREF back_color = 0;
  std::optional<std::size_t> picked;
};

void fill_list(HWND list, const std::vector<InstalledApp>& apps) {
  // The shell's own small icons: the list shares the system image list, never owns it.
  SHFILEINFOW info{};
  const auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L".exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  RECT client{};
  GetClientRect(list, &client);
  column.cx = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  for (std::size_t i = 0; i < apps.size(); ++i) {
    std::wstring name = base::widen(apps[i].name);
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_PARAM | (apps[i].icon >= 0 ? LVIF_IMAGE : 0);
    row.iItem = static_cast<int>(i);
    row.pszText = name.data();
    row.iImage = apps[i].icon;
    row.lParam = static_cast<LPARAM>(i);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
  }
  if (!apps.empty()) {
    LVITEMW first{};
    first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    first.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  }
}

void apply_theme(HWND dialog, HWND list, DialogData& data) {
  // In the system's colours nothing is put over Windows' own drawing.
  if (data.look == InstalledAppsLook::system) return;
  const bool dark = data.look == InstalledAppsLook::dark;
  set_dark_title_bar(dialog, dark);
  const gfx::Palette& colours = gfx::palette(dark);
  data.back_color = gfx::colorref(colours.surface);
  data.text_color = gfx::colorref(colours.text);
  data.background = base::UniqueGdiObject(CreateSolidBrush(data.back_color));
  SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(gfx::colorref(colours.surface_alt)));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(gfx::colorref(colours.surface_alt)));
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(data.text_color));
  // The Explorer look of the list (its selection and scroll bar), dark where
  // Windows has one. The theme library is there once comctl32 6 is; without
  // it the list keeps the classic look.
  using SetTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  if (HMODULE themes = GetModuleHandleW(L"uxtheme.dll")) {
    if (FARPROC found = GetProcAddress(themes, "SetWindowTheme")) {
      reinterpret_cast<SetTheme>(reinterpret_cast<void*>(found))(list, dark ? L"DarkMode_Explorer" : L"Explorer",
                                                                 nullptr);
    }
  }
}

std::optional<std::size_t> selected_app(HWND list) {
  const auto row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return std::nullopt;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return std::nullopt;
  return static_cast<std::size_t>(item.lParam);
}

void finish(HWND dialog, DialogData& data, bool accepted) {
  if (accepted) {
    data.picked = selected_app(GetDlgItem(dialog, kListId));
    if (!data.picked) return;  // nothing chosen yet: the dialog stays
  }
  EndDialog(dialog, accepted ? IDOK : IDCANCEL);
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* data = reinterpret_cast<DialogData*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      data = reinterpret_cast<DialogData*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      HWND list = GetDlgItem(dialog, kListId);
      SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
      apply_theme(dialog, list, *data);
      if (data->apps->empty()) {
        // Nothing to pick: the label says so and Add stays off.
        SetDlgItemTextW(dialog, kLabelId,
                        base::widen(lang::text("설치된 앱을 찾지 못했습니다", "No installed apps were found")).c_str());
        EnableWindow(list, FALSE);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        SetFocus(GetDlgItem(dialog, IDCANCEL));
        return FALSE;
      }
      fill_list(list, *data->apps);
      SetFocus(list);
      return FALSE;  // the focus is set
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      if (!data || !data->background) break;
      SetTextColor(reinterpret_cast<HDC>(wparam), data->text_color);
      SetBkColor(reinterpret_cast<HDC>(wparam), data->back_color);
      return reinterpret_cast<INT_PTR>(data->background.get());
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (data && header->idFrom == kListId && header->code == NM_DBLCLK) finish(dialog, *data, true);
      return FALSE;
    }
    case WM_COMMAND:
      if (!data) break;
      if (LOWORD(wparam) == IDOK) finish(dialog, *data, true);
      if (LOWORD(wparam) == IDCANCEL) finish(dialog, *data, false);
      return TRUE;
    default: break;
  }
  return FALSE;
}

}  // namespace

std::optional<std::size_t> run_installed_apps_dialog(HWND owner, const std::vector<InstalledApp>& apps,
                                                     InstalledAppsLook look) {
  // The list view is a common control: its class exists once comctl32 says so.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  const std::wstring title = base::widen(lang::text("설치된 앱", "Installed apps"));
  const std::wstring label = base::widen(lang::text("넣을 앱을 고르세요:", "Choose the app to add:"));
  const std::wstring add = base::widen(lang::text("넣기", "Add"));
  const std::wstring cancel = base::widen(lang::text("취소", "Cancel"));
  TemplateWriter dialog;
  dialog.header(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 4, 240, 226, title, 9,
                L"MS Shell Dlg");
  dialog.control(SS_LEFT | SS_NOPREFIX, 7, 7, 226, 10, kLabelId, {}, 0x0082, label);
  dialog.control(WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                     LVS_SHAREIMAGELISTS,
                 7, 20, 226, 178, kListId, WC_LISTVIEWW, 0, {});
  dialog.control(WS_TABSTOP | BS_DEFPUSHBUTTON, 129, 205, 50, 14, IDOK, {}, 0x0080, add);
  dialog.control(WS_TABSTOP | BS_PUSHBUTTON, 183, 205, 50, 14, IDCANCEL, {}, 0x0080, cancel);

  DialogData data{&apps, look, {}, 0, 0, std::nullopt};
  const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, dialog_procedure,
                                                 reinterpret_cast<LPARAM>(&data));
  if (answer != IDOK) return std::nullopt;
  return data.picked;
}

}  // namespace app
