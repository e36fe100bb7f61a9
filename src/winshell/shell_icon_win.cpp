#include "winshell/shell_icon_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <type_traits>

#include "base/handle_win.h"
#include "base/utf.h"
#include "base/win_path.h"
#include "winshell/failure_win.h"

namespace winshell {

base::UniqueIcon shell_icon(std::string_view path, bool as_folder, bool by_type_only) {
  const std::wstring wide = base::widen(path);
  SHFILEINFOW info{};
  UINT flags = SHGFI_ICON | SHGFI_LARGEICON;
  DWORD attributes = 0;
  if (by_type_only) {
    flags |= SHGFI_USEFILEATTRIBUTES;
    attributes = as_folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  }
  if (!SHGetFileInfoW(wide.c_str(), attributes, &info, sizeof(info), flags)) {
    trace_last_error("SHGetFileInfoW");
    return {};
  }
  return base::UniqueIcon(info.hIcon);
}

base::UniqueIcon shell_item_icon(std::string_view parsing_name) {
  base::CoTaskMem<std::remove_pointer_t<PIDLIST_ABSOLUTE>> pidl;
  if (failed("SHParseDisplayName", SHParseDisplayName(base::widen(parsing_name).c_str(), nullptr, pidl.put(), 0, nullptr))) {
    return {};
  }
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl.get()), 0, &info, sizeof(info),
                      SHGFI_PIDL | SHGFI_ICON | SHGFI_LARGEICON)) {
    trace_last_error("SHGetFileInfoW");
    return {};
  }
  return base::UniqueIcon(info.hIcon);
}

bool is_network_path(std::string_view path) {
  if (base::win_path::names_share(path)) return true;
  const std::optional<char> drive = base::win_path::drive_letter(path);
  if (!drive) return false;
  const wchar_t root[] = {static_cast<wchar_t>(*drive), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace winshell
