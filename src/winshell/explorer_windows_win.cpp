#include "winshell/explorer_windows_win.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <optional>

#include "base/utf.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

std::optional<std::string> folder_of(IDispatch& window) {
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IFolderView> folder_view;
  ComPtr<IPersistFolder2> folder;
  if (FAILED(window.QueryInterface(IID_PPV_ARGS(&services)))) return std::nullopt;
  if (FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser)))) return std::nullopt;
  if (FAILED(browser->QueryActiveShellView(&view)) || !view) return std::nullopt;
  if (FAILED(view->QueryInterface(IID_PPV_ARGS(&folder_view)))) return std::nullopt;
  if (FAILED(folder_view->GetFolder(IID_PPV_ARGS(&folder))) || !folder) return std::nullopt;
  PIDLIST_ABSOLUTE id_list = nullptr;
  if (FAILED(folder->GetCurFolder(&id_list)) || !id_list) return std::nullopt;
  wchar_t path[1040] = {};
  const BOOL found = SHGetPathFromIDListEx(id_list, path, 1040, GPFIDL_DEFAULT);
  CoTaskMemFree(id_list);
  if (!found || path[0] == L'\0') return std::nullopt;
  return base::narrow(path);
}

}  // namespace

std::vector<std::string> explorer_folders(IShellWindows& windows) {
  std::vector<std::string> folders;
  long count = 0;
  if (FAILED(windows.get_Count(&count))) return folders;
  for (long i = 0; i < count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    ComPtr<IDispatch> window;
    if (FAILED(windows.Item(index, &window)) || !window) continue;
    if (auto folder = folder_of(*window.Get())) folders.push_back(std::move(*folder));
  }
  return folders;
}

std::vector<std::string> explorer_folders() {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows)))) return {};
  return explorer_folders(*windows.Get());
}

}  // namespace winshell
