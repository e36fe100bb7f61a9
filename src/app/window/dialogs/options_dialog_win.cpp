#include "app/window/dialogs/options_dialog_win.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "app/edit/fields_win.h"
#include "app/opening/item_options.h"
#include "app/window/dialogs/dialog_template_win.h"
#include "app/window/dialogs/modal_dialog_win.h"
#include "app/window/window_style_win.h"
#include "base/utf.h"
#include "lang/lang.h"
#include "winshell/dialogs_win.h"

namespace app {
namespace {

using dialog::kButton, dialog::kEdit, dialog::kStatic, dialog::kComboBox, dialog::kMargin, dialog::kGap,
    dialog::kButtonHeight, dialog::DialogFont, dialog::DluMeasure, dialog::TemplateWriter;

enum Control : WORD {
  kDelayLabel = 1001,
  kDelayEdit,
  kDelayUnit,
  kWaitCheck,
  kWaitLabel,
  kWaitEdit,
  kWaitUnit,
  kRunningLabel,
  kRunningCombo,
  kWindowLabel,
  kWindowCombo,
  kAdminCheck,
  kDirLabel,
  kDirEdit,
  kBrowse,
  kKeepCheck,
};

// The dialog's texts, each looked up once.
struct Texts {
  std::string title, delay, seconds, wait, up_to, running, window, admin, dir, browse, keep;
  std::array<std::string, 3> running_choices, window_choices;
};

Texts texts_for(const bundle::Item& item) {
  Texts t;
  t.title = lang::fill(lang::text("‘{0}’ 옵션", "Options for “{0}”"), {bundle::item_label(item)});
  t.delay = lang::text("시작 전 대기(&B):", "Wait &before starting it:");
  t.seconds = lang::text("초", "seconds");
  t.wait = lang::text("창이 준비될 때까지 기다리기(&R)", "Wait until its window is &ready");
  t.up_to = lang::text("최대(&U):", "&Up to:");
  t.running = lang::text("이미 실행 중이면(&A):", "If it is &already running:");
  t.window = lang::text("창(&W):", "&Window:");
  t.admin = lang::text("관리자 권한으로 실행(&D)", "Run as a&dministrator");
  t.dir = lang::text("시작 위치(&S):", "&Start in:");
  t.browse = lang::text("찾아보기(&O)…", "Br&owse…");
  t.keep = lang::text("묶음을 닫아도 열어 두기(&K)", "&Keep it open when the bundle is closed");
  t.running_choices = {std::string(lang::text("하나 더 시작", "Start another")),
                       std::string(lang::text("앞으로 가져오기", "Bring it to the front")),
                       std::string(lang::text("건너뛰기", "Skip it"))};
  t.window_choices = {std::string(lang::text("보통 창", "Normal")), std::string(lang::text("최소화", "Minimized")),
                      std::string(lang::text("최대화", "Maximized"))};
  return t;
}

// Dialog units of the layout.
constexpr short kIndent = 10;
constexpr short kNumberWidth = 40;
constexpr short kCheckBox = 14;  // the box and its gap before the text

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }
std::string text_of(HWND dialog, int id) { return read_text(GetDlgItem(dialog, id)); }

void fill_combo(HWND dialog, int id, const std::array<std::string, 3>& choices, std::size_t selected) {
  HWND combo = GetDlgItem(dialog, id);
  for (const std::string& choice : choices) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(base::widen(choice).c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

std::size_t combo_choice(HWND dialog, int id) {
  const LRESULT chosen = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  return chosen == CB_ERR ? 0 : static_cast<std::size_t>(chosen);
}

// The wait's seconds are only typed while it is ticked.
void follow_wait_box(HWND dialog, bundle::Kind kind) {
  const bool on = applicable_options(kind).wait && checked(dialog, kWaitCheck);
  enable(dialog, kWaitLabel, on);
  enable(dialog, kWaitEdit, on);
  enable(dialog, kWaitUnit, on);
}

void browse(HWND dialog) {
  const std::string title(lang::text("시작 위치 폴더 선택", "Choose the folder it starts in"));
  if (std::optional<std::string> folder = winshell::pick_folder_dialog(dialog, title)) {
    set_text(GetDlgItem(dialog, kDirEdit), *folder);
  }
}

class OptionsPage final : public dialog::Page {
 public:
  OptionsPage(const bundle::Item& item, const Texts& texts)
      : item_(item), texts_(texts), decimal_(dialog::decimal_sign()) {}

  // The focus goes to the first field.
  bool init(HWND dialog) override {
    const OptionsForm form = options_form(item_.options, decimal_);
    set_text(GetDlgItem(dialog, kDelayEdit), form.delay);
    check(dialog, kWaitCheck, form.wait);
    set_text(GetDlgItem(dialog, kWaitEdit), form.wait_seconds);
    fill_combo(dialog, kRunningCombo, texts_.running_choices, static_cast<std::size_t>(form.if_running));
    fill_combo(dialog, kWindowCombo, texts_.window_choices, static_cast<std::size_t>(form.window));
    check(dialog, kAdminCheck, form.admin);
    set_text(GetDlgItem(dialog, kDirEdit), form.dir);
    check(dialog, kKeepCheck, form.keep_open);
    SendDlgItemMessageW(dialog, kDelayEdit, EM_LIMITTEXT, 16, 0);
    SendDlgItemMessageW(dialog, kWaitEdit, EM_LIMITTEXT, 16, 0);
    SendDlgItemMessageW(dialog, kDirEdit, EM_LIMITTEXT, 32767, 0);

    // What does not apply to the item's kind is shown, greyed, so that every
    // item's dialog reads the same.
    const ApplicableOptions applicable = applicable_options(item_.kind);
    for (int id : {kDelayLabel, kDelayEdit, kDelayUnit}) enable(dialog, id, applicable.delay);
    enable(dialog, kWaitCheck, applicable.wait);
    follow_wait_box(dialog, item_.kind);
    for (int id : {kRunningLabel, kRunningCombo}) enable(dialog, id, applicable.if_running);
    for (int id : {kWindowLabel, kWindowCombo}) enable(dialog, id, applicable.window);
    enable(dialog, kAdminCheck, applicable.admin);
    for (int id : {kDirLabel, kDirEdit, kBrowse}) enable(dialog, id, applicable.dir);
    enable(dialog, kKeepCheck, applicable.keep_open);
    return true;
  }

  // A number out of range is said, with its field selected and everything
  // else as typed.
  bool accept(HWND dialog) override {
    OptionsForm form;
    form.delay = text_of(dialog, kDelayEdit);
    form.wait = checked(dialog, kWaitCheck);
    form.wait_seconds = text_of(dialog, kWaitEdit);
    form.if_running = static_cast<bundle::IfRunning>(combo_choice(dialog, kRunningCombo));
    form.window = static_cast<bundle::WindowState>(combo_choice(dialog, kWindowCombo));
    form.admin = checked(dialog, kAdminCheck);
    form.dir = text_of(dialog, kDirEdit);
    form.keep_open = checked(dialog, kKeepCheck);
    return dialog::take(dialog, read_options_form(form, item_.kind, decimal_), chosen, texts_.title,
                        [](const FormError& error) {
                          return error.field == OptionsField::delay ? kDelayEdit : kWaitEdit;
                        });
  }

  void command(HWND dialog, WORD id, WORD code) override {
    if (code != BN_CLICKED) return;
    if (id == kBrowse) return browse(dialog);
    if (id != kWaitCheck) return;
    // A newly ticked wait starts from the usual timeout.
    if (checked(dialog, kWaitCheck) && text_of(dialog, kWaitEdit).empty()) {
      set_text(GetDlgItem(dialog, kWaitEdit), default_wait_text(decimal_));
    }
    follow_wait_box(dialog, item_.kind);
  }

  std::optional<bundle::ItemOptions> chosen;

 private:
  const bundle::Item& item_;
  const Texts& texts_;
  std::string decimal_;
};

// The template: a column of labels as wide as the widest, the fields beside
// it, the check boxes across, OK and Cancel at the bottom right.
TemplateWriter layout(const Texts& t, const DialogFont& font) {
  const DluMeasure measure(font);

  const short labels = std::max({measure.width(t.delay), static_cast<short>(measure.width(t.up_to) + kIndent),
                                 measure.width(t.running), measure.width(t.window), measure.width(t.dir)});
  short choices = 0;
  for (const auto* list : {&t.running_choices, &t.window_choices}) {
    for (const std::string& choice : *list) choices = std::max(choices, measure.width(choice));
  }
  const dialog::ButtonRow buttons(measure);
  const short browse_width = dialog::button_width(measure, t.browse);
  const short unit = measure.width(t.seconds);
  const short field_x = kMargin + labels + kGap;
  short fields = std::max({static_cast<short>(choices + 24), static_cast<short>(kNumberWidth + kGap + unit),
                           static_cast<short>(browse_width + kGap + 90)});
  short width = static_cast<short>(field_x + fields + kMargin);
  for (const std::string* box : {&t.wait, &t.admin, &t.keep}) {
    width = std::max(width, static_cast<short>(kMargin + kCheckBox + measure.width(*box) + kMargin));
  }
  width = std::max(width, buttons.least_dialog_width());
  fields = static_cast<short>(width - kMargin - field_x);

  // Rows, top to bottom.
  const short delay_y = kMargin, wait_y = delay_y + 20, up_to_y = wait_y + 14, running_y = up_to_y + 22,
              window_y = running_y + 18, admin_y = window_y + 20, dir_y = admin_y + 16, keep_y = dir_y + 22,
              buttons_y = keep_y + 22, height = buttons_y + kButtonHeight + kMargin;

  TemplateWriter dialog(t.title, font, width, height);
  const DWORD label = SS_LEFT, number = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, box = BS_AUTOCHECKBOX | WS_TABSTOP,
              list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
  dialog.control(kStatic, kDelayLabel, label, kMargin, delay_y + 3, labels, 8, t.delay);
  dialog.control(kEdit, kDelayEdit, number, field_x, delay_y, kNumberWidth, 14);
  dialog.control(kStatic, kDelayUnit, label | SS_NOPREFIX, field_x + kNumberWidth + kGap, delay_y + 3, unit, 8,
                 t.seconds);
  dialog.control(kButton, kWaitCheck, box, kMargin, wait_y, static_cast<short>(width - 2 * kMargin), 10, t.wait);
  dialog.control(kStatic, kWaitLabel, label, kMargin + kIndent, up_to_y + 3, static_cast<short>(labels - kIndent), 8,
                 t.up_to);
  dialog.control(kEdit, kWaitEdit, number, field_x, up_to_y, kNumberWidth, 14);
  dialog.control(kStatic, kWaitUnit, label | SS_NOPREFIX, field_x + kNumberWidth + kGap, up_to_y + 3, unit, 8,
                 t.seconds);
  dialog.control(kStatic, kRunningLabel, label, kMargin, running_y + 2, labels, 8, t.running);
  dialog.control(kComboBox, kRunningCombo, list, field_x, running_y, fields, 80);
  dialog.control(kStatic, kWindowLabel, label, kMargin, window_y + 2, labels, 8, t.window);
  dialog.control(kComboBox, kWindowCombo, list, field_x, window_y, fields, 80);
  dialog.control(kButton, kAdminCheck, box, kMargin, admin_y, static_cast<short>(width - 2 * kMargin), 10, t.admin);
  dialog.control(kStatic, kDirLabel, label, kMargin, dir_y + 3, labels, 8, t.dir);
  dialog.control(kEdit, kDirEdit, number, field_x, dir_y, static_cast<short>(fields - browse_width - kGap), 14);
  dialog.control(kButton, kBrowse, BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(width - kMargin - browse_width),
                 dir_y, browse_width, kButtonHeight, t.browse);
  dialog.control(kButton, kKeepCheck, box, kMargin, keep_y, static_cast<short>(width - 2 * kMargin), 10, t.keep);
  buttons.write(dialog, width, buttons_y);
  return dialog;
}

}  // namespace

std::optional<bundle::ItemOptions> show_options_dialog(HWND owner, const bundle::Item& item, bool dark) {
  const Texts t = texts_for(item);
  OptionsPage page(item, t);
  const dialog::Look look = dark ? dialog::Look::dark : dialog::Look::system;
  if (!dialog::run_modal(owner, layout(t, dialog::message_font()), look, page)) return std::nullopt;
  return page.chosen;
}

}  // namespace app
