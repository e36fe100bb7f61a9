#include "app/input/access_request.h"

#include <optional>

#include "app/bundles/select.h"
#include "app/input/mouse.h"
#include "app/opening/open.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"

namespace app {

bool perform_access_request(AppState& state, const AccessRequest& request) {
  // A copy: what follows changes the state, and with it the kept layout.
  const ViewLayout layout = kept_layout(state, state.platform.text_measure());
  const AccessTree tree = build_access_tree(layout, state);
  const std::optional<std::size_t> found = tree.find(request.key);
  if (!found) return false;
  const AccessElement& element = tree.elements[*found];
  if (!element.region) return false;
  const Region region = *element.region;
  switch (request.kind) {
    case AccessRequest::Kind::invoke:
      if (!element.invokable) return false;
      if (region.kind == RegionKind::bundle_row) {
        select_bundle(state, region.index);
        open_bundle(state, region.index);
      } else if (region.kind == RegionKind::item_row) {
        open_single_item(state, region.index);
      } else {
        // A button does what its click does; a menu opens at its centre.
        dispatch_click(state, region, element.rect.x + element.rect.w / 2, element.rect.y + element.rect.h / 2);
      }
      return true;
    case AccessRequest::Kind::select:
      if (!element.selectable) return false;
      break;
    case AccessRequest::Kind::focus:
      if (element.native) {
        if (region.kind == RegionKind::search_box) state.platform.focus_search_box();
        state.focus = region;
        state.redraw();
        return true;
      }
      state.focus = region;
      state.platform.focus_window();
      break;
  }
  if (region.kind == RegionKind::bundle_row) {
    select_bundle(state, region.index);
  } else if (region.kind == RegionKind::item_row) {
    state.selected_item = region.index;
  }
  state.redraw();
  return true;
}

}  // namespace app
