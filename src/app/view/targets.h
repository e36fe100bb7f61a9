#pragma once
// Which item targets of the selected bundle exist: checked off the window's
// thread, applied to the missing-target set when the result comes back.
// Defined in targets.cpp.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/state/mailbox.h"

namespace app {

struct AppState;

using TargetCheck = std::vector<std::pair<std::string, bool>>;

// The worker's job: (target, exists) for each target, in order.
TargetCheck check_target_list(const std::vector<std::string>& targets,
                              const std::function<bool(const std::string&)>& exists);

// The window's side: updates the missing-target set, invalidates on change.
void apply_target_check(AppState& state, const TargetCheck& result);

// The process-wide mailbox between the target-check worker and the window.
Mailbox<TargetCheck>& target_checks();

}  // namespace app
