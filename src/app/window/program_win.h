#pragma once
// The whole life of the process (program_win.cpp): the run mode from the
// command line, and the window's start and message loop.

namespace app {

// Picks the run mode from the command line and returns the exit code.
int run_program();

}  // namespace app
