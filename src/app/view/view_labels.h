#pragma once
// Texts the view shows that depend on the state (view_labels.cpp); its fixed
// texts are in view_text.h.

#include <string>
#include <string_view>
#include <vector>

#include "app/state/app_state.h"
#include "app/state/hotkey_host.h"
#include "bundle/model.h"

namespace app {

// The header's text after the bundle's name: "Ctrl+Alt+1", or
// "Ctrl+Alt+1 · not available" when Windows refused it; empty without a key.
std::string header_hotkey_text(const bundle::Bundle& bundle, const std::vector<HotkeyRegistration>& registered);

// The mark an item's row shows for why the last opening did not open it;
// screen readers hear it as the item's status.
std::string_view failure_label(const OpenFailure& failure);

}  // namespace app
