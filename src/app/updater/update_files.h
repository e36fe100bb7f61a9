#pragma once
// Where the updater keeps its downloads: the "tolvik" folder in the user's
// temporary folder.
//
// Each download is written to a name of its own and only then moved to its
// final name, so that two checks or two accepted offers running at once never
// write into the same file.
// Defined in update_files.cpp, update_files_win.cpp.

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

std::string update_work_folder(std::string_view temp_folder);

// "tolvik-Setup-<version>.exe": the installer, left in place once started.
std::string installer_file_name(std::string_view version);

// A download's own name while curl writes it: the final name followed by the
// process id and a number counted up in the process.
std::string download_file_name(std::string_view final_name, std::uint32_t process_id, std::uint64_t serial);

// The manifest is read from a file of its own per check and deleted after.
std::string manifest_file_name(std::uint32_t process_id, std::uint64_t serial);

// A number for the next download of this process.
std::uint64_t next_download_serial();

// How long a file may stay in the work folder: a part of a download that an
// ended program could not delete, an installer that ran long ago.
inline constexpr std::uint64_t kStaleDownloadSeconds = 24 * 60 * 60;

// Deletes the files of `folder` last written more than kStaleDownloadSeconds
// ago; one that cannot be deleted (an installer still running) is left for
// the next time. Windows only (update_files_win.cpp).
void remove_stale_downloads(const std::string& folder);

}  // namespace app
