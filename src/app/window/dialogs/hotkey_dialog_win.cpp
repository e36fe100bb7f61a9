#include "app/window/dialogs/hotkey_dialog_win.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>

#include "app/edit/fields_win.h"
#include "app/opening/item_options.h"
#include "app/window/dialogs/dialog_template_win.h"
#include "app/window/window_style_win.h"
#include "base/utf.h"
#include "lang/lang.h"

namespace app {
namespace {

using dialog::kButton, dialog::kEdit, dialog::kStatic;

enum Control : WORD {
  kHotkeyLabel = 1001,
  kHotkeyField,
  kClear,
  kDelayLabel,
  kDelayEdit,
  kDelayUnit,
};

struct Texts {
  std::string title, hotkey, clear, delay, seconds, ok, cancel;
};

Texts texts_for(const HotkeyDialogInput& input) {
  Texts t;
  t.title = hotkey_dialog_title(input.bundle_name);
  t.hotkey = lang::text("단축키(&H):", "&Hotkey:");
  t.clear = lang::text("지우기(&L)", "C&lear");
  t.delay = lang::text("로그인 후 대기(&W):", "&Wait after sign-in:");
  t.seconds = lang::text("초", "seconds");
  t.ok = lang::text("확인", "OK");
  t.cancel = lang::text("취소", "Cancel");
  return t;
}

struct DialogRun {
  const HotkeyDialogInput& input;
  const Texts& texts;
  bool dark = false;
  std::string decimal;
  std::optional<HotkeyChoice> chosen;
  dialog::DarkColours colours;
};

DialogRun* run_of(HWND dialog) { return reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// The hotkey control's value: the virtual key in the low byte, HOTKEYF_*
// in the high one. The Windows key is not among its modifiers.
WPARAM control_value(const std::optional<bundle::Hotkey>& hotkey) {
  if (!hotkey) return 0;
  BYTE modifiers = 0;
  if (hotkey->ctrl) modifiers |= HOTKEYF_CONTROL;
  if (hotkey->alt) modifiers |= HOTKEYF_ALT;
  if (hotkey->shift) modifiers |= HOTKEYF_SHIFT;
  return MAKEWORD(hotkey->key, modifiers);
}

std::optional<bundle::Hotkey> hotkey_in(HWND dialog) {
  const WORD value = LOWORD(SendDlgItemMessageW(dialog, kHotkeyField, HKM_GETHOTKEY, 0, 0));
  const BYTE key = LOBYTE(value);
  const BYTE modifiers = HIBYTE(value);
  if (key == 0) return std::nullopt;
  return bundle::Hotkey{(modifiers & HOTKEYF_CONTROL) != 0, (modifiers & HOTKEYF_ALT) != 0,
                        (modifiers & HOTKEYF_SHIFT) != 0, key};
}

void init_dialog(HWND dialog, DialogRun& run) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&run));
  HWND field = GetDlgItem(dialog, kHotkeyField);
  // A key without Ctrl or Alt (alone, or with Shift only) takes Ctrl+Alt,
  // as is_usable_hotkey wants.
  SendMessageW(field, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
  SendMessageW(field, HKM_SETHOTKEY, control_value(run.input.hotkey), 0);
  set_text(GetDlgItem(dialog, kDelayEdit), format_seconds(run.input.sign_in_delay, run.decimal));
  SendDlgItemMessageW(dialog, kDelayEdit, EM_LIMITTEXT, 16, 0);
  if (run.dark) {
    run.colours = dialog::dark_colours();
    set_dark_title_bar(dialog, true);
    for (int id : {IDOK, IDCANCEL, static_cast<int>(kClear)})
      SetWindowTheme(GetDlgItem(dialog, id), L"DarkMode_Explorer", nullptr);
    SetWindowTheme(GetDlgItem(dialog, kDelayEdit), L"DarkMode_CFD", nullptr);
  }
  dialog::center_on_owner(dialog);
}

void say(HWND dialog, const DialogRun& run, const std::string& text) {
  const std::wstring wide = base::widen(text);
  const std::wstring caption = base::widen(run.texts.title);
  MessageBoxW(dialog, wide.c_str(), caption.c_str(), MB_ICONWARNING | MB_OK);
}

// OK: a key that is taken or a wait out of range is said, and its field
// focused, with the dialog left open.
void accept(HWND dialog, DialogRun& run) {
  const HotkeyForm form{hotkey_in(dialog), read_text(GetDlgItem(dialog, kDelayEdit))};
  auto choice = read_hotkey_form(form, run.input, run.decimal);
  if (!choice) {
    say(dialog, run, choice.error().text);
    HWND field = GetDlgItem(dialog, choice.error().field == HotkeyField::hotkey ? kHotkeyField : kDelayEdit);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    return;
  }
  run.chosen = *choice;
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    init_dialog(dialog, *reinterpret_cast<DialogRun*>(lparam));
    return TRUE;  // the focus goes to the hotkey field
  }
  DialogRun* run = run_of(dialog);
  if (!run) return FALSE;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kClear:
          SendDlgItemMessageW(dialog, kHotkeyField, HKM_SETHOTKEY, 0, 0);
          SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kHotkeyField)), TRUE);
          return TRUE;
        case IDOK:
          accept(dialog, *run);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      if (!run->dark) return FALSE;
      return dialog::colour_control(run->colours, message, wparam);
    default:
      return FALSE;
  }
}

// Dialog units of the layout.
constexpr short kMargin = 7;
constexpr short kGap = 4;
constexpr short kHotkeyWidth = 110;
constexpr short kNumberWidth = 40;
constexpr short kButtonHeight = 14;

// Labels in a column as wide as the wider, the fields beside them, the
// Clear button after the hotkey field, OK and Cancel at the bottom right.
dialog::TemplateWriter layout(const Texts& t, const dialog::DialogFont& font) {
  const dialog::DluMeasure measure(font);
  const short labels = std::max(measure.width(t.hotkey), measure.width(t.delay));
  const short clear_width = std::max<short>(50, static_cast<short>(measure.width(t.clear) + 12));
  const short button_width = std::max(
      {short{50}, static_cast<short>(measure.width(t.ok) + 12), static_cast<short>(measure.width(t.cancel) + 12)});
  const short unit = measure.width(t.seconds);
  const short field_x = kMargin + labels + kGap;
  short width = static_cast<short>(field_x + std::max<short>(kHotkeyWidth + kGap + clear_width,
                                                              static_cast<short>(kNumberWidth + kGap + unit)) +
                                   kMargin);
  width = std::max(width, static_cast<short>(kMargin + 2 * button_width + kGap + kMargin));
  const short hotkey_y = kMargin, delay_y = hotkey_y + 20, buttons_y = delay_y + 26,
              height = buttons_y + kButtonHeight + kMargin;

  dialog::TemplateWriter dialog(t.title, font, width, height);
  dialog.control(kStatic, kHotkeyLabel, SS_LEFT, kMargin, hotkey_y + 3, labels, 8, t.hotkey);
  dialog.control(HOTKEY_CLASSW, kHotkeyField, WS_BORDER | WS_TABSTOP, field_x, hotkey_y, kHotkeyWidth, 14);
  dialog.control(kButton, kClear, BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(field_x + kHotkeyWidth + kGap),
                 hotkey_y, clear_width, kButtonHeight, t.clear);
  dialog.control(kStatic, kDelayLabel, SS_LEFT, kMargin, delay_y + 3, labels, 8, t.delay);
  dialog.control(kEdit, kDelayEdit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, field_x, delay_y, kNumberWidth, 14);
  dialog.control(kStatic, kDelayUnit, SS_LEFT | SS_NOPREFIX, field_x + kNumberWidth + kGap, delay_y + 3, unit, 8,
                 t.seconds);
  dialog.control(kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
                 static_cast<short>(width - kMargin - 2 * button_width - kGap), buttons_y, button_width, kButtonHeight,
                 t.ok);
  dialog.control(kButton, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(width - kMargin - button_width),
                 buttons_y, button_width, kButtonHeight, t.cancel);
  return dialog;
}

}  // namespace

std::optional<HotkeyChoice> show_hotkey_dialog(HWND owner, const HotkeyDialogInput& input, bool dark) {
  // The hotkey control's class is comctl32's, loaded on first use.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  const Texts t = texts_for(input);
  const dialog::TemplateWriter dialog = layout(t, dialog::message_font());
  DialogRun run{input, t, dark, dialog::decimal_sign(), std::nullopt, {}};
  const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, dialog_procedure,
                                                 reinterpret_cast<LPARAM>(&run));
  if (answer != IDOK) return std::nullopt;
  return run.chosen;
}

}  // namespace app
