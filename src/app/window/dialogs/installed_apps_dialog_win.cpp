#include "app/window/dialogs/installed_apps_dialog_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <string>

#include "app/window/dialogs/dialog_template_win.h"
#include "app/window/dialogs/modal_dialog_win.h"
#include "base/utf.h"
#include "gfx/colorref_win.h"
#include "gfx/palette.h"
#include "lang/lang.h"

namespace app {
namespace {

constexpr WORD kListId = 100;
constexpr WORD kLabelId = 101;

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

// The list draws its rows itself: in the palette's field colours, with the
// Explorer look (its selection and scroll bar), dark where Windows has one.
// In the system's colours nothing is put over Windows' own drawing.
void colour_list(HWND list, dialog::Look look) {
  if (look == dialog::Look::system) return;
  const bool dark = look == dialog::Look::dark;
  const gfx::Palette& colours = gfx::palette(dark);
  SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(gfx::colorref(colours.surface_alt)));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(gfx::colorref(colours.surface_alt)));
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(gfx::colorref(colours.text)));
  SetWindowTheme(list, dark ? L"DarkMode_Explorer" : L"Explorer", nullptr);
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

class InstalledAppsPage final : public dialog::Page {
 public:
  InstalledAppsPage(const std::vector<InstalledApp>& apps, dialog::Look look) : apps_(apps), look_(look) {}

  bool init(HWND dialog) override {
    HWND list = GetDlgItem(dialog, kListId);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    colour_list(list, look_);
    if (apps_.empty()) {
      // Nothing to pick: the label says so and Add stays off.
      SetDlgItemTextW(dialog, kLabelId,
                      base::widen(lang::text("설치된 앱을 찾지 못했습니다", "No installed apps were found")).c_str());
      EnableWindow(list, FALSE);
      EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
      SetFocus(GetDlgItem(dialog, IDCANCEL));
      return false;
    }
    fill_list(list, apps_);
    SetFocus(list);
    return false;  // the focus is set
  }

  // Nothing chosen yet: the dialog stays.
  bool accept(HWND dialog) override {
    picked = selected_app(GetDlgItem(dialog, kListId));
    return picked.has_value();
  }

  void notify(HWND dialog, const NMHDR& header) override {
    if (header.idFrom == kListId && header.code == NM_DBLCLK) dialog::press_ok(dialog);
  }

  std::optional<std::size_t> picked;

 private:
  const std::vector<InstalledApp>& apps_;
  dialog::Look look_;
};

// The label, the list below it and Add and Cancel, in dialog units.
dialog::TemplateWriter layout() {
  constexpr short kWidth = 240, kListTop = 20, kListHeight = 178;
  constexpr short kInner = kWidth - 2 * dialog::kMargin;
  const dialog::DialogFont font = dialog::message_font();
  const dialog::ButtonRow buttons(dialog::DluMeasure(font), std::string(lang::text("넣기", "Add")),
                                  std::string(lang::text("취소", "Cancel")));
  const short buttons_y = kListTop + kListHeight + dialog::kMargin;
  dialog::TemplateWriter dialog(lang::text("설치된 앱", "Installed apps"), font, kWidth,
                                static_cast<short>(buttons_y + dialog::kButtonHeight + dialog::kMargin));
  dialog.control(dialog::kStatic, kLabelId, SS_LEFT | SS_NOPREFIX, dialog::kMargin, dialog::kMargin, kInner, 10,
                 lang::text("넣을 앱을 고르세요:", "Choose the app to add:"));
  dialog.control(WC_LISTVIEWW, kListId,
                 WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                     LVS_SHAREIMAGELISTS,
                 dialog::kMargin, kListTop, kInner, kListHeight);
  buttons.write(dialog, kWidth, buttons_y);
  return dialog;
}

}  // namespace

std::optional<std::size_t> run_installed_apps_dialog(HWND owner, const std::vector<InstalledApp>& apps,
                                                     dialog::Look look) {
  // The list view is a common control: its class exists once comctl32 says so.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  InstalledAppsPage page(apps, look);
  if (!dialog::run_modal(owner, layout(), look, page)) return std::nullopt;
  return page.picked;
}

}  // namespace app
