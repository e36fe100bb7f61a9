#pragma once
// What an assistive technology asks of the view (access_request.cpp): each
// request does what the keyboard or a click on the element does.

#include "app/view/access_tree.h"

namespace app {

struct AppState;

// Does it on the element that has the key now; false when the element is no
// longer there (its bundle or item went, or it was scrolled away) or does not
// take that request.
bool perform_access_request(AppState& state, const AccessRequest& request);

}  // namespace app
