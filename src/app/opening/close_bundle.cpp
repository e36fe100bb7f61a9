#include "app/opening/close_bundle.h"

#include <string>

#include "app/opening/opening_host.h"
#include "app/opening/opening_record.h"
#include "app/state/app_state.h"
#include "app/state/toast.h"
#include "lang/lang.h"

namespace app {

void close_bundle(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size()) return;
  // Copies: closing lets other messages run, which may change the bundles.
  const std::string id = state.store.bundles[index].id;
  const std::string name = state.store.bundles[index].name;
  const CloseReport report = state.platform.opening_host().close_last_opening(id);
  switch (report.kind) {
    case CloseReport::Kind::nothing_recorded:
      show_toast(state, lang::fill(lang::text("‘{0}’ 묶음에서 연 것 중 닫을 것이 없습니다",
                                              "Nothing “{0}” opened is left to close"),
                                   {name}));
      break;
    case CloseReport::Kind::unreadable:
      show_toast(state,
                 lang::fill(lang::text("닫지 못했습니다: {0}", "Couldn't close: {0}"), {name}) + " (" + report.text + ")");
      break;
    case CloseReport::Kind::closed:
      show_toast(state, report.text);
      break;
  }
}

}  // namespace app
