#include "app/updater/version_record_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/system_error.h"
#include "base/utf.h"

namespace app {
namespace {

struct Translation {
  WORD language;
  WORD code_page;
};

std::wstring string_value(const std::vector<BYTE>& record, const Translation& translation, const wchar_t* name) {
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation.language, translation.code_page, name);
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(record.data(), query, reinterpret_cast<void**>(&value), &length) || !value || length == 0) {
    return {};
  }
  // The length counts the terminating zero when there is one.
  std::wstring text(value, length);
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

}  // namespace

base::Result<InstallerRecord> read_version_record(const std::string& path) {
  const std::wstring wide_path = base::widen(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide_path.c_str(), &ignored);
  if (size == 0) return base::fail(base::last_error_text());
  std::vector<BYTE> record(size);
  if (!GetFileVersionInfoW(wide_path.c_str(), 0, size, record.data())) return base::fail(base::last_error_text());

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE) {
    return base::fail(base::system_error_text(ERROR_RESOURCE_TYPE_NOT_FOUND));
  }
  InstallerRecord result;
  char version[64];
  std::snprintf(version, sizeof version, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  result.file_version = version;

  Translation* translations = nullptr;
  if (VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                     &length) &&
      translations && length >= sizeof(Translation)) {
    result.product_name = base::narrow(string_value(record, translations[0], L"ProductName"));
  }
  return result;
}

}  // namespace app
