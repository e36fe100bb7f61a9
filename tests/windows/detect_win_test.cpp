// Classification against the real Windows file system: Internet shortcuts,
// shell links, folders, drive roots and links to folders.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>
#include <winioctl.h>
#include <wrl/client.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/handle_win.h"
#include "base/utf.h"
#include "detect/detect.h"
#include "support_win.h"

namespace {

using bundle::Item;
using bundle::Kind;
using Microsoft::WRL::ComPtr;
using testing_support::TempFolder;

bool write_file(const std::string& path, const std::string& bytes) {
  base::UniqueFileHandle file(CreateFileW(base::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

TEST(DetectWin, InternetShortcutBecomesAWebAddressNamedAfterTheFile) {
  TempFolder folder;
  for (const std::string name : {"Team Site", "\uD300 \uC0AC\uC774\uD2B8"}) {  // "팀 사이트"
    const std::string path = folder.path(name + ".url");
    ASSERT_TRUE(write_file(path, "[InternetShortcut]\r\nURL=https://a.bc/x\r\nIconIndex=0\r\n"));
    const Item item = detect::item_from_path(path);
    EXPECT_EQ(item.kind, Kind::url) << name;
    EXPECT_EQ(item.target, "https://a.bc/x");
    EXPECT_EQ(item.name, name);
    EXPECT_EQ(item.args, "");
  }
}

TEST(DetectWin, ShortcutThatCannotBeReadIsAFile) {
  TempFolder folder;
  const std::string path = folder.path("Locked.url");
  ASSERT_TRUE(write_file(path, "[InternetShortcut]\r\nURL=https://a.bc\r\n"));
  // Held open with no sharing, as an editor in the middle of a save might.
  base::UniqueFileHandle holder(
      CreateFileW(base::widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  const Item item = detect::item_from_path(path);
  EXPECT_EQ(item.kind, Kind::file);
  EXPECT_EQ(item.target, path);
}

TEST(DetectWin, ShellLinkIsAnAppAndStaysALink) {
  base::ComScope com(COINIT_APARTMENTTHREADED);
  TempFolder folder;
  const std::wstring link_path = folder.wide(L"Editor.lnk");

  ComPtr<IShellLinkW> link;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
  ASSERT_HRESULT_SUCCEEDED(link->SetPath(L"C:\\windows\\notepad.exe"));
  ComPtr<IPersistFile> file;
  ASSERT_HRESULT_SUCCEEDED(link.As(&file));
  ASSERT_HRESULT_SUCCEEDED(file->Save(link_path.c_str(), TRUE));
  ASSERT_NE(GetFileAttributesW(link_path.c_str()), INVALID_FILE_ATTRIBUTES);

  const Item item = detect::item_from_path(base::narrow(link_path));
  EXPECT_EQ(item.kind, Kind::app);
  EXPECT_EQ(item.target, base::narrow(link_path));  // not resolved to notepad.exe
}

TEST(DetectWin, Folders) {
  TempFolder folder;
  ASSERT_TRUE(CreateDirectoryW(folder.wide(L"Reports").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(folder.wide(L"tools.exe").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(folder.wide(L"x.url").c_str(), nullptr));
  ASSERT_TRUE(write_file(folder.path("notes"), "x"));
  const std::string missing = "C:\\missing-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());

  struct Case {
    std::string path;
    Kind kind;
  };
  const Case cases[] = {
      {folder.path("Reports"), Kind::folder},
      {folder.path("Reports") + "\\", Kind::folder},
      {folder.path("tools.exe"), Kind::folder},
      {folder.path("x.url"), Kind::folder},  // a folder named like a shortcut cannot be read as one
      {folder.path("notes"), Kind::file},
      {"C:\\", Kind::folder},
      {"C:\\windows", Kind::folder},
      {"E:\\", Kind::folder},  // present or not
      {missing + "\\", Kind::folder},
      {missing, Kind::file},
      {missing + "\\setup.exe", Kind::app},
  };
  for (const Case& c : cases) {
    const Item item = detect::item_from_path(c.path);
    EXPECT_EQ(item.kind, c.kind) << c.path;
    EXPECT_EQ(item.target, c.path);
  }
}

// The layout FSCTL_SET_REPARSE_POINT takes for a junction (mount point).
struct MountPointBuffer {
  DWORD tag;
  WORD data_length;
  WORD reserved;
  WORD substitute_offset;
  WORD substitute_length;
  WORD print_offset;
  WORD print_length;
  wchar_t paths[MAX_PATH * 2];
};

bool make_junction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  base::UniqueFileHandle handle(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return false;
  const std::wstring substitute = L"\\??\\" + target;
  MountPointBuffer buffer{};
  buffer.tag = IO_REPARSE_TAG_MOUNT_POINT;
  buffer.substitute_length = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
  buffer.print_offset = static_cast<WORD>(buffer.substitute_length + sizeof(wchar_t));
  buffer.print_length = static_cast<WORD>(target.size() * sizeof(wchar_t));
  substitute.copy(buffer.paths, substitute.size());
  target.copy(buffer.paths + substitute.size() + 1, target.size());
  const WORD path_bytes = static_cast<WORD>(buffer.print_offset + buffer.print_length + sizeof(wchar_t));
  buffer.data_length = static_cast<WORD>(4 * sizeof(WORD) + path_bytes);
  const DWORD size = static_cast<DWORD>(offsetof(MountPointBuffer, substitute_offset)) + buffer.data_length;
  DWORD returned = 0;
  return DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, &buffer, size, nullptr, 0, &returned, nullptr) != 0;
}

bool is_link(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TEST(DetectWin, FolderReachedThroughALink) {
  TempFolder folder;
  const std::wstring target = folder.wide(L"Real");
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));

  // A symbolic link needs a privilege or developer mode; a junction does not.
  std::wstring link = folder.wide(L"Symlinked.exe");
  CreateSymbolicLinkW(link.c_str(), target.c_str(),
                      SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  if (!is_link(link)) {
    RemoveDirectoryW(link.c_str());
    link = folder.wide(L"Junction.exe");
    if (!make_junction(link, target) || !is_link(link)) {
      GTEST_SKIP() << "this system makes neither symbolic links nor junctions (Wine 8 does not); "
                      "the host suite checks a real link";
    }
  }
  const Item item = detect::item_from_path(base::narrow(link));
  EXPECT_EQ(item.kind, Kind::folder);  // not an app, whatever the link's name
}

}  // namespace
