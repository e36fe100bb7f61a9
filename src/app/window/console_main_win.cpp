#include "app/reach/console_win.h"

// tolvikc.exe: a console program, so that a script's console waits for it.
// The arguments are read whole from GetCommandLineW, split as tolvik.exe splits them.
int wmain(int, wchar_t**) { return app::run_console(); }
