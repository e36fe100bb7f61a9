#include "app/updater/installer_win.h"

#include <windows.h>

#include <utility>

#include "app/state/maker.h"
#include "app/updater/installer_check.h"
#include "app/updater/signature_win.h"
#include "app/updater/update_files.h"
#include "app/updater/version_record_win.h"
#include "base/cmdline.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/process_win.h"
#include "base/utf.h"

namespace app {
namespace {

class FileHold final : public InstallerHold {
 public:
  explicit FileHold(base::UniqueFileHandle file) : file_(std::move(file)) {}

 private:
  base::UniqueFileHandle file_;
};

InstallResult failure(std::string text) { return {UpdateFailure{std::move(text)}}; }

// The size is tested before a byte is read: memory for the whole file is
// only asked for once the file is the size the offer said, and no more than
// an installer may weigh.
base::Result<std::string> read_held_file(HANDLE file, const UpdateOffer& offer) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return base::fail(base::last_error_text());
  const auto length = static_cast<std::uint64_t>(size.QuadPart);
  if (offer.size != 0 && length != offer.size) return base::fail(size_mismatch_text());
  if (length > kInstallerMaxBytes) return base::fail(base::system_error_text(ERROR_FILE_TOO_LARGE));
  std::string bytes(static_cast<std::size_t>(length), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    if (!ReadFile(file, bytes.data() + done, wanted, &read, nullptr)) return base::fail(base::last_error_text());
    if (read == 0) break;  // shorter than it said; the size test tells
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

InstallResult fetch_installer(const Downloader& download, const std::string& work_folder, const UpdateOffer& offer,
                              std::function<void(std::uint64_t received)> progress) {
  (void)base::create_directories(work_folder);
  const std::string name = installer_file_name(offer.version);
  const std::string path = base::join_path(work_folder, name);
  const std::string part =
      base::join_path(work_folder, download_file_name(name, base::process_id(), next_download_serial()));

  const std::uint64_t most = offer.size != 0 ? offer.size : kInstallerMaxBytes;
  if (base::Status fetched = download({offer.url, part, most, std::move(progress)}); !fetched) {
    (void)base::remove_file(part);
    return failure(fetched.error().text);
  }
  if (base::Status moved = base::rename_replace(part, path); !moved) {
    (void)base::remove_file(part);
    return failure(moved.error().text);
  }
  // From here on nobody can write, rename or delete the file until the
  // handle is closed: after a failed test, or once the installer started.
  base::UniqueFileHandle file(CreateFileW(base::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const std::string text = base::last_error_text();
    (void)base::remove_file(path);
    return failure(text);
  }
  base::Result<std::string> bytes = read_held_file(file.get(), offer);
  std::optional<std::string> failed;
  if (!bytes) failed = bytes.error().text;
  if (!failed) failed = installer_bytes_failure(*bytes, offer);
  if (!failed && !signed_by(path, base::widen(kInstallerSigner))) failed = signature_failed_text();
  if (!failed) {
    // The signature says who made the file; its record must say it is the
    // offered tolvik, so that a server that lies can push neither an older
    // version nor another program of the maker.
    base::Result<InstallerRecord> record = read_version_record(path);
    failed = record ? installer_record_failure(*record, offer, maker::kVersion) : signature_failed_text();
  }
  if (failed) {
    file.reset();
    (void)base::remove_file(path);
    return failure(std::move(*failed));
  }
  return {VerifiedInstaller{path, std::make_unique<FileHold>(std::move(file))}};
}

base::Status start_installer_process(const VerifiedInstaller& installer) {
  std::vector<std::string> line = {installer.path};
  for (const char* argument : kInstallerArguments) line.emplace_back(argument);
  // It starts in its own folder, not in whatever folder this program was
  // started from, which it could otherwise hold or load files from.
  base::ProcessOptions options;
  options.working_folder = std::string(base::parent_path(installer.path));
  base::Result<base::StartedProcess> started =
      base::start_process(installer.path, base::join_command_line(line), options);
  if (!started) return base::fail(started.error().text);
  return {};
}

}  // namespace app
