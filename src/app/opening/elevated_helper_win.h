#pragma once
// One consent per opening: the "run as administrator" apps of an opening are
// handed to one elevated, window-less tolvik, which starts them in their
// order with their options and answers for each.
// Defined in elevated_helper_win.cpp.

#include <windows.h>

#include <vector>

#include "app/opening/elevated_handoff.h"
#include "app/opening/opener.h"
#include "bundle/model.h"

namespace app {

// The opening's side: writes `items` (expanded, "admin" cleared by the
// helper's reading) to a file of tolvik's own in %TEMP%\tolvik, starts
// "tolvik.exe --run-elevated" with the runas verb and waits for it and its
// answer. Stop (`stop`, may be null) is passed on to the helper, which then
// starts nothing more; its answer is still read. A declined consent answers
// every item declined.
OpenResult start_with_elevated_helper(const std::vector<bundle::Item>& items, HANDLE stop);

// The helper's side: the whole run of "--run-elevated"; the process's exit code.
int run_elevated_helper(const ElevatedRun& run);

}  // namespace app
