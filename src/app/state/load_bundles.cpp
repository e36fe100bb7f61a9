#include "app/state/load_bundles.h"

#include "base/file.h"
#include "bundle/store_file.h"

namespace app {

bool store_location_reachable(const std::string& path) {
  const std::string_view root = base::path_root(path);
  return root.empty() || base::path_exists(std::string(root));
}

LoadedBundles load_bundles(const std::string& path) {
  // A share that does not answer reads as a missing file: no bundles, and a
  // save would then write over the user's store once it is back.
  if (!store_location_reachable(path)) return LoadedBundles{path, bundle::Store{}, false, true};
  bool repaired = false;
  base::Result<bundle::Store> read = bundle::load_store(path, &repaired);
  return LoadedBundles{path, std::move(read), repaired, false};
}

LoadedBundles load_bundles() { return load_bundles(bundle::store_path()); }

}  // namespace app
