#include <windows.h>

#include "app/reach/startup_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return app::run_program(); }
