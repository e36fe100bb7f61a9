#include "app/updater/update_results.h"

namespace app {

Mailbox<CheckResult>& update_check_slot() {
  static Mailbox<CheckResult> slot;
  return slot;
}

Mailbox<InstallResult>& install_result_slot() {
  static Mailbox<InstallResult> slot;
  return slot;
}

}  // namespace app
