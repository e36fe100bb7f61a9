#pragma once
// Downloads through the curl.exe that Windows keeps in System32; the program
// opens no network connection of its own.

#include <string>
#include <vector>

#include "app/updater/manifest_check.h"
#include "base/result.h"

namespace app {

// %SystemRoot%\System32\curl.exe ("C:\Windows" when SystemRoot is not set).
std::string system_curl_path();

// curl's arguments: fail on HTTP errors, quiet but for errors, follow
// redirects, https only, at most 600 seconds, into `path`.
std::vector<std::string> curl_arguments(const std::string& url, const std::string& path);

// Runs curl without a console window and waits for it (its own time limit
// bounds the wait). Exit code 0: done; any other: "Download failed". When
// curl cannot be started or waited for: the system's text.
base::Status download_with_curl(const DownloadRequest& request);

}  // namespace app
