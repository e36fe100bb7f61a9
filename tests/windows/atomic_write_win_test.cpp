#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "bundle/atomic_write.h"
#include "bundle/store_file.h"
#include "support_win.h"

namespace {

using testing_support::TempFolder;

// Reads a file with plain Win32 calls, apart from the code under test.
std::optional<std::string> read_plain(const std::string& path) {
  base::UniqueFileHandle file(CreateFileW(base::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

void write_plain(const std::string& path, const std::string& bytes) {
  base::UniqueFileHandle file(
      CreateFileW(base::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << path;
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// Every "*.tmp" below the folder.
std::vector<std::wstring> temp_files(const std::wstring& folder) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      for (const std::wstring& inner : temp_files(folder + L"\\" + name)) found.push_back(inner);
    } else if (name.size() >= 4 && name.substr(name.size() - 4) == L".tmp") {
      found.push_back(folder + L"\\" + name);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

TEST(AtomicWrite, ReplacesAnExistingFile) {
  TempFolder dir;
  const std::string path = dir.path("bundles.json");
  write_plain(path, std::string(50000, 'o'));
  for (const std::string& bytes : {std::string("new"), std::string(), std::string(200000, 'n')}) {
    auto written = bundle::write_file_atomically(path, bytes);
    ASSERT_TRUE(written) << written.error().text;
    EXPECT_EQ(read_plain(path), bytes);
  }
  EXPECT_TRUE(temp_files(dir.wide()).empty());
}

TEST(AtomicWrite, KoreanPathAndMissingFolders) {
  TempFolder dir;
  const std::string folder = dir.path("묶음 폴더\\하위/더 깊이");
  const std::string path = folder + "\\번들.json";
  const bundle::Store store{
      1, {bundle::Bundle{"b1", "한국어 묶음", {bundle::Item{bundle::Kind::folder, "D:\\작업\\", "", ""}}}}};
  auto written = bundle::write_file_atomically(path, bundle::serialize_store(store));
  ASSERT_TRUE(written) << written.error().text;
  EXPECT_TRUE(base::is_directory(folder));
  // Really stored under the Unicode name, seen with the system's own calls.
  EXPECT_NE(GetFileAttributesW(base::widen(dir.path() + "\\묶음 폴더\\하위\\더 깊이\\번들.json").c_str()),
            INVALID_FILE_ATTRIBUTES);
  auto loaded = bundle::load_store(path);
  ASSERT_TRUE(loaded) << loaded.error().text;
  EXPECT_EQ(*loaded, store);
  EXPECT_TRUE(temp_files(dir.wide()).empty());
}

TEST(AtomicWrite, FailsWhenAParentIsAFileAndKeepsIt) {
  TempFolder dir;
  const std::string blocker = dir.path("store");
  write_plain(blocker, "old contents");
  for (const std::string& path : {blocker + "\\bundles.json", blocker + "\\deeper\\bundles.json"}) {
    auto written = bundle::write_file_atomically(path, "new");
    ASSERT_FALSE(written) << path;
    EXPECT_FALSE(written.error().text.empty());
    EXPECT_EQ(read_plain(blocker), "old contents");
  }
  EXPECT_TRUE(temp_files(dir.wide()).empty());
}

TEST(AtomicWrite, FailsWhenTheTargetIsAFolder) {
  TempFolder dir;
  const std::string folder = dir.path("bundles.json");
  ASSERT_TRUE(CreateDirectoryW(base::widen(folder).c_str(), nullptr));
  write_plain(folder + "\\inside", "kept");
  auto written = bundle::write_file_atomically(folder, "new");
  ASSERT_FALSE(written);
  EXPECT_FALSE(written.error().text.empty());
  EXPECT_TRUE(base::is_directory(folder));
  EXPECT_EQ(read_plain(folder + "\\inside"), "kept");
  EXPECT_TRUE(temp_files(dir.wide()).empty());
}

TEST(AtomicWrite, FailsWhenTheTemporaryFileCannotBeCreated) {
  TempFolder dir;
  const std::string path = dir.path("bundles.json");
  write_plain(path, "old");
  // A folder already holds the temporary name.
  const std::string temp_name = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  ASSERT_TRUE(CreateDirectoryW(base::widen(temp_name).c_str(), nullptr));
  auto written = bundle::write_file_atomically(path, "new");
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().text, base::system_error_text(ERROR_ACCESS_DENIED));
  EXPECT_EQ(read_plain(path), "old");
  EXPECT_TRUE(base::is_directory(temp_name));
}

TEST(WinFile, ReadFailuresAndTheirTexts) {
  TempFolder dir;
  auto missing = base::read_file(dir.path("missing.json"), 1024);
  ASSERT_FALSE(missing);
  EXPECT_TRUE(missing.error().not_found);
  EXPECT_EQ(missing.error().text, base::system_error_text(ERROR_FILE_NOT_FOUND));

  auto no_folder = base::read_file(dir.path("no\\such\\folder\\bundles.json"), 1024);
  ASSERT_FALSE(no_folder);
  EXPECT_TRUE(no_folder.error().not_found);

  auto store = bundle::load_store(dir.path("no\\such\\folder\\bundles.json"));
  ASSERT_TRUE(store) << store.error().text;
  EXPECT_EQ(*store, bundle::Store{});

  write_plain(dir.path("latin1.json"), "{\"bundles\": [{\"id\": \"caf\xE9\", \"name\": \"n\"}]}");
  auto bad_text = bundle::load_store(dir.path("latin1.json"));
  ASSERT_FALSE(bad_text);
  EXPECT_EQ(bad_text.error().text, base::system_error_text(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_FALSE(bad_text.error().text.empty());
  EXPECT_EQ(bad_text.error().text.find('\n'), std::string::npos);

  auto folder = base::read_file(dir.path(), 1024);
  ASSERT_FALSE(folder);
  EXPECT_FALSE(folder.error().not_found);
}

TEST(WinFile, ReadRefusesMoreThanItsLimit) {
  TempFolder dir;
  write_plain(dir.path("ten"), "0123456789");
  auto exact = base::read_file(dir.path("ten"), 10);
  ASSERT_TRUE(exact);
  EXPECT_EQ(*exact, "0123456789");

  auto over = base::read_file(dir.path("ten"), 9);
  ASSERT_FALSE(over);
  EXPECT_TRUE(over.error().too_large);
  EXPECT_FALSE(over.error().not_found);
  EXPECT_EQ(over.error().text, base::system_error_text(ERROR_FILE_TOO_LARGE));
}

TEST(WinFile, PathTextHelpers) {
  struct Case {
    const char* path;
    const char* parent;
    const char* name;
  };
  const Case cases[] = {
      {"C:\\a\\b.json", "C:\\a", "b.json"},
      {"C:\\b.json", "C:\\", "b.json"},
      {"C:\\", "", ""},
      {"C:b.json", "C:", "b.json"},
      {"C:/a/b.json", "C:/a", "b.json"},
      {"\\\\server\\share\\x\\b.json", "\\\\server\\share\\x", "b.json"},
      {"\\\\server\\share\\b.json", "\\\\server\\share\\", "b.json"},
      {"\\\\?\\C:\\b.json", "\\\\?\\C:\\", "b.json"},
      {"b.json", "", "b.json"},
      {"a\\\\b", "a", "b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base::parent_path(c.path), c.parent) << c.path;
    EXPECT_EQ(base::file_name(c.path), c.name) << c.path;
  }
  EXPECT_EQ(base::join_path("C:\\Users\\me\\AppData\\Roaming", "tolvik"), "C:\\Users\\me\\AppData\\Roaming\\tolvik");
  EXPECT_EQ(base::join_path("C:\\Temp\\", "tolvik"), "C:\\Temp\\tolvik");
}

TEST(WinFile, FolderThroughASymbolicLink) {
  TempFolder dir;
  const std::string real = dir.path("real");
  const std::string link = dir.path("link");
  ASSERT_TRUE(CreateDirectoryW(base::widen(real).c_str(), nullptr));
  write_plain(dir.path("file"), "x");
  EXPECT_TRUE(base::is_directory(real));
  EXPECT_FALSE(base::is_directory(dir.path("file")));
  EXPECT_FALSE(base::is_directory(dir.path("missing")));
  EXPECT_TRUE(base::path_exists(dir.path("file")));
  EXPECT_FALSE(base::path_exists(dir.path("missing")));
  // Needs developer mode (or the privilege) on Windows; Wine 8 reports success
  // but makes no link.
  if (!CreateSymbolicLinkW(base::widen(link).c_str(), base::widen(real).c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* ALLOW_UNPRIVILEGED_CREATE */) ||
      GetFileAttributesW(base::widen(link).c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "symbolic links cannot be made here";
  }
  EXPECT_TRUE(base::is_directory(link));
  ASSERT_TRUE(bundle::write_file_atomically(link + "\\bundles.json", "via link"));
  EXPECT_EQ(read_plain(real + "\\bundles.json"), "via link");
}

// Sets (or removes) an environment variable for one test and puts it back.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    if (n > 0 && n < 32768) old_ = std::wstring(buffer, n);
    SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnv() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::optional<std::wstring> old_;
};

TEST(WinStorePath, EnvironmentDecides) {
  {
    ScopedEnv store(L"TOLVIK_STORE", L"D:\\데이터\\my.json");
    EXPECT_EQ(bundle::store_path(), "D:\\데이터\\my.json");
  }
  {
    ScopedEnv store(L"TOLVIK_STORE", nullptr);
    ScopedEnv app_data(L"APPDATA", L"C:\\Users\\사용자\\AppData\\Roaming");
    EXPECT_EQ(bundle::store_path(), "C:\\Users\\사용자\\AppData\\Roaming\\tolvik\\bundles.json");
  }
  {
    ScopedEnv store(L"TOLVIK_STORE", nullptr);
    ScopedEnv app_data(L"APPDATA", nullptr);
    const std::string temp = base::temp_folder();
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(base::is_directory(temp)) << temp;
    EXPECT_EQ(bundle::store_path(), base::join_path(base::join_path(temp, "tolvik"), "bundles.json"));
  }
}

// Windows keeps a variable set to nothing apart from an unset one; both mean the user's own store.
TEST(WinStorePath, AnEmptyVariableIsTheUsersOwnStore) {
  {
    ScopedEnv store(L"TOLVIK_STORE", L"");
    EXPECT_EQ(bundle::store_path_override(), std::nullopt);
  }
  {
    ScopedEnv store(L"TOLVIK_STORE", nullptr);
    EXPECT_EQ(bundle::store_path_override(), std::nullopt);
  }
  {
    ScopedEnv store(L"TOLVIK_STORE", L"D:\\데이터\\my.json");
    EXPECT_EQ(bundle::store_path_override(), "D:\\데이터\\my.json");
  }
}

}  // namespace
