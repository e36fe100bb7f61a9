// recorder.exe: a stand-in program for the tests of opening items. Each start
// appends one JSON line to a log: the raw command line, the arguments as
// CommandLineToArgvW splits them, and the working folder it was started in.
//
//   {"cmdline":"...","argv":["...",...],"cwd":"..."}
//
// The line also holds its process id, the time (milliseconds since 1970),
// the time the system created the process ("created_us", microseconds since
// 1970: the order of starts, which the order of the lines need not be, as
// recorders started 150 ms apart may reach their write in any order under
// load), the show command it was given (-1: none), whether its token is elevated and
// the process id of the program that started it ("parent").
//
// Arguments beginning with --recorder- make it stand in for a real program:
//   --recorder-window=MS      after MS milliseconds show a top-level window
//                             (its title: "recorder <pid>"), log
//                             {"event":"window",...,"shown":"normal|minimized|maximized"}
//                             and run until the window is asked to close, logging
//                             {"event":"close",...} when it is
//   --recorder-exit-after=MS  show nothing and end after MS milliseconds, like
//                             a launcher that hands over to another process
//
// The log is %TOLVIK_RECORDER_LOG% when set, else recorder.log beside the exe.
// UTF-16 is turned into UTF-8 by hand so that nothing is lost: an unpaired
// surrogate is written as a \uXXXX escape instead of being replaced.

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>
#include <string_view>

namespace {

void append_json_string(std::string& out, std::wstring_view text) {
  static const char hex[] = "0123456789abcdef";
  auto escape_unit = [&](unsigned unit) {
    out += "\\u";
    out += hex[(unit >> 12) & 0xF];
    out += hex[(unit >> 8) & 0xF];
    out += hex[(unit >> 4) & 0xF];
    out += hex[unit & 0xF];
  };
  out += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned unit = static_cast<unsigned short>(text[i]);
    unsigned code = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      unsigned low = static_cast<unsigned short>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (code == '"') {
      out += "\\\"";
    } else if (code == '\\') {
      out += "\\\\";
    } else if (code < 0x20 || code == 0x7F) {
      escape_unit(code);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      escape_unit(code);  // unpaired surrogate
    } else if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  out += '"';
}

std::wstring environment_value(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    return {};
  }
  std::wstring value(size, L'\0');
  DWORD written = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(written < size ? written : 0);
  return value;
}

std::wstring module_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) {
      return {};
    }
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring current_directory() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) {
    return {};
  }
  std::wstring dir(size, L'\0');
  DWORD n = GetCurrentDirectoryW(size, dir.data());
  dir.resize(n < size ? n : 0);
  return dir;
}

std::wstring log_path() {
  std::wstring path = environment_value(L"TOLVIK_RECORDER_LOG");
  if (!path.empty()) {
    return path;
  }
  path = module_path();
  size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path + L"recorder.log";
}

struct Handle {
  HANDLE value = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (value != INVALID_HANDLE_VALUE) {
      CloseHandle(value);
    }
  }
};

struct ArgvOwner {
  wchar_t** value = nullptr;
  ~ArgvOwner() { LocalFree(value); }
};

unsigned long long now_ms() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (ticks - 116444736000000000ULL) / 10000;
}

// When the system created this process, in microseconds since 1970; 0 when unknown.
unsigned long long created_us() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const unsigned long long ticks = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  return ticks < 116444736000000000ULL ? 0 : (ticks - 116444736000000000ULL) / 10;
}

bool token_elevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
  CloseHandle(token);
  return ok && elevation.TokenIsElevated != 0;
}

// The id of the process that started this one, as the system recorded it; 0 when unknown.
unsigned long parent_process_id() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  unsigned long parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) {
      parent = entry.th32ParentProcessID;
      break;
    }
  }
  CloseHandle(snapshot);
  return parent;
}

std::string event_head(const char* event) {
  return std::string("{\"event\":\"") + event + "\",\"pid\":" + std::to_string(GetCurrentProcessId()) +
         ",\"time\":" + std::to_string(now_ms());
}

// Several recorders may write at nearly the same time: open for appending
// with full sharing and write the line in one call, retrying briefly while
// another one holds the file.
bool append_line(const std::string& line) {
  std::wstring path = log_path();
  Handle file;
  for (int attempt = 0; attempt < 100; ++attempt) {
    file.value = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.value != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) {
      break;
    }
    Sleep(20);
  }
  if (file.value == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  return WriteFile(file.value, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
         written == line.size();
}

// The number after `prefix` in an argument, or -1.
long option_value(const wchar_t* arg, std::wstring_view prefix) {
  std::wstring_view text(arg);
  if (!text.starts_with(prefix)) return -1;
  return wcstol(arg + prefix.size(), nullptr, 10);
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    append_line(event_head("close") + "}\n");
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

int run_window(HINSTANCE instance, long delay_ms, int show) {
  Sleep(static_cast<DWORD>(delay_ms));
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"TolvikRecorderWindow";
  RegisterClassW(&window_class);
  const std::wstring title = L"recorder " + std::to_wstring(GetCurrentProcessId());
  HWND window = CreateWindowExW(0, window_class.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  // As programs do: the show command WinMain was given, which is the one the
  // starting program asked for (Wine does not apply it to SW_SHOWDEFAULT).
  ShowWindow(window, show);
  const char* shown = IsIconic(window) ? "minimized" : IsZoomed(window) ? "maximized" : "normal";
  append_line(event_head("window") + ",\"shown\":\"" + shown + "\"}\n");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  const wchar_t* command_line = GetCommandLineW();

  std::string line = "{\"cmdline\":";
  append_json_string(line, command_line);
  line += ",\"argv\":[";
  int argc = 0;
  ArgvOwner argv{CommandLineToArgvW(command_line, &argc)};
  for (int i = 0; argv.value != nullptr && i < argc; ++i) {
    if (i > 0) {
      line += ',';
    }
    append_json_string(line, argv.value[i]);
  }
  line += "],\"cwd\":";
  append_json_string(line, current_directory());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
  line += ",\"pid\":" + std::to_string(GetCurrentProcessId()) + ",\"time\":" + std::to_string(now_ms()) +
          ",\"created_us\":" + std::to_string(created_us()) +
          ",\"show\":" + std::to_string(show) + ",\"elevated\":" + (token_elevated() ? "true" : "false") +
          ",\"parent\":" + std::to_string(parent_process_id());
  line += "}\n";
  if (!append_line(line)) {
    return 1;
  }

  for (int i = 1; argv.value != nullptr && i < argc; ++i) {
    if (const long ms = option_value(argv.value[i], L"--recorder-window="); ms >= 0) {
      return run_window(instance, ms, show_command);
    }
    if (const long ms = option_value(argv.value[i], L"--recorder-exit-after="); ms >= 0) {
      Sleep(static_cast<DWORD>(ms));
      return 0;
    }
  }
  return 0;
}
