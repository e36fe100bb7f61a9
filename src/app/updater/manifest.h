#pragma once
// The update server's manifest (update.json): where it is asked for and what
// it must hold.
// Defined in manifest.cpp.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"

namespace app {

// A newer version the server offers, from a valid manifest.
struct UpdateOffer {
  std::string version;
  std::string url;     // https only
  std::string sha256;  // 64 lower-case hexadecimal digits
  std::uint64_t size = 0;  // bytes; 0: not checked

  bool operator==(const UpdateOffer&) const = default;
};

// The most an installer may weigh; it is read into memory whole, so a
// manifest that offers more is refused before anything is downloaded.
inline constexpr std::uint64_t kInstallerMaxBytes = 1ull << 30;

// What every broken manifest fails with; the user is shown
// `manifest_failure_text()` for it (update_check.h).
inline constexpr std::string_view kManifestFailure = "manifest";

// The manifest's address: the update server's "tolvik/update.json" with the
// program's version and language code in the query.
std::string manifest_address(std::string_view server, std::string_view version, std::string_view language);

// One JSON object (white space may follow it, nothing else) with "version"
// (1 to 32 of "0"-"9" and "."), "url" (beginning with "https://" and
// something after it, without white space, quotes or control characters),
// "sha256" (64 hexadecimal digits in either case) and an optional "size" that
// counts only as a non-negative integer, at most kInstallerMaxBytes. Other
// members are ignored. Any rule broken: the error "manifest".
base::Result<UpdateOffer> parse_manifest(std::string_view text);

}  // namespace app
