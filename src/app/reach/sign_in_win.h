#pragma once
// The Windows side of opening bundles at sign-in: tolvik's value in the Run
// key, Task Manager's start-up switch, and `tolvik.exe --sign-in`.
// Defined in sign_in_win.cpp.

#include "base/result.h"

namespace app {

// Writes or deletes HKCU\...\Run\tolvik so that Windows starts this
// tolvik.exe at sign-in exactly when `wanted`; a value that is already right
// is not written again. The system's text when the key refused.
base::Status keep_run_value(bool wanted);

// True when the user turned tolvik off in Task Manager's start-up apps.
bool run_value_turned_off();

// --unregister: removes the Run value and the switch Windows keeps for it.
void delete_run_value();

// --sign-in: opens the marked bundles, each at its wait, without a window.
int run_sign_in_opening();

}  // namespace app
