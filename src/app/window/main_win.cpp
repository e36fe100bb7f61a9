#include <windows.h>

#include "app/window/program_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return app::run_program(); }
