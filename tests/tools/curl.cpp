// curl.exe: a stand-in for the curl of System32 in the updater's tests. It
// takes the options the program passes, logs each start as one JSON line,
// and "downloads" from a local folder instead of the network:
//
//   {"argv":[...],"console":true|false,"pid":N}
//
// and, when it ends by itself, {"exit":{"pid":N,"code":N,"output":"<path>"}}
// (a process ended from outside leaves no such line). The log is
// %TOLVIK_CURL_LOG% (else curl.log beside the exe); "console" says whether
// the process has a console window (GetConsoleWindow).
//
// The address https://<host>/<path>?<query> is served from
// %TOLVIK_CURL_ROOT%\<path> (host and query dropped), into the file of -o or
// else to the standard output. Like curl, -q is only honoured as the very
// first argument; here anything else first is refused. Exit codes are curl's:
// 0 done, 22 for a file that is not there (an HTTP error), 28 for a file whose
// name begins with "timeout" (a time-out), 63 for a file longer than
// --max-filesize, 23 when the output cannot be written, 2 for arguments it
// does not know (or -q not first).
//
// Words at the start of the served file's name, each followed by "-", change
// how it is served: "unsized" as by a server that sends no length (so
// --max-filesize cannot apply), "slow" in 100 pieces over about 20 seconds
// (%TOLVIK_CURL_SLOW_MS% milliseconds when set).
//
// Started by a test as
//
//   curl.exe --swap <folder> <program>
//
// it for 20 seconds keeps trying to put <program> in place of every
// "tolvik-Setup-*.exe" in <folder> (renaming a copy over it) and to delete it,
// the way a hostile program would between the program's tests and the
// installer's start. Its counts go to the log as {"swap":{...}}.

#include <windows.h>

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::wstring environment_value(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD written = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(written < size ? written : 0);
  return value;
}

std::wstring module_path() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n < path.size() ? n : 0);
  return path;
}

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string json_string(std::wstring_view text) {
  std::string out = "\"";
  for (char c : utf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[(c >> 4) & 0xF];
      out += hex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

struct Handle {
  HANDLE value = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (value != INVALID_HANDLE_VALUE && value != nullptr) CloseHandle(value);
  }
};

void append_log(const std::string& line) {
  std::wstring path = environment_value(L"TOLVIK_CURL_LOG");
  if (path.empty()) {
    path = module_path();
    path.resize(path.find_last_of(L"\\/") + 1);
    path += L"curl.log";
  }
  Handle file;
  for (int attempt = 0; attempt < 100; ++attempt) {
    file.value = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.value != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(20);
  }
  if (file.value == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file.value, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// The installers in `folder` for the swap to aim at.
std::vector<std::wstring> installers_in(const std::wstring& folder) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((folder + L"\\tolvik-Setup-*.exe").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

int swap_loop(const std::wstring& folder, const std::wstring& program) {
  const std::wstring copy = folder + L"\\swap-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  unsigned replaced = 0, deleted = 0, refused = 0, other = 0;
  const ULONGLONG end = GetTickCount64() + 20000;
  while (GetTickCount64() < end) {
    for (const std::wstring& target : installers_in(folder)) {
      CopyFileW(program.c_str(), copy.c_str(), FALSE);
      if (MoveFileExW(copy.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ++replaced;
      } else {
        const DWORD error = GetLastError();
        ++(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? refused : other);
      }
      if (DeleteFileW(target.c_str())) {
        ++deleted;
      } else {
        const DWORD error = GetLastError();
        ++(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? refused : other);
      }
    }
    Sleep(1);
  }
  DeleteFileW(copy.c_str());
  append_log("{\"swap\":{\"replaced\":" + std::to_string(replaced) + ",\"deleted\":" + std::to_string(deleted) +
             ",\"refused\":" + std::to_string(refused) + ",\"other\":" + std::to_string(other) + "}}\n");
  return 0;
}

// The file an address names under the served folder: scheme, host and query dropped.
std::wstring served_path(std::wstring url) {
  const size_t query = url.find_first_of(L"?#");
  if (query != std::wstring::npos) url.resize(query);
  const size_t scheme = url.find(L"://");
  if (scheme != std::wstring::npos) url.erase(0, scheme + 3);
  const size_t slash = url.find(L'/');
  std::wstring path = slash == std::wstring::npos ? L"" : url.substr(slash + 1);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return environment_value(L"TOLVIK_CURL_ROOT") + L"\\" + path;
}

// The path of the file behind a handle ("\\?\" dropped); empty when it has none.
std::wstring handle_path(HANDLE file) {
  wchar_t path[32768];
  const DWORD n = GetFinalPathNameByHandleW(file, path, 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 32768) return {};
  std::wstring result(path, n);
  if (result.rfind(L"\\\\?\\", 0) == 0) result.erase(0, 4);
  return result;
}

bool has_mode(const std::wstring& name, std::wstring_view mode) {
  size_t at = 0;
  for (;;) {
    const size_t dash = name.find(L'-', at);
    if (dash == std::wstring::npos) return false;
    const std::wstring_view word = std::wstring_view(name).substr(at, dash - at);
    if (word == mode) return true;
    if (word != L"slow" && word != L"unsized") return false;
    at = dash + 1;
  }
}

// Copies the served file to `out`, in pieces with pauses when `slow`; curl's
// exit code.
int serve(const std::wstring& source, HANDLE out, bool slow) {
  Handle in;
  in.value = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in.value == INVALID_HANDLE_VALUE) return 22;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(in.value, &size)) return 22;
  const size_t piece = slow ? static_cast<size_t>(size.QuadPart / 100 + 1) : (1u << 20);
  std::vector<char> buffer(piece);
  const std::wstring total_ms = environment_value(L"TOLVIK_CURL_SLOW_MS");
  const DWORD pause = (total_ms.empty() ? 20000 : wcstoul(total_ms.c_str(), nullptr, 10)) / 100;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(in.value, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return 23;
    if (read == 0) return 0;
    DWORD written = 0;
    if (!WriteFile(out, buffer.data(), read, &written, nullptr) || written != read) return 23;
    if (slow) Sleep(pause);
  }
}

int download(int argc, wchar_t** argv, std::wstring& output) {
  if (argc < 2 || std::wstring_view(argv[1]) != L"-q") return 2;
  std::wstring url;
  long long max_filesize = -1;
  for (int i = 2; i < argc; ++i) {
    const std::wstring_view arg = argv[i];
    const bool takes_value = arg == L"-o" || arg == L"--proto" || arg == L"--max-time" || arg == L"--max-filesize";
    if (takes_value && i + 1 < argc) {
      if (arg == L"-o") output = argv[i + 1];
      if (arg == L"--max-filesize") max_filesize = wcstoll(argv[i + 1], nullptr, 10);
      ++i;
    } else if (arg == L"-fsSL" || arg == L"--globoff") {
      continue;
    } else if (!arg.empty() && arg[0] != L'-' && url.empty()) {
      url = arg;
    } else {
      return 2;
    }
  }
  if (url.empty()) return 2;

  const std::wstring source = served_path(url);
  const std::wstring name = source.substr(source.find_last_of(L'\\') + 1);
  if (name.rfind(L"timeout", 0) == 0) return 28;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data)) return 22;
  const long long size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (max_filesize >= 0 && size > max_filesize && !has_mode(name, L"unsized")) return 63;

  Handle file;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!output.empty()) {
    file.value = CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    out = file.value;
  } else {
    output = handle_path(out);
  }
  if (out == INVALID_HANDLE_VALUE || out == nullptr) return 23;
  return serve(source, out, has_mode(name, L"slow"));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring_view(argv[1]) == L"--swap") return swap_loop(argv[2], argv[3]);

  std::string line = "{\"argv\":[";
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += ',';
    line += json_string(argv[i]);
  }
  line += "],\"console\":";
  line += GetConsoleWindow() != nullptr ? "true" : "false";
  line += ",\"pid\":" + std::to_string(GetCurrentProcessId());
  line += "}\n";
  append_log(line);

  std::wstring output;
  const int code = download(argc, argv, output);
  append_log("{\"exit\":{\"pid\":" + std::to_string(GetCurrentProcessId()) + ",\"code\":" + std::to_string(code) +
             ",\"output\":" + json_string(output) + "}}\n");
  return code;
}
