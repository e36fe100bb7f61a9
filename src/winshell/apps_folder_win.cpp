#include "winshell/apps_folder_win.h"

#include <shlobj.h>
#include <shellapi.h>
#include <knownfolders.h>
#include <wrl/client.h>

#include <type_traits>

#include "base/handle_win.h"
#include "base/utf.h"
#include "winshell/failure_win.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring display_name(IShellItem& item, SIGDN kind) {
  base::CoTaskMem<wchar_t> name;
  if (failed("IShellItem::GetDisplayName", item.GetDisplayName(kind, name.put())) || !name) return {};
  return name.get();
}

// A desktop program is named by the known folder that holds it
// ("{6D809377-...}\Tool\tool.exe"); the item then names the program's path.
std::wstring resolved(const std::wstring& parsing_name) {
  if (parsing_name.size() < 40 || parsing_name[0] != L'{' || parsing_name[37] != L'}' || parsing_name[38] != L'\\') {
    return parsing_name;
  }
  KNOWNFOLDERID folder_id;
  if (FAILED(CLSIDFromString(parsing_name.substr(0, 38).c_str(), &folder_id))) return parsing_name;
  base::CoTaskMem<wchar_t> folder;
  if (FAILED(SHGetKnownFolderPath(folder_id, KF_FLAG_DEFAULT, nullptr, folder.put())) || !folder) return parsing_name;
  return std::wstring(folder.get()) + parsing_name.substr(38);
}

int small_icon_index(IShellItem& item) {
  base::CoTaskMem<std::remove_pointer_t<PIDLIST_ABSOLUTE>> id_list;
  if (failed("SHGetIDListFromObject", SHGetIDListFromObject(&item, id_list.put()))) return -1;
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(id_list.get()), 0, &info, sizeof(info),
                      SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    return -1;
  }
  return info.iIcon;
}

}  // namespace

std::vector<AppsFolderEntry> apps_folder_entries() {
  std::vector<AppsFolderEntry> entries;
  ComPtr<IShellItem> folder;
  if (failed("SHGetKnownFolderItem(FOLDERID_AppsFolder)",
             SHGetKnownFolderItem(FOLDERID_AppsFolder, KF_FLAG_DEFAULT, nullptr, IID_PPV_ARGS(&folder)))) {
    return entries;
  }
  ComPtr<IEnumShellItems> items;
  if (failed("IShellItem::BindToHandler(BHID_EnumItems)",
             folder->BindToHandler(nullptr, BHID_EnumItems, IID_PPV_ARGS(&items)))) {
    return entries;
  }
  while (true) {
    ComPtr<IShellItem> item;
    if (items->Next(1, &item, nullptr) != S_OK || !item) break;
    AppsFolderEntry entry;
    entry.name = base::narrow(display_name(*item.Get(), SIGDN_NORMALDISPLAY));
    entry.parsing_name = base::narrow(resolved(display_name(*item.Get(), SIGDN_PARENTRELATIVEPARSING)));
    entry.icon = small_icon_index(*item.Get());
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace winshell
