// recorder.exe: a stand-in program for the tests of opening items. Each start
// appends one JSON line to a log: the raw command line, the arguments as
// CommandLineToArgvW splits them, and the working folder it was started in.
//
//   {"cmdline":"...","argv":["...",...],"cwd":"..."}
//
// The log is %TOLVIK_RECORDER_LOG% when set, else recorder.log beside the exe.
// UTF-16 is turned into UTF-8 by hand so that nothing is lost: an unpaired
// surrogate is written as a \uXXXX escape instead of being replaced.

#include <windows.h>
#include <shellapi.h>

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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
  line += "}\n";

  // Several recorders may start at nearly the same time: open for appending
  // with full sharing and write the line in one call, retrying briefly while
  // another one holds the file.
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
    return 1;
  }
  DWORD written = 0;
  if (!WriteFile(file.value, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
      written != line.size()) {
    return 1;
  }
  return 0;
}
