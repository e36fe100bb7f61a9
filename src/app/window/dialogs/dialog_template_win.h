#pragma once
// How the program's native dialogs are laid out: a template written in
// memory (so that their texts come from the language tables and Windows
// scales them with the DPI), the message boxes' font, text widths in dialog
// units, and the OK and Cancel row. modal_dialog_win.h runs them.
// Defined in dialog_template_win.cpp.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/handle_win.h"

namespace app::dialog {

// The predefined control classes, by the atoms a dialog template names them with.
enum ClassAtom : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kComboBox = 0x0085 };

// The font dialogs use: the message boxes' font, in points.
struct DialogFont {
  std::wstring face = L"MS Shell Dlg";
  WORD points = 8;
  WORD weight = FW_NORMAL;
};
DialogFont message_font();

// Text widths in dialog units of the dialog's font, so that the longest
// language's labels decide the layout instead of a guessed width.
class DluMeasure {
 public:
  explicit DluMeasure(const DialogFont& font);
  // A label's width, its access key's "&" left out as it is drawn.
  short width(std::string_view text) const;

 private:
  base::UniqueMemoryDc dc_;
  base::UniqueGdiObject font_;
  int base_x_ = 6;
};

// A DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries, written as the words
// DialogBoxIndirectParamW reads.
class TemplateWriter {
 public:
  TemplateWriter(std::string_view title, const DialogFont& font, short cx, short cy);
  // A control of a predefined class.
  void control(WORD atom, WORD id, DWORD style, short x, short y, short cx, short cy, std::string_view text = {});
  // A control of a registered class, named by its class name.
  void control(const wchar_t* class_name, WORD id, DWORD style, short x, short y, short cx, short cy);

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void begin_control(WORD id, DWORD style, short x, short y, short cx, short cy);
  void add(WORD word) { words_.push_back(word); }
  void add_dword(DWORD value) {
    add(LOWORD(value));
    add(HIWORD(value));
  }
  void add_text(std::string_view text);
  void add_text(std::wstring_view text);

  std::vector<WORD> words_;
  std::size_t count_at_ = 0;
};

// Distances of the layouts, in dialog units.
inline constexpr short kMargin = 7;
inline constexpr short kGap = 4;
inline constexpr short kButtonHeight = 14;

// A push button's width for its label: Windows' usual 50, more for a long one.
short button_width(const DluMeasure& measure, std::string_view label);

// OK and Cancel (or what a dialog calls them, such as Add) at the bottom
// right of a dialog, as wide as each other, OK the default button.
class ButtonRow {
 public:
  explicit ButtonRow(const DluMeasure& measure);
  ButtonRow(const DluMeasure& measure, std::string ok, std::string cancel);
  // How wide the dialog must be to hold the row within its margins.
  short least_dialog_width() const;
  // The row along a dialog `dialog_width` wide, its top at `y`.
  void write(TemplateWriter& dialog, short dialog_width, short y) const;

 private:
  std::string ok_, cancel_;
  short button_ = 50;
};

// The user's decimal sign.
std::string decimal_sign();

}  // namespace app::dialog
