#pragma once
// Reading the saved bundles: the one loader behind the window's start, the
// window-less --open, --close and --sign-in, and tolvikc. It only reads; what
// to do about a file it could not read is each caller's choice (the window
// sets it aside, the others report it).
// Defined in load_bundles.cpp.

#include <string>

#include "base/result.h"
#include "bundle/model.h"

namespace app {

struct LoadedBundles {
  std::string path;                     // the store file they were read from
  base::Result<bundle::Store> bundles;  // or why the file could not be read, in the parser's or system's words
  bool ids_repaired = false;            // empty, repeated or unusable ids were replaced; saving keeps the new ones
  // The drive or share of `path` did not answer: nothing was read and there
  // are no bundles, though a store file may be there.
  bool unreachable = false;
};

// A relative path, or one whose drive or share root answers.
bool store_location_reachable(const std::string& path);

// Reads the store file at `path`; a missing file is a store without bundles.
LoadedBundles load_bundles(const std::string& path);
// The same for the program's store file (bundle::store_path()).
LoadedBundles load_bundles();

}  // namespace app
