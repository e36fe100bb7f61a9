#pragma once
// The record of what openings started, in its file: written where an
// opening's result arrives, read and acted on by Close.
// Defined in opening_record_win.cpp.

#include <cstddef>
#include <string>
#include <vector>

#include "app/opening/opening_record.h"

namespace app {

// Records the opening of a bundle (the window's opening worker, the
// window-less --open). `positions`: empty for the whole bundle; for a retry
// of some items, each item's position in the bundle, and the retry is merged
// into the bundle's record. Failing to write it only costs a later Close.
void record_opening(const std::string& bundle_id, const std::vector<bundle::Item>& items, const OpenResult& result,
                    const std::vector<std::size_t>& positions = {});

// Asks the windows of what the bundle's last opening started to close and
// removes its record. Needs COM on the calling thread (File Explorer windows).
CloseReport close_last_opening(const std::string& bundle_id);

}  // namespace app
