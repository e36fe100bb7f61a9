#include "base/running_programs_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/handle_win.h"
#include "base/process_identity_win.h"

namespace base {
namespace {

// Calls `fill(buffer, size)`, which returns the length it needs or wrote, once
// more with a larger buffer when the first was too small. Empty on failure.
template <typename Fill>
std::wstring filled(Fill&& fill) {
  std::wstring text(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD size = fill(text.data(), static_cast<DWORD>(text.size()));
    if (size == 0) return {};
    if (size < text.size()) {
      text.resize(size);
      return text;
    }
    text.resize(size);
  }
  return {};
}

std::wstring_view file_name(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

bool same_name(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::optional<std::wstring> image_of(DWORD id) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return std::nullopt;
  std::wstring image = process_image(process.get());
  if (image.empty()) return std::nullopt;
  return image;
}

}  // namespace

std::wstring normal_path(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  const std::wstring full = filled([&](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
  });
  if (!full.empty()) path = full;
  const std::wstring long_form = filled([&](wchar_t* buffer, DWORD size) {
    return GetLongPathNameW(path.c_str(), buffer, size);
  });
  if (!long_form.empty()) path = long_form;
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

bool same_normal_path(const std::wstring& a, const std::wstring& b) { return same_name(a, b); }

std::vector<DWORD> processes_of(const std::wstring& program) {
  std::vector<DWORD> found;
  // A failed snapshot is INVALID_HANDLE_VALUE, as a failed CreateFileW is.
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || program.empty()) return found;
  const std::wstring_view wanted_name = file_name(program);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == 0 || entry.th32ProcessID == self) continue;
    // The snapshot names each program file; only those of the same name are
    // worth opening the process for.
    if (!same_name(file_name(entry.szExeFile), wanted_name)) continue;
    const std::optional<std::wstring> image = image_of(entry.th32ProcessID);
    if (image && same_normal_path(normal_path(*image), program)) found.push_back(entry.th32ProcessID);
  }
  return found;
}

}  // namespace base
