#include "app/reach/windowless_opening_win.h"

#include <vector>

#include "app/opening/opening_record_win.h"
#include "app/state/program_names_win.h"
#include "base/utf.h"

namespace app {

WindowlessOpening::WindowlessOpening()
    : com_(COINIT_APARTMENTTHREADED),
      record_([](const std::string& bundle_id, const std::vector<bundle::Item>& items, const OpenResult& result) {
        record_opening(bundle_id, items, result);
      }) {}

const LoadedBundles& WindowlessOpening::bundles() {
  if (!bundles_) bundles_ = load_bundles();
  return *bundles_;
}

void show_windowless_message(const std::string& text) {
  MessageBoxW(nullptr, base::widen(text).c_str(), kWindowTitle, MB_ICONWARNING | MB_SETFOREGROUND);
}

}  // namespace app
