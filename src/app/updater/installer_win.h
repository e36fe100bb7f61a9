#pragma once
// Fetching the offered installer and starting it: the download worker's job
// and the window's last step.
// Defined in installer_win.cpp.

#include <cstdint>
#include <functional>
#include <string>

#include "app/updater/manifest_check.h"
#include "app/updater/update_results.h"

namespace app {

// The arguments of a silent update installation.
inline constexpr const char* kInstallerArguments[] = {"/SILENT", "/SUPPRESSMSGBOXES", "/NORESTART", "/UPDATE=1"};

// Downloads the offer's installer to a name of its own in `work_folder`,
// moves it to "tolvik-Setup-<version>.exe" and opens it there for reading,
// sharing it for reading only; then tests its size (before reading it into
// memory), digest and signature on what that handle reads. A file that fails
// a test, or cannot be opened or read, is deleted. A verified
// installer comes back with the open handle as its hold, so that the bytes
// tested are the bytes that run.
// `progress` hears the bytes received while the download runs.
InstallResult fetch_installer(const Downloader& download, const std::string& work_folder, const UpdateOffer& offer,
                              std::function<void(std::uint64_t received)> progress = {});

// Starts the installer as a process of its own (not through the shell, in no
// job of this program's) with the silent arguments, in its own folder; the
// error is the system's text. The hold is kept meanwhile.
base::Status start_installer_process(const VerifiedInstaller& installer);

}  // namespace app
