#pragma once
// What an opening without a window needs, set up in one place for
// `tolvik.exe --open`, `--close`, `--sign-in` and tolvikc: COM on this thread
// (the shell starts items and lists File Explorer's windows through it), the
// shell as the opener, the record that lets a later Close find what an opening
// started, and the saved bundles.
// Defined in windowless_opening_win.cpp.

#include <windows.h>

#include <optional>
#include <string>

#include "app/opening/shell_opener_win.h"
#include "app/reach/startup.h"
#include "app/state/load_bundles.h"
#include "base/handle_win.h"

namespace app {

class WindowlessOpening {
 public:
  WindowlessOpening();
  WindowlessOpening(const WindowlessOpening&) = delete;
  WindowlessOpening& operator=(const WindowlessOpening&) = delete;

  Opener& opener() { return opener_; }
  // Writes each opening to the record file, for a later Close.
  const RecordOpening& record() const { return record_; }
  // The saved bundles, read on first use (tolvikc's help needs none) and then
  // kept. Only read: a store that cannot be read is reported, and the window
  // sets it aside when it starts.
  const LoadedBundles& bundles();

 private:
  base::ComScope com_;
  ShellOpener opener_;
  RecordOpening record_;
  std::optional<LoadedBundles> bundles_;
};

// A window-less run's message box: top-level, with a warning icon, brought to
// the front.
void show_windowless_message(const std::string& text);

}  // namespace app
