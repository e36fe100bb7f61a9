#pragma once
// What opening at sign-in needs from the system: the Run value and Windows'
// own switch for it (WinPlatform in app/window/win_platform_win.h;
// FakePlatform in the tests).

#include "base/result.h"

namespace app {

class SignInHost {
 public:
  virtual ~SignInHost() = default;

  // Whether the user turned tolvik off in Windows' start-up apps (Task
  // Manager), read when the bundle menu is built.
  virtual bool sign_in_turned_off() = 0;
  // Writes or deletes tolvik's value in the Run key so that Windows starts it
  // at sign-in exactly when `wanted`; the system's text when it could not.
  virtual base::Status keep_run_value(bool wanted) = 0;
};

}  // namespace app
