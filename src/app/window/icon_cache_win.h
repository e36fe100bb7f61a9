#pragma once
// Item icons converted for drawing, by item key (bundle::item_key). The shell
// is never asked while painting: a drive without media would raise the
// system's "no disk" box and a sleeping disk would stall the frame. A frame
// lists the icons it lacks; the icon worker fetches them and the window
// converts them when they arrive. Until then the vector kind icon is drawn.

#include <d2d1.h>
#include <wrl/client.h>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "bundle/model.h"

namespace app {

// One icon for the worker to fetch.
struct IconRequest {
  std::string key;  // bundle::item_key of the target
  std::string target;
  bundle::Kind kind = bundle::Kind::file;
};

struct IconCache {
  // A null bitmap records that the shell gave none or it could not be
  // converted: the kind icon is drawn and the shell is not asked again.
  // Emptied when the rendering context is made again (the bitmaps belong to
  // its device).
  std::unordered_map<std::string, Microsoft::WRL::ComPtr<ID2D1Bitmap>> bitmaps;
  // Keys asked for and not answered yet, so that each is asked once.
  std::unordered_set<std::string> asked;
  // Asked for by a frame, not yet handed to a worker.
  std::vector<IconRequest> wanted;

  // Lets the shell be asked again for `key` (its target changed or came back).
  void forget(const std::string& key) {
    bitmaps.erase(key);
    asked.erase(key);
  }
};

}  // namespace app
