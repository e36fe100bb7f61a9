#pragma once
// What the program's native dialogs share: a template written in memory (so
// that their texts come from the language tables and Windows scales them
// with the DPI), the message boxes' font, text widths in dialog units, and
// the colours of the dark theme.
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

// The user's decimal sign.
std::string decimal_sign();

void center_on_owner(HWND dialog);

// The dark theme's colours for the dialog and its fields, and their brushes.
struct DarkColours {
  COLORREF back = 0, field = 0, text = 0;
  base::UniqueGdiObject back_brush;
  base::UniqueGdiObject field_brush;
};
DarkColours dark_colours();
// The answer to a WM_CTLCOLOR* message in the dark theme.
INT_PTR colour_control(const DarkColours& colours, UINT message, WPARAM wparam);

}  // namespace app::dialog
