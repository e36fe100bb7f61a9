#pragma once
// What the two update workers hand to the window, and their mailboxes: the
// check's answer (WM_APP+2) and the downloaded installer (WM_APP+3).
// Defined in update_results.cpp.

#include <memory>
#include <string>
#include <variant>

#include "app/state/mailbox.h"
#include "app/updater/manifest.h"

namespace app {

struct UpToDate {};

// A failure as the user is told it (already in the current language).
struct UpdateFailure {
  std::string text;
};

struct CheckResult {
  std::variant<UpToDate, UpdateOffer, UpdateFailure> outcome;
  bool manual = false;  // asked for from the settings menu
};

// Keeps a checked installer file from being written, renamed or deleted
// until the process made from it has started; the Win32 side holds the file
// open without write or delete sharing.
class InstallerHold {
 public:
  virtual ~InstallerHold() = default;
};

struct VerifiedInstaller {
  std::string path;
  std::unique_ptr<InstallerHold> hold;
};

struct InstallResult {
  std::variant<VerifiedInstaller, UpdateFailure> outcome;
};

// One process-wide mailbox each; a new result replaces one nobody took.
Mailbox<CheckResult>& update_checks();
Mailbox<InstallResult>& install_results();

}  // namespace app
