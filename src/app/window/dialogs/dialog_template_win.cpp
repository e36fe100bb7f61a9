#include "app/window/dialogs/dialog_template_win.h"

#include <algorithm>
#include <utility>

#include "base/utf.h"
#include "lang/lang.h"

namespace app::dialog {

DialogFont message_font() {
  DialogFont font;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return font;
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const LONG height = metrics.lfMessageFont.lfHeight;
  if (height == 0 || dpi <= 0) return font;
  font.face = metrics.lfMessageFont.lfFaceName;
  font.points = static_cast<WORD>(std::max(1, MulDiv(height < 0 ? -height : height, 72, dpi)));
  if (metrics.lfMessageFont.lfWeight > 0) font.weight = static_cast<WORD>(metrics.lfMessageFont.lfWeight);
  return font;
}

DluMeasure::DluMeasure(const DialogFont& font) : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) return;
  font_ = base::UniqueGdiObject(CreateFontW(-MulDiv(font.points, 96, 72), 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                            DEFAULT_PITCH, font.face.c_str()));
  if (font_) SelectObject(dc_.get(), font_.get());
  // The average character width of the font: how Windows sizes a dialog unit.
  static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  if (GetTextExtentPoint32W(dc_.get(), kLetters, 52, &size) && size.cx > 0) base_x_ = (size.cx / 26 + 1) / 2;
}

short DluMeasure::width(std::string_view text) const {
  const std::wstring wide = base::widen(text);
  RECT rect{0, 0, 0, 0};
  if (!dc_ ||
      DrawTextW(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &rect, DT_CALCRECT | DT_SINGLELINE) == 0) {
    return static_cast<short>(wide.size() * 4);
  }
  return static_cast<short>(MulDiv(rect.right - rect.left, 4, base_x_) + 2);
}

TemplateWriter::TemplateWriter(std::string_view title, const DialogFont& font, short cx, short cy) {
  const DWORD style = DS_SETFONT | DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  add(1);        // dlgVer
  add(0xFFFF);   // signature: the extended template
  add_dword(0);  // help id
  add_dword(0);  // extended style
  add_dword(style);
  count_at_ = words_.size();
  add(0);
  add(0), add(0), add(static_cast<WORD>(cx)), add(static_cast<WORD>(cy));
  add(0);  // no menu
  add(0);  // the dialog class
  add_text(title);
  add(font.points), add(font.weight), add(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
  add_text(std::wstring_view(font.face));
}

void TemplateWriter::begin_control(WORD id, DWORD style, short x, short y, short cx, short cy) {
  while (words_.size() % 2 != 0) add(0);  // each entry starts on a DWORD
  add_dword(0);                           // help id
  add_dword(0);                           // extended style
  add_dword(WS_CHILD | WS_VISIBLE | style);
  add(static_cast<WORD>(x)), add(static_cast<WORD>(y)), add(static_cast<WORD>(cx)), add(static_cast<WORD>(cy));
  add_dword(id);
  ++words_[count_at_];
}

void TemplateWriter::control(WORD atom, WORD id, DWORD style, short x, short y, short cx, short cy,
                             std::string_view text) {
  begin_control(id, style, x, y, cx, cy);
  add(0xFFFF), add(atom);
  add_text(text);
  add(0);  // no creation data
}

void TemplateWriter::control(const wchar_t* class_name, WORD id, DWORD style, short x, short y, short cx, short cy) {
  begin_control(id, style, x, y, cx, cy);
  add_text(std::wstring_view(class_name));
  add(0);  // no title
  add(0);  // no creation data
}

void TemplateWriter::add_text(std::string_view text) { add_text(std::wstring_view(base::widen(text))); }

void TemplateWriter::add_text(std::wstring_view text) {
  for (wchar_t c : text) add(static_cast<WORD>(c));
  add(0);
}

short button_width(const DluMeasure& measure, std::string_view label) {
  return std::max<short>(50, static_cast<short>(measure.width(label) + 12));
}

ButtonRow::ButtonRow(const DluMeasure& measure)
    : ButtonRow(measure, std::string(lang::text("확인", "OK")), std::string(lang::text("취소", "Cancel"))) {}

ButtonRow::ButtonRow(const DluMeasure& measure, std::string ok, std::string cancel)
    : ok_(std::move(ok)),
      cancel_(std::move(cancel)),
      button_(std::max(button_width(measure, ok_), button_width(measure, cancel_))) {}

short ButtonRow::least_dialog_width() const { return static_cast<short>(kMargin + 2 * button_ + kGap + kMargin); }

void ButtonRow::write(TemplateWriter& dialog, short dialog_width, short y) const {
  dialog.control(kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
                 static_cast<short>(dialog_width - kMargin - 2 * button_ - kGap), y, button_, kButtonHeight, ok_);
  dialog.control(kButton, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(dialog_width - kMargin - button_),
                 y, button_, kButtonHeight, cancel_);
}

std::string decimal_sign() {
  wchar_t sign[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sign, 8) <= 0) return ".";
  return base::narrow(sign);
}

}  // namespace app::dialog
