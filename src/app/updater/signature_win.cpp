#include "app/updater/signature_win.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <type_traits>

#include "base/utf.h"

namespace app {
namespace {

// The Windows 8 form of WINTRUST_DATA, 88 bytes with its last member
// (pSignatureSettings, left null). MinGW-w64's header stops before it.
struct WithSignatureSettings {
  WINTRUST_DATA data;
  void* signature_settings;
};
struct AsDeclared {
  WINTRUST_DATA data;
};
using TrustRecord = std::conditional_t<sizeof(WINTRUST_DATA) == 80, WithSignatureSettings, AsDeclared>;
static_assert(sizeof(TrustRecord) == 88, "WINTRUST_DATA of 88 bytes");
static_assert(sizeof(WINTRUST_FILE_INFO) == 32, "WINTRUST_FILE_INFO of 32 bytes");

// The name of the certificate that signed the file, read from the trust
// provider's state; empty when there is none.
std::wstring signer_name(HANDLE state_data) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state_data);
  if (!provider) return {};
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (!signer || signer->csCertChain < 1 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) return {};
  wchar_t name[256] = {};
  CertGetNameStringW(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256);
  name[255] = L'\0';
  return name;
}

}  // namespace

bool signed_by(const std::string& path, std::wstring_view signer) {
  const std::wstring wide_path = base::widen(path);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = wide_path.c_str();

  TrustRecord record{};
  WINTRUST_DATA& data = record.data;
  data.cbStruct = sizeof(record);
  data.dwUIChoice = WTD_UI_NONE;
  // Every certificate below the root is checked against its issuer's
  // revocation list or responder, so a stolen and revoked signing key stops
  // being trusted. When no answer can be had the file is refused: whoever can
  // serve the installer can often also keep the revocation servers away, and
  // a refused update only waits for the next check. (Roots carry no
  // revocation information; they are trusted or removed as a whole.)
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG verdict = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  const bool accepted = verdict == 0 && signer_name(data.hWVTStateData) == signer;

  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return accepted;
}

}  // namespace app
