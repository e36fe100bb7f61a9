#include "base/win_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

namespace win_path = base::win_path;

TEST(WinPath, Separators) {
  EXPECT_TRUE(win_path::is_separator('\\'));
  EXPECT_TRUE(win_path::is_separator('/'));
  EXPECT_FALSE(win_path::is_separator(':'));
  EXPECT_TRUE(win_path::ends_with_separator("C:\\a/"));
  EXPECT_FALSE(win_path::ends_with_separator("C:\\a"));
  EXPECT_FALSE(win_path::ends_with_separator(""));
  EXPECT_EQ(win_path::without_trailing_separators("C:\\a\\/\\"), "C:\\a");
  EXPECT_EQ(win_path::without_trailing_separators("\\\\"), "");
  EXPECT_EQ(win_path::without_trailing_backslashes("C:\\a\\\\"), "C:\\a");
  EXPECT_EQ(win_path::without_trailing_backslashes("C:\\a/"), "C:\\a/");  // a slash stays
}

// Close finds the window an opening made for a folder by this rule, so a
// folder stored as "C:/Work" is closed when File Explorer shows "C:\Work".
TEST(WinPath, SamePathTakesEitherSlashTrailingSeparatorsAndAnyCase) {
  EXPECT_TRUE(win_path::same_path("C:/Work", "C:\\Work\\"));
  EXPECT_TRUE(win_path::same_path("c:\\work", "C:\\WORK"));
  EXPECT_TRUE(win_path::same_path("\\\\Server\\Share\\Ä", "//server/share/ä//"));
  EXPECT_TRUE(win_path::same_path("C:\\", "c:/"));
  EXPECT_FALSE(win_path::same_path("C:\\", "C:"));  // the root, and the drive's current folder
  EXPECT_FALSE(win_path::same_path("C:\\Work", "C:\\Work 2"));
  EXPECT_FALSE(win_path::same_path("C:\\Work\\a", "C:\\Worka"));
}

struct RootCase {
  const char* path;
  const char* root;
  const char* parent;
  const char* file_name;
};

TEST(WinPath, RootParentAndFileName) {
  const RootCase cases[] = {
      {"C:\\a\\b.txt", "C:\\", "C:\\a", "b.txt"},
      {"C:\\a.txt", "C:\\", "C:\\", "a.txt"},
      {"C:\\", "C:\\", "", ""},
      {"C:", "C:", "", ""},
      {"C:x.exe", "C:", "C:", "x.exe"},
      {"c:/a//b", "c:/", "c:/a", "b"},
      {"C:\\a\\", "C:\\", "C:\\a", ""},
      {"\\\\server\\share\\x\\y", "\\\\server\\share\\", "\\\\server\\share\\x", "y"},
      {"\\\\server\\share\\x", "\\\\server\\share\\", "\\\\server\\share\\", "x"},
      {"\\\\server\\share", "\\\\server\\share", "", ""},
      {"\\\\?\\C:\\x", "\\\\?\\C:\\", "\\\\?\\C:\\", "x"},
      {"\\a\\b", "\\", "\\a", "b"},
      {"/tmp/x/b.tolvik", "/", "/tmp/x", "b.tolvik"},
      {"dir\\x.json", "", "dir", "x.json"},
      {"x.json", "", "", "x.json"},
      {"", "", "", ""},
  };
  for (const RootCase& c : cases) {
    EXPECT_EQ(win_path::root(c.path), c.root) << c.path;
    EXPECT_EQ(win_path::parent(c.path), c.parent) << c.path;
    EXPECT_EQ(win_path::file_name(c.path), c.file_name) << c.path;
  }
}

TEST(WinPath, LastComponentIgnoresTrailingSeparatorsAndRoots) {
  EXPECT_EQ(win_path::last_component("C:\\dir.d\\/\\"), "dir.d");
  EXPECT_EQ(win_path::last_component("\\\\server\\share\\"), "share");
  EXPECT_EQ(win_path::last_component("C:\\"), "C:");
  EXPECT_EQ(win_path::last_component("notepad.exe"), "notepad.exe");
  EXPECT_EQ(win_path::last_component("\\\\"), "");
}

TEST(WinPath, Join) {
  EXPECT_EQ(win_path::join("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(win_path::join("C:\\a\\", "b"), "C:\\a\\b");
  EXPECT_EQ(win_path::join("C:/a/", "b"), "C:/a/b");
  EXPECT_EQ(win_path::join("", "b"), "b");
}

TEST(WinPath, DrivesAndShares) {
  EXPECT_TRUE(win_path::starts_with_drive("D:\\Docs"));
  EXPECT_TRUE(win_path::starts_with_drive("d:/docs"));
  EXPECT_FALSE(win_path::starts_with_drive("D:Docs"));
  EXPECT_FALSE(win_path::starts_with_drive("1:\\x"));
  EXPECT_TRUE(win_path::is_drive_root("E:\\"));
  EXPECT_TRUE(win_path::is_drive_root(":\\"));
  EXPECT_FALSE(win_path::is_drive_root("E:\\a"));
  EXPECT_FALSE(win_path::is_drive_root("E:/"));

  EXPECT_TRUE(win_path::names_share("\\\\server\\share\\x"));
  EXPECT_TRUE(win_path::names_share("//server/share/x"));
  EXPECT_TRUE(win_path::names_share("\\\\?\\UNC\\server\\share\\x"));
  EXPECT_TRUE(win_path::names_share("\\\\.\\unc\\server\\share"));
  EXPECT_FALSE(win_path::names_share("\\\\?\\C:\\x"));
  EXPECT_FALSE(win_path::names_share("C:\\x"));
  EXPECT_FALSE(win_path::names_share("\\x"));
  EXPECT_FALSE(win_path::names_share(""));

  EXPECT_EQ(win_path::drive_letter("C:\\x"), std::optional<char>('C'));
  EXPECT_EQ(win_path::drive_letter("\\\\?\\d:\\x"), std::optional<char>('d'));
  EXPECT_EQ(win_path::drive_letter("relative\\x"), std::nullopt);
  EXPECT_EQ(win_path::drive_letter("1:\\x"), std::nullopt);
  EXPECT_EQ(win_path::drive_letter("\\\\server\\share"), std::nullopt);
}

}  // namespace
