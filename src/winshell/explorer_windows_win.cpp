#include "winshell/explorer_windows_win.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <optional>
#include <type_traits>

#include "base/handle_win.h"
#include "base/utf.h"
#include "winshell/failure_win.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

std::optional<std::string> folder_of(IDispatch& window) {
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IFolderView> folder_view;
  ComPtr<IPersistFolder2> folder;
  if (failed("IDispatch::QueryInterface(IServiceProvider)", window.QueryInterface(IID_PPV_ARGS(&services)))) {
    return std::nullopt;
  }
  if (failed("IServiceProvider::QueryService(STopLevelBrowser)",
             services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser)))) {
    return std::nullopt;
  }
  if (failed("IShellBrowser::QueryActiveShellView", browser->QueryActiveShellView(&view)) || !view) {
    return std::nullopt;
  }
  if (failed("IShellView::QueryInterface(IFolderView)", view->QueryInterface(IID_PPV_ARGS(&folder_view)))) {
    return std::nullopt;
  }
  if (failed("IFolderView::GetFolder", folder_view->GetFolder(IID_PPV_ARGS(&folder))) || !folder) {
    return std::nullopt;
  }
  base::CoTaskMem<std::remove_pointer_t<PIDLIST_ABSOLUTE>> id_list;
  if (failed("IPersistFolder2::GetCurFolder", folder->GetCurFolder(id_list.put())) || !id_list) {
    return std::nullopt;
  }
  wchar_t path[1040] = {};
  if (!SHGetPathFromIDListEx(id_list.get(), path, 1040, GPFIDL_DEFAULT)) {
    trace_last_error("SHGetPathFromIDListEx");
    return std::nullopt;
  }
  if (path[0] == L'\0') return std::nullopt;
  return base::narrow(path);
}

// The top-level window of a shell window; none when it would not say.
HWND window_of(IDispatch& window) {
  ComPtr<IWebBrowserApp> browser;
  SHANDLE_PTR handle = 0;
  if (failed("IDispatch::QueryInterface(IWebBrowserApp)", window.QueryInterface(IID_PPV_ARGS(&browser))) ||
      failed("IWebBrowserApp::get_HWND", browser->get_HWND(&handle))) {
    return nullptr;
  }
  return reinterpret_cast<HWND>(handle);
}

}  // namespace

namespace {

// Calls `visit` with each window in the shell's list that shows a file-system
// folder, and that folder.
template <class Visit>
void for_each_folder_window(IShellWindows& windows, Visit visit) {
  long count = 0;
  if (failed("IShellWindows::get_Count", windows.get_Count(&count))) return;
  for (long i = 0; i < count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    ComPtr<IDispatch> window;
    if (failed("IShellWindows::Item", windows.Item(index, &window)) || !window) continue;
    if (std::optional<std::string> folder = folder_of(*window.Get())) visit(*window.Get(), std::move(*folder));
  }
}

}  // namespace

std::vector<ExplorerWindow> explorer_windows(IShellWindows& windows) {
  std::vector<ExplorerWindow> found;
  for_each_folder_window(windows, [&found](IDispatch& window, std::string folder) {
    found.push_back({std::move(folder), window_of(window)});
  });
  return found;
}

std::size_t close_explorer_windows(IShellWindows& windows, const std::string& path,
                                   bool (*same_folder)(const std::string&, const std::string&)) {
  // Collected first: each window that quits leaves the list and moves the
  // indices of those after it.
  std::vector<ComPtr<IWebBrowser2>> matching;
  for_each_folder_window(windows, [&](IDispatch& window, const std::string& folder) {
    ComPtr<IWebBrowser2> browser;
    if (!same_folder(folder, path) ||
        failed("IDispatch::QueryInterface(IWebBrowser2)", window.QueryInterface(IID_PPV_ARGS(&browser)))) {
      return;
    }
    matching.push_back(std::move(browser));
  });
  std::size_t closed = 0;
  for (const ComPtr<IWebBrowser2>& browser : matching) {
    if (!failed("IWebBrowser2::Quit", browser->Quit())) ++closed;
  }
  return closed;
}

std::vector<ExplorerWindow> explorer_windows() {
  ComPtr<IShellWindows> windows;
  if (failed("CoCreateInstance(ShellWindows)",
             CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows)))) {
    return {};
  }
  return explorer_windows(*windows.Get());
}

namespace {

std::vector<std::string> folders_of(std::vector<ExplorerWindow> windows) {
  std::vector<std::string> folders;
  for (ExplorerWindow& window : windows) folders.push_back(std::move(window.folder));
  return folders;
}

}  // namespace

std::vector<std::string> explorer_folders(IShellWindows& windows) { return folders_of(explorer_windows(windows)); }

std::vector<std::string> explorer_folders() { return folders_of(explorer_windows()); }

}  // namespace winshell
