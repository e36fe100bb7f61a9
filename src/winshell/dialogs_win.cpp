#include "winshell/dialogs_win.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "base/utf.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

// A shell string that the caller must free with CoTaskMemFree.
class CoTaskString {
 public:
  CoTaskString() = default;
  CoTaskString(const CoTaskString&) = delete;
  CoTaskString& operator=(const CoTaskString&) = delete;
  ~CoTaskString() { CoTaskMemFree(text_); }
  PWSTR* put() { return &text_; }
  std::string utf8() const { return text_ ? base::narrow(text_) : std::string(); }

 private:
  PWSTR text_ = nullptr;
};

std::optional<std::string> file_system_path(IShellItem& item) {
  CoTaskString path;
  if (FAILED(item.GetDisplayName(SIGDN_FILESYSPATH, path.put()))) return std::nullopt;
  std::string text = path.utf8();
  if (text.empty()) return std::nullopt;
  return text;
}

// The filter records point into `storage`, which must outlive them.
void set_file_types(IFileDialog& dialog, const std::vector<FileType>& types, std::vector<std::wstring>& storage) {
  if (types.empty()) return;
  std::vector<COMDLG_FILTERSPEC> specs;
  storage.reserve(types.size() * 2);
  for (const FileType& type : types) {
    storage.push_back(base::widen(type.label));
    storage.push_back(base::widen(type.pattern));
  }
  for (std::size_t i = 0; i < types.size(); ++i) {
    specs.push_back({storage[2 * i].c_str(), storage[2 * i + 1].c_str()});
  }
  dialog.SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
}

}  // namespace

std::optional<std::string> known_folder_path(REFKNOWNFOLDERID folder) {
  CoTaskString path;
  if (FAILED(SHGetKnownFolderPath(folder, 0, nullptr, path.put()))) return std::nullopt;
  return path.utf8();
}

std::optional<std::string> program_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      return base::narrow(path);
    }
    path.resize(path.size() * 2);  // long paths: the name was cut
    if (path.size() > 32768) return std::nullopt;
  }
}

std::vector<std::string> open_files_dialog(HWND owner, std::string_view title, const std::vector<FileType>& types,
                                           const std::optional<std::string>& start_folder) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) return {};
  constexpr FILEOPENDIALOGOPTIONS kWanted =
      FOS_FORCEFILESYSTEM | FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_NODEREFERENCELINKS;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->SetOptions(SUCCEEDED(dialog->GetOptions(&options)) ? options | kWanted : kWanted);
  dialog->SetTitle(base::widen(title).c_str());
  std::vector<std::wstring> storage;
  set_file_types(*dialog.Get(), types, storage);
  if (start_folder) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(SHCreateItemFromParsingName(base::widen(*start_folder).c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
      dialog->SetFolder(folder.Get());
    }
  }
  if (FAILED(dialog->Show(owner))) return {};

  ComPtr<IShellItemArray> results;
  if (FAILED(dialog->GetResults(&results))) return {};
  DWORD count = 0;
  if (FAILED(results->GetCount(&count))) return {};
  std::vector<std::string> paths;
  for (DWORD i = 0; i < count; ++i) {
    ComPtr<IShellItem> item;
    if (FAILED(results->GetItemAt(i, &item))) continue;
    if (auto path = file_system_path(*item.Get())) paths.push_back(std::move(*path));
  }
  return paths;
}

std::optional<std::string> pick_folder_dialog(HWND owner, std::string_view title) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  if (FAILED(dialog->GetOptions(&options))) return std::nullopt;
  if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM))) return std::nullopt;
  dialog->SetTitle(base::widen(title).c_str());
  if (FAILED(dialog->Show(owner))) return std::nullopt;
  ComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(&item))) return std::nullopt;
  return file_system_path(*item.Get());
}

std::optional<std::string> save_file_dialog(HWND owner, std::string_view title, const std::vector<FileType>& types,
                                            std::string_view default_extension, std::string_view initial_name) {
  ComPtr<IFileSaveDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM);
  dialog->SetTitle(base::widen(title).c_str());
  std::vector<std::wstring> storage;
  set_file_types(*dialog.Get(), types, storage);
  dialog->SetDefaultExtension(base::widen(default_extension).c_str());
  dialog->SetFileName(base::widen(initial_name).c_str());
  if (FAILED(dialog->Show(owner))) return std::nullopt;
  ComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(&item))) return std::nullopt;
  return file_system_path(*item.Get());
}

}  // namespace winshell
