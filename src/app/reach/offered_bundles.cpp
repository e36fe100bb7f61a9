#include "app/reach/offered_bundles.h"

#include "bundle/limits.h"

namespace app {

std::vector<OfferedBundle> offered_bundles(const bundle::Store& store) {
  std::vector<OfferedBundle> offered;
  for (const bundle::Bundle& b : store.bundles) {
    if (offered.size() == kMostOfferedBundles) break;
    if (b.name.empty() || bundle::utf16_length(b.name) > kLongestOfferedName) continue;
    offered.push_back({b.id, b.name});
  }
  return offered;
}

}  // namespace app
