// tolviksetup.dll: the few steps of tolvik's installer that NSIS has no
// instruction for. It is a 64-bit NSIS plugin (the installer is a 64-bit NSIS
// program, and the System plugin ships for 32-bit installers only):
//
//   tolviksetup::SetAppId <link> <app id>
//       Gives the shell link the Application User Model ID, so that the
//       Start-menu entry, the running window and its jump list are one app on
//       the taskbar. Pushes "ok", or "error 0x<HRESULT>".
//   tolviksetup::WaitUntilClosed <milliseconds> <program>
//       Waits until no tolvik.exe runs in this session: its single-instance
//       mutex is gone, no window of its class is left, and no process runs
//       from <program> (the install folder's tolvik.exe), window or not.
//       Pushes "closed", or "running" when the time ran out.
//   tolviksetup::AssociationsChanged
//       Tells the shell that a file type changed (SHChangeNotify), so Explorer
//       shows the new icon and verb without a new logon. Pushes nothing.
//   tolviksetup::AddToUserPath <folder>
//   tolviksetup::RemoveFromUserPath <folder>
//       Adds the folder to the user's PATH (HKCU\Environment "Path") when it
//       is not there, or takes it out, leaving the other entries and the
//       value's type (REG_EXPAND_SZ) as they were; then tells running
//       programs that the environment changed (WM_SETTINGCHANGE
//       "Environment"). Pushes "added", "present", "removed", "absent" or
//       "error <code>". NSIS's own strings are too short for a long PATH.
//
// NSIS calls each export with its parameter stack; parameters are popped in
// the order the script gives them.

#include <windows.h>
#include <objbase.h>
#include <propkey.h>
#include <propvarutil.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>

#include "app/state/program_names_win.h"
#include "base/path_list.h"
#include "base/utf.h"
#include "base/handle_win.h"
#include "base/running_programs_win.h"

namespace {

using Microsoft::WRL::ComPtr;

// One entry of NSIS's parameter stack; the text runs on past the declared
// array, string_size characters in all. NSIS allocates entries with
// GlobalAlloc, and whoever takes one off the stack frees it.
struct StackEntry {
  StackEntry* next;
  wchar_t text[1];
};

class Stack {
 public:
  Stack(StackEntry** top, int string_size) : top_(top), string_size_(string_size) {}

  // The next parameter; empty when the stack is empty.
  std::wstring pop() {
    if (top_ == nullptr || *top_ == nullptr) return {};
    StackEntry* entry = *top_;
    std::wstring text = entry->text;
    *top_ = entry->next;
    GlobalFree(entry);
    return text;
  }

  void push(std::wstring_view text) {
    if (top_ == nullptr || string_size_ <= 0) return;
    auto* entry = static_cast<StackEntry*>(
        GlobalAlloc(GPTR, sizeof(StackEntry) + static_cast<size_t>(string_size_) * sizeof(wchar_t)));
    if (entry == nullptr) return;
    const size_t length = std::min<size_t>(text.size(), static_cast<size_t>(string_size_) - 1);
    std::wmemcpy(entry->text, text.data(), length);
    entry->text[length] = L'\0';
    entry->next = *top_;
    *top_ = entry;
  }

 private:
  StackEntry** top_;
  int string_size_;
};

// COM for the length of one call. NSIS's thread may have initialised it
// already (S_FALSE, balanced too) or in another mode (not ours to undo).
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

std::wstring hresult_text(HRESULT result) {
  wchar_t text[32] = {};
  std::swprintf(text, 32, L"error 0x%08lX", static_cast<unsigned long>(result));
  return text;
}

HRESULT set_app_id(const std::wstring& link_path, const std::wstring& app_id) {
  ComPtr<IShellLinkW> link;
  HRESULT result =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
  if (FAILED(result)) return result;
  ComPtr<IPersistFile> file;
  if (FAILED(result = link.As(&file))) return result;
  if (FAILED(result = file->Load(link_path.c_str(), STGM_READWRITE))) return result;
  ComPtr<IPropertyStore> properties;
  if (FAILED(result = link.As(&properties))) return result;
  PROPVARIANT value;
  if (FAILED(result = InitPropVariantFromString(app_id.c_str(), &value))) return result;
  result = properties->SetValue(PKEY_AppUserModel_ID, value);
  PropVariantClear(&value);
  if (FAILED(result) || FAILED(result = properties->Commit())) return result;
  return file->Save(link_path.c_str(), TRUE);
}

// True while a tolvik.exe of this session holds its single-instance mutex or
// shows its window. The mutex goes only when the process has ended, so the
// program's files are free then; the window covers a start that has not made
// the mutex its own (a second full instance).
bool tolvik_window_running() {
  if (HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, app::kSingleInstanceMutex)) {
    CloseHandle(mutex);
    return true;
  }
  return FindWindowW(app::kWindowClass, nullptr) != nullptr;
}

constexpr wchar_t kEnvironmentKey[] = L"Environment";
constexpr wchar_t kPathValue[] = L"Path";
// Programs that do not answer the broadcast in this time are passed over.
constexpr UINT kSettingChangeTimeoutMs = 5000;

std::wstring error_text(LSTATUS status) { return L"error " + std::to_wstring(status); }

// Changes the user's PATH with `change` (the list in, the new list or nothing
// out); `done` and `unchanged` are what to push.
template <typename Change>
std::wstring change_user_path(Change&& change, const wchar_t* done, const wchar_t* unchanged) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kEnvironmentKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                   nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return error_text(status);
  const base::UniqueRegistryKey key(opened);
  DWORD type = REG_EXPAND_SZ;
  DWORD bytes = 0;
  std::wstring current;
  status = RegQueryValueExW(key.get(), kPathValue, nullptr, &type, nullptr, &bytes);
  if (status == ERROR_FILE_NOT_FOUND) {
    // No PATH of the user's own yet: one that may hold variables, as Windows makes it.
    type = REG_EXPAND_SZ;
  } else if (status != ERROR_SUCCESS) {
    return error_text(status);
  } else {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return error_text(ERROR_INVALID_DATA);
    current.resize(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(current.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key.get(), kPathValue, nullptr, &type, reinterpret_cast<BYTE*>(current.data()), &bytes);
    if (status != ERROR_SUCCESS) return error_text(status);
    current.resize(bytes / sizeof(wchar_t));
    while (!current.empty() && current.back() == L'\0') current.pop_back();
  }
  const std::optional<std::string> changed = change(base::narrow(current));
  if (!changed) return unchanged;
  const std::wstring text = base::widen(*changed);
  if (text.empty()) {
    status = RegDeleteValueW(key.get(), kPathValue);
  } else {
    status = RegSetValueExW(key.get(), kPathValue, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  if (status != ERROR_SUCCESS) return error_text(status);
  // Explorer reads the new value for the programs it starts from now on.
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kEnvironmentKey),
                      SMTO_ABORTIFHUNG, kSettingChangeTimeoutMs, nullptr);
  return done;
}

// True while a process runs from `program`, with a window or without one
// (a tolvik hidden in the notification area, an opening that finishes).
bool program_running(const std::wstring& program) {
  return !program.empty() && !base::processes_of(base::normal_path(program)).empty();
}

bool tolvik_running(const std::wstring& program) { return tolvik_window_running() || program_running(program); }

}  // namespace

extern "C" {

__declspec(dllexport) void SetAppId(HWND, int string_size, wchar_t*, StackEntry** top, void*) {
  Stack stack(top, string_size);
  const std::wstring link_path = stack.pop();
  const std::wstring app_id = stack.pop();
  ComScope com;
  if (!com.usable()) {
    stack.push(hresult_text(com.result()));
    return;
  }
  const HRESULT result = set_app_id(link_path, app_id);
  stack.push(SUCCEEDED(result) ? std::wstring(L"ok") : hresult_text(result));
}

__declspec(dllexport) void WaitUntilClosed(HWND, int string_size, wchar_t*, StackEntry** top, void*) {
  Stack stack(top, string_size);
  const unsigned long limit_ms = std::wcstoul(stack.pop().c_str(), nullptr, 10);
  const std::wstring program = stack.pop();
  constexpr DWORD kPollMs = 100;
  const ULONGLONG start = GetTickCount64();
  while (tolvik_running(program)) {
    if (GetTickCount64() - start >= limit_ms) {
      stack.push(L"running");
      return;
    }
    Sleep(kPollMs);
  }
  stack.push(L"closed");
}

__declspec(dllexport) void AssociationsChanged(HWND, int, wchar_t*, StackEntry**, void*) {
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

__declspec(dllexport) void AddToUserPath(HWND, int string_size, wchar_t*, StackEntry** top, void*) {
  Stack stack(top, string_size);
  const std::string folder = base::narrow(stack.pop());
  stack.push(change_user_path([&folder](const std::string& list) { return base::path_list::with(list, folder); },
                              L"added", L"present"));
}

__declspec(dllexport) void RemoveFromUserPath(HWND, int string_size, wchar_t*, StackEntry** top, void*) {
  Stack stack(top, string_size);
  const std::string folder = base::narrow(stack.pop());
  stack.push(change_user_path(
      [&folder](const std::string& list) -> std::optional<std::string> {
        if (!base::path_list::contains(list, folder)) return std::nullopt;
        return base::path_list::without(list, folder);
      },
      L"removed", L"absent"));
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
