#include <windows.h>

#include "app/updater/update_files.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/utf.h"

namespace app {
namespace {

std::uint64_t file_time_ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// FILETIME counts 100-nanosecond ticks.
constexpr std::uint64_t kTicksPerSecond = 10'000'000;

}  // namespace

void remove_stale_downloads(const std::string& folder) {
  FILETIME now_time{};
  GetSystemTimeAsFileTime(&now_time);
  const std::uint64_t now = file_time_ticks(now_time);
  WIN32_FIND_DATAW found{};
  const base::UniqueFind find(FindFirstFileExW(base::widen(base::join_path(folder, "*")).c_str(), FindExInfoBasic,
                                               &found, FindExSearchNameMatch, nullptr, 0));
  if (!find) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const std::uint64_t written = file_time_ticks(found.ftLastWriteTime);
    // A time ahead of the clock is no age at all.
    if (written >= now || now - written <= kStaleDownloadSeconds * kTicksPerSecond) continue;
    DeleteFileW(base::widen(base::join_path(folder, base::narrow(found.cFileName))).c_str());
  } while (FindNextFileW(find.get(), &found));
}

}  // namespace app
