#include "app/view/targets.h"

#include "app/state/app_state.h"
#include "base/environment.h"
#include "bundle/model.h"

namespace app {

TargetCheck check_target_list(const std::vector<std::string>& targets,
                              const std::function<bool(const std::string&)>& exists) {
  TargetCheck result;
  result.reserve(targets.size());
  // Checked as the opening finds them, reported as the view shows them.
  for (const std::string& target : targets) result.emplace_back(target, exists(base::expand_variables(target)));
  return result;
}

void apply_target_check(AppState& state, const TargetCheck& result) {
  bool changed = false;
  for (const auto& [target, exists] : result) {
    std::string key = bundle::item_key(target);
    const bool changed_here = exists ? state.missing_targets.erase(key) > 0 : state.missing_targets.insert(key).second;
    if (changed_here) state.platform.forget_icon(key);
    changed |= changed_here;
  }
  if (changed) {
    state.view_cache.missing_changed();
    state.redraw();
  }
}

Mailbox<TargetCheck>& target_checks() {
  static Mailbox<TargetCheck> mailbox;
  return mailbox;
}

}  // namespace app
