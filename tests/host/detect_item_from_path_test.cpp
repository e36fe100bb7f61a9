#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "detect/detect.h"
#include "detect/internet_shortcut.h"
#include "temp_dir.h"

namespace {

using bundle::Item;
using bundle::Kind;

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Paths that exist on no Linux machine: classified by their form alone.
TEST(ItemFromPath, KindByForm) {
  struct Case {
    std::string path;
    Kind kind;
  };
  const Case cases[] = {
      {"C:\\Tools\\Setup.EXE", Kind::app},
      {"C:\\T\\x.LNK", Kind::app},
      {"C:\\T\\y.appref-ms", Kind::app},
      {"C:\\T\\z.Msc", Kind::app},
      {"C:\\T\\w.com", Kind::app},
      {"C:\\T\\v.bat", Kind::app},
      {"C:\\T\\u.Cmd", Kind::app},
      {"C:/T/forward.exe", Kind::app},
      {"C:\\T\\.exe", Kind::file},  // the whole name is ".exe": no extension
      {"C:\\T\\setup.exe.txt", Kind::file},
      {"C:\\T\\exe", Kind::file},
      {"C:\\T\\a.tolvik", Kind::file},
      {"C:\\T\\missing.url", Kind::file},  // an unreadable shortcut is a file
      {"D:\\Missing", Kind::file},
      {"D:\\Missing\\", Kind::folder},
      {"D:\\Missing/", Kind::folder},
      {"D:\\Tools.exe\\", Kind::folder},  // the trailing separator wins over the extension
      {"\\\\nas\\share\\", Kind::folder},
      {"E:\\", Kind::folder},
      {"e:\\", Kind::folder},
      {"E:", Kind::file},
  };
  for (const Case& c : cases) {
    const Item item = detect::item_from_path(c.path);
    EXPECT_EQ(item.kind, c.kind) << c.path;
    EXPECT_EQ(item.target, c.path);
    EXPECT_EQ(item.args, "");
    EXPECT_EQ(item.name, "");
  }
}

TEST(ItemFromPath, TargetIsValidUtf8) {
  // A path the shell delivered with an unpaired surrogate arrives here as bad UTF-8.
  EXPECT_EQ(detect::item_from_path("C:\\a\xED\xA0\x80.txt").target, "C:\\a\uFFFD\uFFFD\uFFFD.txt");
}

TEST(ItemFromPath, ExistingFoldersAndFiles) {
  testing_support::TempDir dir;
  std::filesystem::create_directory(dir.file("plain"));
  std::filesystem::create_directory(dir.file("tools.exe"));
  write_file(dir.file("run.exe"), "MZ");
  write_file(dir.file("notes"), "x");
  std::filesystem::create_directory_symlink(dir.file("plain"), dir.file("linked"));
  std::filesystem::create_directory_symlink(dir.file("plain"), dir.file("linked.lnk"));

  struct Case {
    std::string path;
    Kind kind;
  };
  const Case cases[] = {
      {dir.file("plain"), Kind::folder},  // no trailing separator needed
      {dir.file("plain") + "/", Kind::folder},
      {dir.file("tools.exe"), Kind::folder},  // a folder is a folder whatever its name
      {dir.file("linked"), Kind::folder},     // reached through a link
      {dir.file("linked.lnk"), Kind::folder},
      {dir.file("run.exe"), Kind::app},
      {dir.file("notes"), Kind::file},
      {dir.file("gone") + "/", Kind::folder},
      {dir.file("gone"), Kind::file},
  };
  for (const Case& c : cases) EXPECT_EQ(detect::item_from_path(c.path).kind, c.kind) << c.path;
}

struct InternetShortcut : ::testing::Test {
  testing_support::TempDir dir;

  Item classify(const std::string& name, const std::string& contents) {
    write_file(dir.file(name), contents);
    return detect::item_from_path(dir.file(name));
  }
};

TEST_F(InternetShortcut, AddressAndNameFromTheSection) {
  const Item item = classify("Team Site.url", "[InternetShortcut]\r\nURL=https://a.bc/x\r\nIconIndex=0\r\n");
  EXPECT_EQ(item.kind, Kind::url);
  EXPECT_EQ(item.target, "https://a.bc/x");
  EXPECT_EQ(item.name, "Team Site");
  EXPECT_EQ(item.args, "");
}

TEST_F(InternetShortcut, NameIsTheStemOfTheLastComponent) {
  EXPECT_EQ(classify("My.Site.url", "[InternetShortcut]\nURL=https://a.bc").name, "My.Site");
  EXPECT_EQ(classify("LOUD.URL", "[InternetShortcut]\nURL=https://a.bc").name, "LOUD");
}

TEST_F(InternetShortcut, WhichLinesCount) {
  struct Case {
    std::string contents;
    std::string address;  // empty: no address, the file is a plain file
  };
  const Case cases[] = {
      {"[internetshortcut]\nurl=https://a.bc", "https://a.bc"},
      {"[InternetShortcut]\n  URL =  https://a.bc/?q=1&r=2  \n", "https://a.bc/?q=1&r=2"},
      {"[InternetShortcut]\nURL=a=b", "a=b"},  // split at the first "=" only
      {"  [InternetShortcut]  \nURL=https://a.bc", "https://a.bc"},
      {"[DEFAULT]\nBASEURL=https://x.y\n[InternetShortcut]\nURL=https://a.bc", "https://a.bc"},
      {"[InternetShortcut]\nURL=\nURL=  \nURL=https://second", "https://second"},
      {"[InternetShortcut]\nURL=https://first\nURL=https://second", "https://first"},
      {"[InternetShortcut]\n[Other]\nURL=https://a.bc\n[InternetShortcut]\nURL=https://c.de", "https://c.de"},
      {"[InternetShortcut]\nURL=https://a.bc/\xE9", "https://a.bc/\uFFFD"},
      // A UTF-8 byte order mark before the header does not hide it.
      {"\xEF\xBB\xBF[InternetShortcut]\r\nURL=https://a.bc\r\n", "https://a.bc"},
      {"URL=https://a.bc", ""},
      {"[DEFAULT]\nURL=https://a.bc", ""},
      {"[InternetShortcut]\nURL=", ""},
      {"[InternetShortcut]\nURL=   \t", ""},
      {"[InternetShortcut]\n[Other]\nURL=https://a.bc", ""},
      {"[ InternetShortcut ]\nURL=https://a.bc", ""},
      {"[InternetShortcut.W]\nURL=https://a.bc", ""},
      {"[InternetShortcut]\nURLX=https://a.bc\nURI=https://a.bc\nURL https://a.bc", ""},
      {"[InternetShortcut]\rURL=https://a.bc", ""},  // a lone CR does not end a line
      {"\xEF\xBB\xBF\xEF\xBB\xBF[InternetShortcut]\nURL=https://a.bc", ""},  // one mark only
      {"", ""},
  };
  for (const Case& c : cases) {
    const Item item = classify("s.url", c.contents);
    if (c.address.empty()) {
      EXPECT_EQ(item.kind, Kind::file) << c.contents;
      EXPECT_EQ(item.target, dir.file("s.url"));
      EXPECT_EQ(item.name, "");
    } else {
      EXPECT_EQ(item.kind, Kind::url) << c.contents;
      EXPECT_EQ(item.target, c.address) << c.contents;
    }
  }
}

TEST_F(InternetShortcut, OneOverTheLimitIsAPlainFile) {
  const std::string header = "[InternetShortcut]\nURL=https://a.bc\n";
  const std::string filler(detect::kInternetShortcutMaxBytes - header.size(), 'x');
  const Item at_limit = classify("at.url", header + filler);
  EXPECT_EQ(at_limit.kind, Kind::url);
  EXPECT_EQ(at_limit.target, "https://a.bc");

  const Item over = classify("over.url", header + filler + "x");
  EXPECT_EQ(over.kind, Kind::file);
  EXPECT_EQ(over.target, dir.file("over.url"));
}

TEST_F(InternetShortcut, AFolderNamedLikeAShortcutIsAFolder) {
  std::filesystem::create_directory(dir.file("x.url"));
  const Item item = detect::item_from_path(dir.file("x.url"));
  EXPECT_EQ(item.kind, Kind::folder);
  EXPECT_EQ(item.target, dir.file("x.url"));
}

}  // namespace
