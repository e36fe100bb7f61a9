#pragma once
// What opening and closing bundles need from the window: the opening worker,
// Close, and one item started on the calling thread (WinPlatform in
// app/window/win_platform_win.h; FakePlatform in the tests).

#include <cstddef>
#include <string>
#include <vector>

#include "app/opening/opening_record.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

class OpeningHost {
 public:
  virtual ~OpeningHost() = default;

  // Background work: the result comes back through its mailbox and a message.
  // `positions`: each item's position in the bundle when only some of its
  // items open (Retry, one item); empty when the whole bundle opens.
  virtual base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items,
                                         std::vector<std::size_t> positions) = 0;
  // Closes what the bundle's last opening started (opening_record.h); lets
  // other messages run meanwhile (File Explorer windows are asked through COM).
  virtual CloseReport close_last_opening(const std::string& bundle_id) = 0;
  // Asks the running opening worker to start nothing more; it still answers
  // with its outcome.
  virtual void stop_opening() = 0;
  // Opening one item on the calling thread ("Open just this", double-click).
  virtual base::Status start_item(const bundle::Item& item) = 0;
};

}  // namespace app
