#pragma once
// The tests a downloaded installer must pass before it is started, and the
// texts of their failures. The signature test is Win32's (signature_win.h).
// Defined in installer_check.cpp.

#include <optional>
#include <string>
#include <string_view>

#include "app/updater/manifest.h"

namespace app {

// "Download failed": curl ended with an error.
std::string download_failed_text();
// "Downloaded size mismatch": not the size the manifest offered.
std::string size_mismatch_text();
// "The installer's digital signature could not be verified".
std::string signature_failed_text();

// The size test (skipped when the offer's size is 0), then the digest test.
// Nothing when both pass, else the failure to show; the caller deletes the file.
std::optional<std::string> installer_bytes_failure(std::string_view bytes, const UpdateOffer& offer);

// What a signed installer's version record says it is.
struct InstallerRecord {
  std::string product_name;
  std::string file_version;  // the four parts of the fixed record, "0.1.1.0"
};

// After the signature test: a validly signed file of the maker is still
// refused unless it is tolvik, of exactly the offered version, and newer
// than `current` (no older tolvik, no other program of the maker). Nothing
// when it passes, else the signature-failure text.
std::optional<std::string> installer_record_failure(const InstallerRecord& record, const UpdateOffer& offer,
                                                    std::string_view current);

// The product name an installer's record must carry.
inline constexpr std::string_view kInstallerProduct = "tolvik";

// The signer every installer must carry, letter for letter.
inline constexpr std::string_view kInstallerSigner = "Velmora Co., Ltd.";

}  // namespace app
