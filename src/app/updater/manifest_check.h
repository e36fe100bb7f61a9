#pragma once
// The update check's work off the window's thread: download the manifest to
// a file of its own, read it, delete it, and decide.
// Defined in manifest_check.cpp.

#include <cstdint>
#include <functional>
#include <string>

#include "app/updater/update_results.h"
#include "base/result.h"

namespace app {

// One download: what to fetch, the file to write, the most it may bring, and
// who hears how many bytes have arrived so far (may be empty).
struct DownloadRequest {
  std::string url;
  std::string path;
  std::uint64_t max_bytes = 0;
  std::function<void(std::uint64_t received)> progress;
};

// Runs one download, blocking (curl on Windows); the error is the text the
// user is shown.
using Downloader = std::function<base::Status(const DownloadRequest& request)>;

// The manifest is small; a larger answer is no manifest.
inline constexpr std::size_t kManifestMaxBytes = 1u << 20;

// Makes the work folder (a failure shows as the download's), downloads the
// manifest from `address` into it, reads it as UTF-8 and deletes it, and
// compares its version with `current`.
CheckResult check_manifest(const Downloader& download, const std::string& work_folder, const std::string& address,
                           std::string_view current, bool manual);

}  // namespace app
