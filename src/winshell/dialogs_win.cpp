#include "winshell/dialogs_win.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "base/handle_win.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "winshell/failure_win.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

std::optional<std::string> file_system_path(IShellItem& item) {
  base::CoTaskMem<wchar_t> path;
  if (failed("IShellItem::GetDisplayName", item.GetDisplayName(SIGDN_FILESYSPATH, path.put()))) return std::nullopt;
  std::string text = path ? base::narrow(path.get()) : std::string();
  if (text.empty()) return std::nullopt;
  return text;
}

// The filter records point into `storage`, which must outlive them.
void set_file_types(IFileDialog& dialog, const std::vector<FileType>& types, std::vector<std::wstring>& storage) {
  if (types.empty()) return;
  std::vector<COMDLG_FILTERSPEC> filters;
  storage.reserve(types.size() * 2);
  for (const FileType& type : types) {
    storage.push_back(base::widen(type.label));
    storage.push_back(base::widen(type.pattern));
  }
  for (std::size_t i = 0; i < types.size(); ++i) {
    filters.push_back({storage[2 * i].c_str(), storage[2 * i + 1].c_str()});
  }
  failed("IFileDialog::SetFileTypes", dialog.SetFileTypes(static_cast<UINT>(filters.size()), filters.data()));
}

}  // namespace

base::Result<std::string> known_folder_path(REFKNOWNFOLDERID folder) {
  base::CoTaskMem<wchar_t> path;
  if (const HRESULT hr = SHGetKnownFolderPath(folder, 0, nullptr, path.put()); failed("SHGetKnownFolderPath", hr)) {
    return base::fail(base::system_error_text(static_cast<std::uint32_t>(hr)));
  }
  return path ? base::narrow(path.get()) : std::string();
}

std::vector<std::string> open_files_dialog(HWND owner, std::string_view title, const std::vector<FileType>& types,
                                           const std::optional<std::string>& start_folder) {
  ComPtr<IFileOpenDialog> dialog;
  if (failed("CoCreateInstance(FileOpenDialog)",
             CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return {};
  }
  constexpr FILEOPENDIALOGOPTIONS kWanted =
      FOS_FORCEFILESYSTEM | FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_NODEREFERENCELINKS;
  FILEOPENDIALOGOPTIONS options = 0;
  const bool have_options = !failed("IFileOpenDialog::GetOptions", dialog->GetOptions(&options));
  failed("IFileOpenDialog::SetOptions", dialog->SetOptions(have_options ? options | kWanted : kWanted));
  failed("IFileOpenDialog::SetTitle", dialog->SetTitle(base::widen(title).c_str()));
  std::vector<std::wstring> storage;
  set_file_types(*dialog.Get(), types, storage);
  if (start_folder) {
    ComPtr<IShellItem> folder;
    if (!failed("SHCreateItemFromParsingName", SHCreateItemFromParsingName(base::widen(*start_folder).c_str(),
                                                                          nullptr, IID_PPV_ARGS(&folder)))) {
      failed("IFileOpenDialog::SetFolder", dialog->SetFolder(folder.Get()));
    }
  }
  if (!shown("IFileOpenDialog::Show", dialog->Show(owner))) return {};

  ComPtr<IShellItemArray> results;
  if (failed("IFileOpenDialog::GetResults", dialog->GetResults(&results))) return {};
  DWORD count = 0;
  if (failed("IShellItemArray::GetCount", results->GetCount(&count))) return {};
  std::vector<std::string> paths;
  for (DWORD i = 0; i < count; ++i) {
    ComPtr<IShellItem> item;
    if (failed("IShellItemArray::GetItemAt", results->GetItemAt(i, &item))) continue;
    if (auto path = file_system_path(*item.Get())) paths.push_back(std::move(*path));
  }
  return paths;
}

std::optional<std::string> pick_folder_dialog(HWND owner, std::string_view title) {
  ComPtr<IFileOpenDialog> dialog;
  if (failed("CoCreateInstance(FileOpenDialog)",
             CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  if (failed("IFileOpenDialog::GetOptions", dialog->GetOptions(&options))) return std::nullopt;
  if (failed("IFileOpenDialog::SetOptions", dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM))) {
    return std::nullopt;
  }
  failed("IFileOpenDialog::SetTitle", dialog->SetTitle(base::widen(title).c_str()));
  if (!shown("IFileOpenDialog::Show", dialog->Show(owner))) return std::nullopt;
  ComPtr<IShellItem> item;
  if (failed("IFileOpenDialog::GetResult", dialog->GetResult(&item))) return std::nullopt;
  return file_system_path(*item.Get());
}

std::optional<std::string> save_file_dialog(HWND owner, std::string_view title, const std::vector<FileType>& types,
                                            std::string_view default_extension, std::string_view initial_name) {
  ComPtr<IFileSaveDialog> dialog;
  if (failed("CoCreateInstance(FileSaveDialog)",
             CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  failed("IFileSaveDialog::GetOptions", dialog->GetOptions(&options));
  failed("IFileSaveDialog::SetOptions", dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM));
  failed("IFileSaveDialog::SetTitle", dialog->SetTitle(base::widen(title).c_str()));
  std::vector<std::wstring> storage;
  set_file_types(*dialog.Get(), types, storage);
  failed("IFileSaveDialog::SetDefaultExtension", dialog->SetDefaultExtension(base::widen(default_extension).c_str()));
  failed("IFileSaveDialog::SetFileName", dialog->SetFileName(base::widen(initial_name).c_str()));
  if (!shown("IFileSaveDialog::Show", dialog->Show(owner))) return std::nullopt;
  ComPtr<IShellItem> item;
  if (failed("IFileSaveDialog::GetResult", dialog->GetResult(&item))) return std::nullopt;
  return file_system_path(*item.Get());
}

}  // namespace winshell
