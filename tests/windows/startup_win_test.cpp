// What start-up sets for the whole process.

#include <gtest/gtest.h>
#include <windows.h>

#include "app/reach/startup_win.h"

namespace {

// Puts the test program's own error mode back.
struct ErrorModeScope {
  UINT saved = GetErrorMode();
  ~ErrorModeScope() { SetErrorMode(saved); }
};

TEST(StartupErrorMode, NoDiskBoxesAndTheOtherFlagsAreKept) {
  ErrorModeScope scope;
  SetErrorMode(SEM_NOGPFAULTERRORBOX);
  app::quiet_critical_errors();
  const UINT mode = GetErrorMode();
  EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS);
  EXPECT_TRUE(mode & SEM_NOGPFAULTERRORBOX);
}

}  // namespace
