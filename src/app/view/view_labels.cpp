#include "app/view/view_labels.h"

#include "app/view/view_text.h"
#include "lang/lang.h"

namespace app {

std::string header_hotkey_text(const bundle::Bundle& bundle, const std::vector<HotkeyRegistration>& registered) {
  if (!bundle.hotkey) return {};
  std::string text = bundle::hotkey_text(*bundle.hotkey);
  const HotkeyRegistration* r = registration_of(registered, bundle.id);
  if (r && r->hotkey == *bundle.hotkey && !r->held) {
    text += " · ";
    text += lang::text("사용할 수 없음", "not available");
  }
  return text;
}

std::string_view failure_label(const OpenFailure& failure) {
  switch (failure.why) {
    case OpenFailure::Why::declined: return view_text::consent_declined();
    case OpenFailure::Why::timed_out: return view_text::timed_out_waiting();
    case OpenFailure::Why::failed: break;
  }
  return view_text::could_not_open();
}

}  // namespace app
