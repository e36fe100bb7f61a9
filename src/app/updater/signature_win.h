#pragma once
// The Authenticode test of a downloaded installer, through WinTrust.
// Defined in signature_win.cpp.

#include <string>
#include <string_view>

namespace app {

// True when WinVerifyTrust accepts the file's signature, no certificate of
// its chain below the root is revoked or of unknown revocation state, and
// the simple display name of the signing certificate is exactly `signer`
// (same letters, same case). The trust state is always closed again.
bool signed_by(const std::string& path, std::wstring_view signer);

}  // namespace app
