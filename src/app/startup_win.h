#pragma once

namespace app {

// The whole life of the process: picks the run mode from the command line and
// returns the exit code.
int run_program();

}  // namespace app
