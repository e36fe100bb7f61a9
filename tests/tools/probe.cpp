// probe.exe: lets the end-to-end tests look into the Windows side and drive it
// from outside tolvik.exe. Output is UTF-8 on stdout.
//
//   probe msgbox <caption> <timeout_ms> [button_id]
//       Waits for a top-level dialog (class "#32770") with that caption, prints
//       its message text, then presses button_id (default: OK, else the first
//       button). Exit 0 when found, 2 on timeout, 3 when it has no such button.
//   probe msgtext <caption> <timeout_ms>
//       Waits for a message box (a "#32770" dialog with that caption and no
//       text field, unlike a file dialog of the same caption) and prints its
//       message text, then one line with its buttons' labels joined by "|".
//       Presses nothing: the test answers it with the keyboard. Exit 0 when
//       found, 2 on timeout.
//   probe controls <caption> <timeout_ms>
//       Waits for a "#32770" dialog with that caption and prints one line per
//       control in tab order: its class, "on" or "off" (enabled), its check
//       state for a button (0, 1, 2; "-" otherwise), its id, the control that
//       has the focus marked "*", then its text (a combo box's: the chosen
//       entry; a hotkey control's: its value as 0xMMVV, HOTKEYF_* and the
//       virtual key), fields separated by tabs. Exit 0 when found, 2 on timeout.
//   probe copydata <class> <dwData> <text>
//       SendMessageW(WM_COPYDATA) to the window of that class with the text as
//       UTF-16 plus one NUL; prints the LRESULT. Exit 1 when there is no window.
//   probe close <class>      PostMessageW(WM_CLOSE); exit 1 when there is no window.
//   probe send <class> <message> <wparam> <lparam>   SendMessageW with numbers, prints the result.
//   probe setting-changed <area>   broadcasts WM_SETTINGCHANGE naming <area>, as
//                            Windows does after Settings changed something.
//   probe find <class>       prints the window handle in hex; exit 1 when none.
//   probe client <class>     prints the client area's screen rectangle as
//       "<x> <y> <width> <height>" and then "zoomed" or "normal" (IsZoomed);
//       exit 1 when there is no window.
//   probe regread <subkey> <value>
//       Prints HKCU\<subkey> <value>: REG_SZ as text, REG_DWORD/REG_QWORD as a
//       decimal number, REG_BINARY as "<size> <hex>". Exit 1 when missing.
//   probe langid             prints GetUserDefaultUILanguage() as 0xNNNN.
//   probe hold <path> <share> <ms>
//       Opens an existing file for reading with the share flags <share>
//       (FILE_SHARE_* bits: 0 lets nobody else open it, 1 lets others read it
//       but not write, replace or delete it), prints "held", and keeps it open
//       for <ms> or until the process is ended. Exit 1 when it cannot be opened.
//   probe hold-hotkey <modifiers> <vk> <ms>
//       Registers a system-wide hotkey for itself (RegisterHotKey with no
//       window; <modifiers> as MOD_* bits, <vk> a virtual-key code), prints
//       "held", and keeps it for <ms> or until the process is ended, as
//       another program that holds the key would. Exit 1, with the error code
//       printed, when Windows refuses it.
//   probe clip <text>        Puts the text on the clipboard as CF_UNICODETEXT.
//       Exit 1 when the clipboard cannot be opened.
//   probe errtext <code>     prints the system's message text for an error code.
//   probe mklink <lnk> <target> [arguments] [description]
//       Saves a shell link (IShellLinkW, IPersistFile) at <lnk>; its working
//       folder is the target's folder. Exit 1 when COM or the save fails.
//   probe readlink <lnk>
//       Loads a shell link without resolving it and prints four lines: its
//       target, arguments, description and working folder. Exit 1 when it
//       cannot be loaded.
//   probe linkappid <lnk> [app id]
//       Prints the shell link's Application User Model ID (PKEY_AppUserModel_ID,
//       read through its IPropertyStore). Exit 1 when the link cannot be
//       loaded or has no property store, 2 when it has no such value. With an
//       app id, sets it and saves the link instead (tells whether the shell's
//       links keep the value at all); exit 1 when that fails.
//   probe version <file>
//       Prints the file version of the file's version record ("1.2.3.4").
//       Exit 1 when the file has none.
//   probe shellopen <file>
//       Opens the file the way Explorer does on a double click (ShellExecuteExW,
//       default verb) and waits until the shell has started its program. Exit
//       1, with the error code printed, when the shell cannot open it.
//   probe foreground         prints the foreground window's title and the id of
//       its process ("<title>\t<pid>"); exit 1 when no window is in front.
//   probe shellwindows
//       Prints one line per window in the shell's window list (IShellWindows):
//       its address (IWebBrowser2::get_LocationURL, "file:///..." for a
//       folder). Exit 1 when the shell has no window list.
//   probe msaa <class>
//       What an MSAA client reads of the window: "name: ...", "role: N",
//       "children: N", then "child N: <name>" per child ("-" when it has none).
//       Exit 1 without the window or its client object.
//
// Exit code 64 means a usage error.

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <objbase.h>
#include <propkey.h>
#include <propvarutil.h>
#include <shellapi.h>
#include <exdisp.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kUsage = 64;

std::string to_utf8(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// Writes to the stdout handle itself: UTF-8 bytes into a pipe or file (what
// the tests read), UTF-16 through WriteConsoleW into a console. The C runtime's
// stdio would translate through the ANSI code page and lose Korean.
void print(std::wstring_view text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    DWORD written = 0;
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  std::string bytes = to_utf8(text);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

void println(std::wstring_view text) {
  print(std::wstring(text) + L"\n");
}

void fail_usage() {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const char text[] =
      "usage: probe msgbox <caption> <timeout_ms> [button_id] | msgtext <caption> <timeout_ms>"
      " | controls <caption> <timeout_ms>"
      " | copydata <class> <dwData> <text>"
      " | close <class> | send <class> <message> <wparam> <lparam> | setting-changed <area> | find <class>"
      " | client <class> | regread <subkey> <value> | langid"
      " | mklink <lnk> <target> [arguments] [description] | readlink <lnk> | linkappid <lnk> [app id]"
      " | version <file> | shellopen <file> | hold <path> <share> <ms> | clip <text> | errtext <code>"
      " | msaa <class>\n";
  DWORD written = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    WriteFile(err, text, sizeof(text) - 1, &written, nullptr);
  }
}

bool parse_number(const wchar_t* text, unsigned long long& value) {
  if (text == nullptr || *text == L'\0') {
    return false;
  }
  wchar_t* end = nullptr;
  value = std::wcstoull(text, &end, 0);  // decimal, or hex with 0x
  return end != nullptr && *end == L'\0';
}

std::wstring window_text(HWND window) {
  // WM_GETTEXT is marshalled across processes for standard controls.
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::wstring class_name(HWND window) {
  wchar_t name[256] = {};
  int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

struct DialogSearch {
  std::wstring caption;
  bool without_fields = false;  // only dialogs without an Edit or ComboBox child
  HWND found = nullptr;
};

BOOL CALLBACK find_field(HWND child, LPARAM param) {
  std::wstring name = class_name(child);
  if (_wcsicmp(name.c_str(), L"Edit") == 0 || _wcsicmp(name.c_str(), L"ComboBox") == 0) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK find_dialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  if (IsWindowVisible(window) && class_name(window) == L"#32770" &&
      window_text(window) == search->caption) {
    bool has_field = false;
    if (search->without_fields) {
      EnumChildWindows(window, find_field, reinterpret_cast<LPARAM>(&has_field));
    }
    if (!has_field) {
      search->found = window;
      return FALSE;
    }
  }
  return TRUE;
}

// Waits up to timeout_ms for a dialog with that caption; nullptr on timeout.
HWND wait_for_dialog(const std::wstring& caption, DWORD timeout_ms, bool without_fields) {
  DWORD start = GetTickCount();
  DialogSearch search{caption, without_fields};
  for (;;) {
    search.found = nullptr;
    EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      return search.found;
    }
    if (GetTickCount() - start >= timeout_ms) {
      return nullptr;
    }
    Sleep(50);
  }
}

struct DialogParts {
  std::vector<HWND> statics;
  std::vector<HWND> buttons;
};

BOOL CALLBACK collect_parts(HWND child, LPARAM param) {
  auto* parts = reinterpret_cast<DialogParts*>(param);
  std::wstring name = class_name(child);
  if (_wcsicmp(name.c_str(), L"Static") == 0) {
    parts->statics.push_back(child);
  } else if (_wcsicmp(name.c_str(), L"Button") == 0) {
    parts->buttons.push_back(child);
  }
  return TRUE;
}

std::wstring message_of(const DialogParts& parts) {
  // The message is the static control with text; the icon's static has none.
  std::wstring message;
  for (HWND part : parts.statics) {
    std::wstring text = window_text(part);
    if (text.size() > message.size()) {
      message = text;
    }
  }
  return message;
}

int command_msgtext(const std::wstring& caption, DWORD timeout_ms) {
  HWND dialog = wait_for_dialog(caption, timeout_ms, true);
  if (dialog == nullptr) {
    return 2;
  }
  DialogParts parts;
  EnumChildWindows(dialog, collect_parts, reinterpret_cast<LPARAM>(&parts));
  std::wstring labels;
  for (HWND button : parts.buttons) {
    if (!IsWindowVisible(button)) continue;
    labels += (labels.empty() ? L"" : L"|") + window_text(button);
  }
  println(message_of(parts));
  println(labels);
  return 0;
}

int command_msgbox(const std::wstring& caption, DWORD timeout_ms, int button_id) {
  HWND dialog = wait_for_dialog(caption, timeout_ms, false);
  if (dialog == nullptr) {
    return 2;
  }
  DialogParts parts;
  EnumChildWindows(dialog, collect_parts, reinterpret_cast<LPARAM>(&parts));
  println(message_of(parts));

  HWND button = nullptr;
  int id = 0;
  int wanted = button_id > 0 ? button_id : IDOK;
  for (HWND candidate : parts.buttons) {
    if (GetDlgCtrlID(candidate) == wanted) {
      button = candidate;
      id = wanted;
      break;
    }
  }
  if (button == nullptr && button_id <= 0 && !parts.buttons.empty()) {
    button = parts.buttons.front();
    id = GetDlgCtrlID(button);
  }
  if (button == nullptr) {
    return 3;
  }
  // WM_COMMAND reaches the dialog procedure whether or not the dialog has the
  // focus, unlike a simulated click.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return 0;
}

BOOL CALLBACK collect_controls(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
  return TRUE;
}

int command_controls(const std::wstring& caption, DWORD timeout_ms) {
  HWND dialog = wait_for_dialog(caption, timeout_ms, false);
  if (dialog == nullptr) {
    return 2;
  }
  // The focus of another process's window: the dialog's thread's input state.
  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
  std::vector<HWND> controls;
  EnumChildWindows(dialog, collect_controls, reinterpret_cast<LPARAM>(&controls));
  for (HWND control : controls) {
    if (GetParent(control) != dialog) continue;  // a combo box's own edit or list
    const std::wstring name = class_name(control);
    std::wstring check = L"-";
    std::wstring text = window_text(control);
    if (_wcsicmp(name.c_str(), L"Button") == 0) {
      check = std::to_wstring(SendMessageW(control, BM_GETCHECK, 0, 0));
    } else if (_wcsicmp(name.c_str(), HOTKEY_CLASSW) == 0) {
      // A hotkey control has no window text: its value, the virtual key in
      // the low byte and HOTKEYF_* in the high one, in hex.
      wchar_t value[16] = {};
      swprintf(value, 16, L"0x%04x", static_cast<unsigned>(LOWORD(SendMessageW(control, HKM_GETHOTKEY, 0, 0))));
      text = value;
    } else if (_wcsicmp(name.c_str(), L"ComboBox") == 0) {
      const LRESULT chosen = SendMessageW(control, CB_GETCURSEL, 0, 0);
      text.clear();
      if (chosen != CB_ERR) {
        const LRESULT length = SendMessageW(control, CB_GETLBTEXTLEN, chosen, 0);
        if (length > 0) {
          text.assign(static_cast<size_t>(length) + 1, L'\0');
          SendMessageW(control, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(text.data()));
          text.resize(static_cast<size_t>(length));
        }
      }
    }
    const bool focused = gui.hwndFocus == control || (gui.hwndFocus != nullptr && IsChild(control, gui.hwndFocus));
    println(name + L"\t" + (IsWindowEnabled(control) ? L"on" : L"off") + L"\t" + check + L"\t" +
            std::to_wstring(GetDlgCtrlID(control)) + (focused ? L"*" : L"") + L"\t" + text);
  }
  return 0;
}

int command_copydata(const std::wstring& window_class, ULONG_PTR marker, const std::wstring& text) {
  HWND window = FindWindowW(window_class.c_str(), nullptr);
  if (window == nullptr) {
    return 1;
  }
  std::wstring payload = text;
  payload.push_back(L'\0');
  COPYDATASTRUCT data{};
  data.dwData = marker;
  data.cbData = static_cast<DWORD>(payload.size() * sizeof(wchar_t));
  data.lpData = payload.data();
  LRESULT result = SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  println(std::to_wstring(static_cast<long long>(result)));
  return 0;
}

int command_close(const std::wstring& window_class) {
  HWND window = FindWindowW(window_class.c_str(), nullptr);
  if (window == nullptr) {
    return 1;
  }
  return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

// Sends a message (numbers in decimal or 0x hex) and prints the result.
int command_send(const std::wstring& window_class, const std::wstring& message, const std::wstring& wparam,
                 const std::wstring& lparam) {
  HWND window = FindWindowW(window_class.c_str(), nullptr);
  if (window == nullptr) {
    return 1;
  }
  const LRESULT result = SendMessageW(window, static_cast<UINT>(wcstoul(message.c_str(), nullptr, 0)),
                                      static_cast<WPARAM>(wcstoull(wparam.c_str(), nullptr, 0)),
                                      static_cast<LPARAM>(wcstoll(lparam.c_str(), nullptr, 0)));
  wchar_t text[32] = {};
  swprintf(text, 32, L"%lld", static_cast<long long>(result));
  println(text);
  return 0;
}

// What Windows does after a setting changed: WM_SETTINGCHANGE to every
// top-level window, naming the area of the change ("Accessibility" for the
// text size), each window given up to five seconds to answer.
int command_setting_changed(const std::wstring& area) {
  DWORD_PTR answer = 0;
  const LRESULT sent = SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                           reinterpret_cast<LPARAM>(area.c_str()), SMTO_ABORTIFHUNG, 5000, &answer);
  return sent ? 0 : 1;
}

int command_find(const std::wstring& window_class) {
  HWND window = FindWindowW(window_class.c_str(), nullptr);
  if (window == nullptr) {
    return 1;
  }
  wchar_t text[32] = {};
  swprintf(text, 32, L"0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
  println(text);
  return 0;
}

// Where the client area is on the screen: with a drawn frame it starts below
// the caption and inside the border, which the tests must click around.
int command_client(const std::wstring& window_class) {
  HWND window = FindWindowW(window_class.c_str(), nullptr);
  if (window == nullptr) {
    return 1;
  }
  RECT client{};
  POINT origin{0, 0};
  if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) {
    return 1;
  }
  wchar_t text[96] = {};
  swprintf(text, 96, L"%ld %ld %ld %ld %ls", origin.x, origin.y, client.right - client.left,
           client.bottom - client.top, IsZoomed(window) ? L"zoomed" : L"normal");
  println(text);
  return 0;
}

int command_regread(const std::wstring& subkey, const std::wstring& value) {
  DWORD type = 0;
  DWORD size = 0;
  const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
  LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), value.c_str(), flags, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) {
    return 1;
  }
  std::vector<BYTE> data(size + sizeof(wchar_t));
  status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), value.c_str(), flags, &type,
                        data.data(), &size);
  if (status != ERROR_SUCCESS) {
    return 1;
  }
  data.resize(size);
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
      }
      println(text);
      return 0;
    }
    case REG_DWORD: {
      DWORD number = 0;
      if (size != sizeof(number)) {
        return 1;
      }
      std::memcpy(&number, data.data(), sizeof(number));
      println(std::to_wstring(number));
      return 0;
    }
    case REG_QWORD: {
      unsigned long long number = 0;
      if (size != sizeof(number)) {
        return 1;
      }
      std::memcpy(&number, data.data(), sizeof(number));
      println(std::to_wstring(number));
      return 0;
    }
    default: {
      static const wchar_t hex[] = L"0123456789abcdef";
      std::wstring text = std::to_wstring(size) + L" ";
      for (BYTE byte : data) {
        text += hex[byte >> 4];
        text += hex[byte & 0xF];
      }
      println(text);
      return 0;
    }
  }
}

int command_langid() {
  wchar_t text[16] = {};
  swprintf(text, 16, L"0x%04x", static_cast<unsigned>(GetUserDefaultUILanguage()));
  println(text);
  return 0;
}

// COM for the shell-link commands, for the life of one command.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// A new shell link object, or null.
Microsoft::WRL::ComPtr<IShellLinkW> new_shell_link() {
  Microsoft::WRL::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) link.Reset();
  return link;
}

int command_mklink(const std::wstring& path, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& description) {
  ComScope com;
  if (!com.ok()) return 1;
  Microsoft::WRL::ComPtr<IShellLinkW> link = new_shell_link();
  Microsoft::WRL::ComPtr<IPersistFile> file;
  if (!link || FAILED(link.As(&file))) return 1;
  std::wstring folder = target;
  const size_t slash = folder.find_last_of(L"\\/");
  folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
  const bool ok = SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
                  SUCCEEDED(link->SetDescription(description.c_str())) &&
                  (folder.empty() || SUCCEEDED(link->SetWorkingDirectory(folder.c_str()))) &&
                  SUCCEEDED(file->Save(path.c_str(), TRUE));
  return ok ? 0 : 1;
}

int command_readlink(const std::wstring& path) {
  ComScope com;
  if (!com.ok()) return 1;
  Microsoft::WRL::ComPtr<IShellLinkW> link = new_shell_link();
  Microsoft::WRL::ComPtr<IPersistFile> file;
  if (!link || FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ))) return 1;
  // The raw target (SLGP_RAWPATH): the link is read, never resolved.
  std::wstring text;
  std::vector<wchar_t> buffer(32768, L'\0');
  bool ok = SUCCEEDED(link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, SLGP_RAWPATH));
  text += std::wstring(buffer.data()) + L"\n";
  buffer.assign(buffer.size(), L'\0');
  ok = ok && SUCCEEDED(link->GetArguments(buffer.data(), static_cast<int>(buffer.size())));
  text += std::wstring(buffer.data()) + L"\n";
  buffer.assign(buffer.size(), L'\0');
  ok = ok && SUCCEEDED(link->GetDescription(buffer.data(), INFOTIPSIZE));
  text += std::wstring(buffer.data()) + L"\n";
  buffer.assign(buffer.size(), L'\0');
  ok = ok && SUCCEEDED(link->GetWorkingDirectory(buffer.data(), MAX_PATH));
  text += std::wstring(buffer.data());
  if (!ok) return 1;
  println(text);
  return 0;
}

int command_hold(const std::wstring& path, DWORD share, DWORD ms) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 1;
  }
  println(L"held");
  Sleep(ms);
  CloseHandle(file);
  return 0;
}

int command_hold_hotkey(UINT modifiers, UINT key, DWORD ms) {
  if (!RegisterHotKey(nullptr, 1, modifiers, key)) {
    println(std::to_wstring(GetLastError()));
    return 1;
  }
  println(L"held");
  Sleep(ms);
  UnregisterHotKey(nullptr, 1);
  return 0;
}

int command_clip(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) {
    return 1;
  }
  std::memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  // The clipboard may be busy for a moment with another program's reading.
  for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
    if (attempt == 50) {
      GlobalFree(memory);
      return 1;
    }
    Sleep(20);
  }
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!ok) {
    GlobalFree(memory);
  }
  return ok ? 0 : 1;
}

int command_errtext(DWORD code) {
  wchar_t* raw = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  if (n == 0 || raw == nullptr) {
    return 1;
  }
  std::wstring text(raw, n);
  LocalFree(raw);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  println(text);
  return 0;
}

int command_linkappid(const std::wstring& path, const wchar_t* new_id) {
  using Microsoft::WRL::ComPtr;
  ComScope com;
  ComPtr<IShellLinkW> link = new_shell_link();
  ComPtr<IPersistFile> file;
  ComPtr<IPropertyStore> properties;
  if (!com.ok() || !link || FAILED(link.As(&file)) ||
      FAILED(file->Load(path.c_str(), new_id != nullptr ? STGM_READWRITE : STGM_READ)) ||
      FAILED(link.As(&properties))) {
    return 1;
  }
  PROPVARIANT value;
  PropVariantInit(&value);
  int code = 0;
  if (new_id != nullptr) {
    const bool saved = SUCCEEDED(InitPropVariantFromString(new_id, &value)) &&
                       SUCCEEDED(properties->SetValue(PKEY_AppUserModel_ID, value)) &&
                       SUCCEEDED(properties->Commit()) && SUCCEEDED(file->Save(path.c_str(), TRUE));
    code = saved ? 0 : 1;
  } else if (SUCCEEDED(properties->GetValue(PKEY_AppUserModel_ID, &value)) && value.vt == VT_LPWSTR &&
             value.pwszVal != nullptr && *value.pwszVal != L'\0') {
    println(value.pwszVal);
  } else {
    code = 2;
  }
  PropVariantClear(&value);
  return code;
}

int command_version(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return 1;
  std::vector<BYTE> record(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, record.data())) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return 1;
  }
  wchar_t text[64] = {};
  swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  println(text);
  return 0;
}

int command_shellopen(const std::wstring& path) {
  ComScope com;  // the shell may hand the start to COM objects
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info)) return 0;
  println(std::to_wstring(GetLastError()));
  return 1;
}

int command_foreground() {
  HWND window = GetForegroundWindow();
  if (window == nullptr) return 1;
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  println(std::wstring(title) + L"\t" + std::to_wstring(process));
  return 0;
}

int command_shellwindows() {
  ComScope com;
  Microsoft::WRL::ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows)))) return 1;
  long count = 0;
  if (FAILED(windows->get_Count(&count))) return 1;
  for (long i = 0; i < count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    Microsoft::WRL::ComPtr<IDispatch> window;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser;
    if (FAILED(windows->Item(index, &window)) || !window || FAILED(window.As(&browser))) continue;
    BSTR address = nullptr;
    if (SUCCEEDED(browser->get_LocationURL(&address)) && address != nullptr) println(address);
    SysFreeString(address);
  }
  return 0;
}

// What an older screen reader reads of a window through MSAA: its client
// object's name, role and child count, then one line per child, "child N:
// name" (a child it cannot reach: "child N: -"). Windows makes this object
// from the window's UI Automation provider.
int command_msaa(const std::wstring& window_class) {
  HWND window = FindWindowW(window_class.c_str(), nullptr);
  if (window == nullptr) return 1;
  ComScope com;
  Microsoft::WRL::ComPtr<IAccessible> client;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(client.GetAddressOf()))) || !client) {
    return 1;
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  client->get_accName(self, &name);
  println(L"name: " + std::wstring(name ? name : L""));
  SysFreeString(name);
  VARIANT role;
  VariantInit(&role);
  client->get_accRole(self, &role);
  println(L"role: " + std::to_wstring(role.vt == VT_I4 ? role.lVal : -1));
  long count = 0;
  client->get_accChildCount(&count);
  println(L"children: " + std::to_wstring(count));
  for (long i = 1; i <= count; ++i) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = i;
    std::wstring line = L"child " + std::to_wstring(i) + L": ";
    BSTR child_name = nullptr;
    Microsoft::WRL::ComPtr<IDispatch> object;
    Microsoft::WRL::ComPtr<IAccessible> accessible;
    if (SUCCEEDED(client->get_accChild(child, &object)) && object && SUCCEEDED(object.As(&accessible)) &&
        SUCCEEDED(accessible->get_accName(self, &child_name)) && child_name) {
      line += child_name;
    } else if (SUCCEEDED(client->get_accName(child, &child_name)) && child_name) {
      line += child_name;
    } else {
      line += L"-";
    }
    SysFreeString(child_name);
    println(line);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fail_usage();
    return kUsage;
  }
  std::wstring command = argv[1];
  unsigned long long number = 0;
  if (command == L"msgbox" && (argc == 4 || argc == 5) && parse_number(argv[3], number)) {
    unsigned long long button = 0;
    if (argc == 5 && !parse_number(argv[4], button)) {
      fail_usage();
      return kUsage;
    }
    return command_msgbox(argv[2], static_cast<DWORD>(number), static_cast<int>(button));
  }
  if (command == L"msgtext" && argc == 4 && parse_number(argv[3], number)) {
    return command_msgtext(argv[2], static_cast<DWORD>(number));
  }
  if (command == L"controls" && argc == 4 && parse_number(argv[3], number)) {
    return command_controls(argv[2], static_cast<DWORD>(number));
  }
  if (command == L"copydata" && argc == 5 && parse_number(argv[3], number)) {
    return command_copydata(argv[2], static_cast<ULONG_PTR>(number), argv[4]);
  }
  if (command == L"close" && argc == 3) {
    return command_close(argv[2]);
  }
  if (command == L"send" && argc == 6) {
    return command_send(argv[2], argv[3], argv[4], argv[5]);
  }
  if (command == L"setting-changed" && argc == 3) {
    return command_setting_changed(argv[2]);
  }
  if (command == L"find" && argc == 3) {
    return command_find(argv[2]);
  }
  if (command == L"client" && argc == 3) {
    return command_client(argv[2]);
  }
  if (command == L"regread" && argc == 4) {
    return command_regread(argv[2], argv[3]);
  }
  if (command == L"foreground" && argc == 2) {
    return command_foreground();
  }
  if (command == L"langid" && argc == 2) {
    return command_langid();
  }
  if (command == L"mklink" && argc >= 4 && argc <= 6) {
    return command_mklink(argv[2], argv[3], argc > 4 ? argv[4] : L"", argc > 5 ? argv[5] : L"");
  }
  if (command == L"readlink" && argc == 3) {
    return command_readlink(argv[2]);
  }
  if (command == L"hold" && argc == 5 && parse_number(argv[3], number)) {
    unsigned long long ms = 0;
    if (!parse_number(argv[4], ms)) {
      fail_usage();
      return kUsage;
    }
    return command_hold(argv[2], static_cast<DWORD>(number), static_cast<DWORD>(ms));
  }
  if (command == L"hold-hotkey" && argc == 5 && parse_number(argv[2], number)) {
    unsigned long long key = 0;
    unsigned long long ms = 0;
    if (!parse_number(argv[3], key) || !parse_number(argv[4], ms)) {
      fail_usage();
      return kUsage;
    }
    return command_hold_hotkey(static_cast<UINT>(number), static_cast<UINT>(key), static_cast<DWORD>(ms));
  }
  if (command == L"clip" && argc == 3) {
    return command_clip(argv[2]);
  }
  if (command == L"errtext" && argc == 3 && parse_number(argv[2], number)) {
    return command_errtext(static_cast<DWORD>(number));
  }
  if (command == L"linkappid" && (argc == 3 || argc == 4)) {
    return command_linkappid(argv[2], argc == 4 ? argv[3] : nullptr);
  }
  if (command == L"version" && argc == 3) {
    return command_version(argv[2]);
  }
  if (command == L"shellwindows" && argc == 2) return command_shellwindows();
  if (command == L"msaa" && argc == 3) return command_msaa(argv[2]);
  if (command == L"shellopen" && argc == 3) {
    return command_shellopen(argv[2]);
  }
  fail_usage();
  return kUsage;
}
