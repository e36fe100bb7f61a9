#pragma once
// tolvikc.exe's run: the command line in, the output written to the console
// or to whatever file or pipe standard output and error go to.

namespace app {

// Returns the exit code (see console.h). Never shows a window or a message box.
int run_console();

}  // namespace app
