#include "app/window/dialogs/hotkey_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/edit/fields_win.h"
#include "app/opening/item_options.h"
#include "app/window/dialogs/dialog_template_win.h"
#include "app/window/dialogs/modal_dialog_win.h"
#include "app/window/window_style_win.h"
#include "base/utf.h"
#include "lang/lang.h"

namespace app {
namespace {

using dialog::kButton, dialog::kEdit, dialog::kStatic, dialog::kMargin, dialog::kGap, dialog::kButtonHeight;

enum Control : WORD {
  kHotkeyLabel = 1001,
  kHotkeyField,
  kClear,
  kDelayLabel,
  kDelayEdit,
  kDelayUnit,
};

struct Texts {
  std::string title, hotkey, clear, delay, seconds;
};

Texts texts_for(const HotkeyDialogInput& input) {
  Texts t;
  t.title = hotkey_dialog_title(input.bundle_name);
  t.hotkey = lang::text("단축키(&H):", "&Hotkey:");
  t.clear = lang::text("지우기(&L)", "C&lear");
  t.delay = lang::text("로그인 후 대기(&W):", "&Wait after sign-in:");
  t.seconds = lang::text("초", "seconds");
  return t;
}

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

class HotkeyPage final : public dialog::Page {
 public:
  HotkeyPage(const HotkeyDialogInput& input, const Texts& texts)
      : input_(input), texts_(texts), decimal_(dialog::decimal_sign()) {}

  // The focus goes to the hotkey field.
  bool init(HWND dialog) override {
    HWND field = GetDlgItem(dialog, kHotkeyField);
    // A key without Ctrl or Alt (alone, or with Shift only) takes Ctrl+Alt,
    // as is_usable_hotkey wants.
    SendMessageW(field, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    SendMessageW(field, HKM_SETHOTKEY, control_value(input_.hotkey), 0);
    set_text(GetDlgItem(dialog, kDelayEdit), format_seconds(input_.sign_in_delay, decimal_));
    SendDlgItemMessageW(dialog, kDelayEdit, EM_LIMITTEXT, 16, 0);
    return true;
  }

  // A key that is taken or a wait out of range is said, with its field focused.
  bool accept(HWND dialog) override {
    const HotkeyForm form{hotkey_in(dialog), read_text(GetDlgItem(dialog, kDelayEdit))};
    return dialog::take(dialog, read_hotkey_form(form, input_, decimal_), chosen, texts_.title,
                        [](const HotkeyFormError& error) {
                          return error.field == HotkeyField::hotkey ? kHotkeyField : kDelayEdit;
                        });
  }

  void command(HWND dialog, WORD id, WORD) override {
    if (id != kClear) return;
    SendDlgItemMessageW(dialog, kHotkeyField, HKM_SETHOTKEY, 0, 0);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kHotkeyField)), TRUE);
  }

  std::optional<HotkeyChoice> chosen;

 private:
  const HotkeyDialogInput& input_;
  const Texts& texts_;
  std::string decimal_;
};

constexpr short kHotkeyWidth = 110;
constexpr short kNumberWidth = 40;

// Labels in a column as wide as the wider, the fields beside them, the
// Clear button after the hotkey field, OK and Cancel at the bottom right.
dialog::TemplateWriter layout(const Texts& t, const dialog::DialogFont& font) {
  const dialog::DluMeasure measure(font);
  const dialog::ButtonRow buttons(measure);
  const short labels = std::max(measure.width(t.hotkey), measure.width(t.delay));
  const short clear_width = dialog::button_width(measure, t.clear);
  const short unit = measure.width(t.seconds);
  const short field_x = kMargin + labels + kGap;
  short width = static_cast<short>(field_x + std::max<short>(kHotkeyWidth + kGap + clear_width,
                                                              static_cast<short>(kNumberWidth + kGap + unit)) +
                                   kMargin);
  width = std::max(width, buttons.least_dialog_width());
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
  buttons.write(dialog, width, buttons_y);
  return dialog;
}

}  // namespace

std::optional<HotkeyChoice> show_hotkey_dialog(HWND owner, const HotkeyDialogInput& input, bool dark) {
  // The hotkey control's class is comctl32's, loaded on first use.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  const Texts t = texts_for(input);
  HotkeyPage page(input, t);
  const dialog::Look look = dark ? dialog::Look::dark : dialog::Look::system;
  if (!dialog::run_modal(owner, layout(t, dialog::message_font()), look, page)) return std::nullopt;
  return page.chosen;
}

}  // namespace app
