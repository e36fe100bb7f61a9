#pragma once
// The start-up modes that need no window (startup_win.cpp): "--unregister",
// "--open", "--close", "--quit", and a second start handing over to the first.
// The window's own start is app/window/program_win.h.

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// Keeps the system's "no disk in the drive" and similar boxes away from the
// user for the whole process: a missing target on an empty drive is an item
// that is not found, not a question. Programs the process starts inherit it,
// as they do from most programs that start others.
void quiet_critical_errors();

// "--unregister": every setting, the Run value and the jump list go.
int run_unregister();
// "--open <id or name>" and "--close <id or name>" without a window; what
// happened is said in a message box when there is something to say.
int run_windowless_open(const std::string& id);
int run_windowless_close(const std::string& id);
// "--quit": the running tolvik, hidden or not, ends as closing its window
// does with the setting off. Ends with 0 whether one ran or not.
int run_quit();

// Another start holds the mutex: waits for its window (it may still be
// loading) and hands over to it. False when this start should run the window
// itself: the other one ended (the mutex is now ours) or never showed one.
bool hand_over_to_first_start(HANDLE mutex, const std::vector<std::string>& bundle_files);

}  // namespace app
