#pragma once
// Where the updater keeps its downloads: the "tolvik" folder in the user's
// temporary folder.
//
// Each download is written to a name of its own and only then moved to its
// final name, so that two checks or two accepted offers running at once never
// write into the same file.

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

}  // namespace app
