#pragma once
// tolvikc.exe's run: the command line in, the output written to the console
// or to whatever file or pipe standard output and error go to.
// Defined in console_win.cpp.

#include <windows.h>

#include <string_view>

namespace app {

// Writes UTF-8 text to a standard handle: as UTF-16 text to a console, as the
// UTF-8 bytes to a file or pipe. False when the handle took not all of it.
bool write_console_text(HANDLE handle, std::string_view text);

// Returns the exit code (see console.h). Never shows a window or a message box.
int run_console();

}  // namespace app
