#include "winshell/shell_icon_win.h"

#include <shellapi.h>

#include <string>

#include "base/utf.h"

namespace winshell {

HICON shell_icon(std::string_view path, bool as_folder, bool by_type_only) {
  const std::wstring wide = base::widen(path);
  SHFILEINFOW info{};
  UINT flags = SHGFI_ICON | SHGFI_LARGEICON;
  DWORD attributes = 0;
  if (by_type_only) {
    flags |= SHGFI_USEFILEATTRIBUTES;
    attributes = as_folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  }
  if (!SHGetFileInfoW(wide.c_str(), attributes, &info, sizeof(info), flags)) return nullptr;
  return info.hIcon;
}

bool is_network_path(std::string_view path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  // The long-path forms "\\?\C:\..." and "\\?\UNC\server\share" name a
  // local drive or a server after their prefix.
  if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && (path[2] == '?' || path[2] == '.') &&
      separator(path[3])) {
    path.remove_prefix(4);
    if (path.size() >= 4 && (path.substr(0, 3) == "UNC" || path.substr(0, 3) == "unc") && separator(path[3])) {
      return true;
    }
  } else if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
    // "\\server\share" or, written with forward slashes, "//server/share".
    return true;
  }
  const bool drive_letter = path.size() >= 2 && path[1] == ':' &&
                            ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (!drive_letter) return false;
  const wchar_t root[] = {static_cast<wchar_t>(path[0]), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace winshell
