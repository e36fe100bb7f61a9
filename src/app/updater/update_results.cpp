#include "app/updater/update_results.h"

namespace app {

Mailbox<CheckResult>& update_checks() {
  static Mailbox<CheckResult> mailbox;
  return mailbox;
}

Mailbox<InstallResult>& install_results() {
  static Mailbox<InstallResult> mailbox;
  return mailbox;
}

}  // namespace app
