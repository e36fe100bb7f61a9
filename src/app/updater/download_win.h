#pragma once
// Downloads through the curl.exe that Windows keeps in System32; the program
// opens no network connection of its own.
// Defined in download_win.cpp.

#include <cstdint>
#include <string>
#include <vector>

#include "app/updater/manifest_check.h"
#include "base/result.h"

namespace app {

// curl.exe in the system folder as GetSystemDirectoryW names it; the
// environment (SystemRoot and the like) has no say in which program runs.
// Empty when the system folder cannot be named.
std::string system_curl_path();

// curl's arguments: no configuration file (-q must come first), no address
// patterns, at most `max_bytes` when the server says the length, fail on
// HTTP errors, quiet but for errors, follow redirects, https only, at most
// 600 seconds. There is no output path: curl writes to its standard output.
std::vector<std::string> curl_arguments(const std::string& url, std::uint64_t max_bytes);

// download_with_program with the system's curl.
base::Status download_with_curl(const DownloadRequest& request);

// Creates request.path, marks it for deletion and runs `curl` (a full path)
// in a job that ends it should this process end, without a console window,
// with the file as its standard output. Watches the file while curl writes:
// progress about once a second and once at the end, and curl is ended once
// the file passes request.max_bytes. Only a complete download keeps its file.
// Exit code 0: done; any other, or too many bytes: "Download failed". When
// curl cannot be started or waited for, or the file cannot be made: the
// system's text.
base::Status download_with_program(const std::string& curl, const DownloadRequest& request);

}  // namespace app
