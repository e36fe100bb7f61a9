#include "app/updater/update_check.h"

#include "app/app_state.h"

namespace app {

void check_for_updates(AppState& state, UpdateRequest request) {
  state.platform.start_update_check(request == UpdateRequest::by_user);
}

}  // namespace app
