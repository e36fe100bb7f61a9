#include "app/app_state.h"
#include "bundle/atomic_write.h"
#include "bundle/store_file.h"
#include "lang/lang.h"

namespace app {

void save_store(AppState& state) {
  base::Status written = bundle::write_file_atomically(state.store_path, bundle::serialize_store(state.store));
  if (!written) {
    show_toast(state, std::string(lang::text("저장하지 못했습니다:", "Couldn't save:")) + " " + written.error().text);
  }
  state.platform.set_timer(TimerId::jump_list, kJumpListDelayMs);
  state.platform.invalidate();
}

}  // namespace app
