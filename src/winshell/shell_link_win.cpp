#include "winshell/shell_link_win.h"

#include <string>

#include "base/failure_trace.h"
#include "base/file.h"
#include "base/utf.h"

namespace winshell {

using Microsoft::WRL::ComPtr;

std::string hresult_text(HRESULT hr) { return base::system_error_text(static_cast<std::uint32_t>(hr)); }

namespace {

// A failed call as the action's error, traced on the way.
base::Unexpected<base::Error> failure(std::string_view step, HRESULT hr) {
  base::trace_failure(step, hr);
  return base::fail(hresult_text(hr));
}

}  // namespace

base::Result<ComPtr<IShellLinkW>> make_shell_link(std::string_view target, std::string_view arguments,
                                                  std::string_view description) {
  ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
  if (FAILED(hr)) return failure("CoCreateInstance(ShellLink)", hr);
  const std::wstring wide_target = base::widen(target);
  if (hr = link->SetPath(wide_target.c_str()); FAILED(hr)) return failure("IShellLinkW::SetPath", hr);
  if (hr = link->SetArguments(base::widen(arguments).c_str()); FAILED(hr)) {
    return failure("IShellLinkW::SetArguments", hr);
  }
  if (hr = link->SetDescription(base::widen(description).c_str()); FAILED(hr)) {
    return failure("IShellLinkW::SetDescription", hr);
  }
  if (hr = link->SetIconLocation(wide_target.c_str(), 0); FAILED(hr)) {
    return failure("IShellLinkW::SetIconLocation", hr);
  }
  const std::string_view folder = base::parent_path(target);
  if (!folder.empty()) {
    if (hr = link->SetWorkingDirectory(base::widen(folder).c_str()); FAILED(hr)) {
      return failure("IShellLinkW::SetWorkingDirectory", hr);
    }
  }
  return link;
}

base::Status save_shell_link(IShellLinkW& link, std::string_view path) {
  ComPtr<IPersistFile> file;
  HRESULT hr = link.QueryInterface(IID_PPV_ARGS(&file));
  if (FAILED(hr)) return failure("IShellLinkW::QueryInterface(IPersistFile)", hr);
  if (hr = file->Save(base::widen(path).c_str(), TRUE); FAILED(hr)) return failure("IPersistFile::Save", hr);
  return {};
}

NewLinkResult create_shell_link_file(std::string_view path, std::string_view target, std::string_view arguments,
                                     std::string_view description) {
  auto link = make_shell_link(target, arguments, description);
  if (!link) return {NewLink::failed, link.error().text};
  const std::string temporary = std::string(path) + "." + std::to_string(base::process_id()) + ".tmp";
  if (auto saved = save_shell_link(*link.value().Get(), temporary); !saved) {
    DeleteFileW(base::widen(temporary).c_str());
    return {NewLink::failed, saved.error().text};
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  if (MoveFileExW(base::widen(temporary).c_str(), base::widen(path).c_str(), 0)) return {NewLink::created, {}};
  const DWORD error = GetLastError();
  DeleteFileW(base::widen(temporary).c_str());
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return {NewLink::name_taken, {}};
  base::trace_failure("MoveFileExW", HRESULT_FROM_WIN32(error));
  return {NewLink::failed, base::system_error_text(error)};
}

}  // namespace winshell
