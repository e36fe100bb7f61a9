#pragma once

namespace app {

// Keeps the system's "no disk in the drive" and similar boxes away from the
// user for the whole process: a missing target on an empty drive is an item
// that is not found, not a question. Programs the process starts inherit it,
// as they do from most programs that start others.
void quiet_critical_errors();

// The whole life of the process: picks the run mode from the command line and
// returns the exit code.
int run_program();

}  // namespace app
