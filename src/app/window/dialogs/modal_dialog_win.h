#pragma once
// Running one of the program's dialogs: modal over the window, centred on
// it, in the window's colours, ended by OK once the dialog takes what was
// entered, or by Cancel (Esc, the close box). Each dialog brings its
// template (dialog_template_win.h) and a page for what is its own: filling
// its controls, reading them on OK, and its other buttons.

#include <windows.h>

#include <optional>
#include <string_view>
#include <utility>

#include "app/window/dialogs/dialog_template_win.h"
#include "base/result.h"

namespace app::dialog {

// Whose colours a dialog is drawn in: Windows' own (which is also what a
// high-contrast theme needs), or the window's light or dark palette.
enum class Look { system, light, dark };

// What one dialog does beyond what every dialog does.
class Page {
 public:
  virtual ~Page() = default;
  // The controls are made: they are filled. True lets the dialog focus its
  // first control; a page that sets the focus itself answers false.
  virtual bool init(HWND dialog) = 0;
  // OK: true ends the dialog with it; false keeps it open (the page said why).
  virtual bool accept(HWND dialog) = 0;
  // A command of one of the page's own controls (not OK or Cancel).
  virtual void command(HWND /*dialog*/, WORD /*id*/, WORD /*code*/) {}
  // A notification from one of its controls.
  virtual void notify(HWND /*dialog*/, const NMHDR& /*header*/) {}
};

// Runs `page` in a dialog made from `layout`, owned by `owner`: true when it
// ended with OK. Runs a modal loop.
bool run_modal(HWND owner, const TemplateWriter& layout, Look look, Page& page);

// OK, as the button does it: for a control that also accepts (a list's
// double-click).
void press_ok(HWND dialog);

// A value OK cannot take: `text` is said in a warning captioned `caption`,
// and the control `field` focused with its whole text selected, to be typed
// over; the dialog stays open.
void refuse(HWND dialog, int field, std::string_view text, std::string_view caption);

// OK's answer to what a page read from its controls: a value is kept in
// `chosen` (true); an error is refused (false), said with the control
// `control_of(error)` focused.
template <typename Value, typename Error, typename ControlOf>
bool take(HWND dialog, base::Result<Value, Error> read, std::optional<Value>& chosen, std::string_view caption,
          ControlOf control_of) {
  if (!read) {
    refuse(dialog, control_of(read.error()), read.error().text, caption);
    return false;
  }
  chosen = std::move(read).value();
  return true;
}

}  // namespace app::dialog
