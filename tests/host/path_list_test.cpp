// The user's PATH as the installer changes it: the folder added once and
// taken out alone.

#include <gtest/gtest.h>

#include "base/path_list.h"

namespace {

namespace pl = base::path_list;

TEST(PathList, AddsOnlyWhatIsNotThere) {
  EXPECT_EQ(pl::with("", "C:\\Users\\Mira\\Programs\\tolvik"), "C:\\Users\\Mira\\Programs\\tolvik");
  EXPECT_EQ(pl::with("%USERPROFILE%\\bin", "D:\\t"), "%USERPROFILE%\\bin;D:\\t");
  // A list that ends in ";" gets no empty entry.
  EXPECT_EQ(pl::with("C:\\a;", "D:\\t"), "C:\\a;D:\\t");
  // Case and a trailing backslash do not make another folder; Unicode case neither.
  EXPECT_EQ(pl::with("C:\\a;c:\\USERS\\ÉVA\\Programs\\TOLVIK\\;C:\\b", "C:\\Users\\éva\\Programs\\tolvik"),
            std::nullopt);
  EXPECT_TRUE(pl::contains("C:\\;D:\\x", "c:\\"));
  EXPECT_FALSE(pl::contains("C:\\tolvik2;C:\\tol", "C:\\tolvik"));
}

TEST(PathList, RemovesOnlyThatFolder) {
  const std::string user = "%USERPROFILE%\\bin;C:\\Users\\Mira\\Programs\\tolvik;D:\\tools";
  EXPECT_EQ(pl::without(user, "C:\\Users\\Mira\\Programs\\tolvik"), "%USERPROFILE%\\bin;D:\\tools");
  EXPECT_EQ(pl::without("C:\\Users\\Mira\\Programs\\tolvik", "C:\\Users\\Mira\\Programs\\tolvik\\"), "");
  // Every copy goes, the others keep their text, empty entries included.
  EXPECT_EQ(pl::without("C:\\T;a;;C:\\t\\;b;", "c:\\t"), "a;;b;");
  // A folder that only begins like it stays.
  EXPECT_EQ(pl::without("C:\\tolvik-old;C:\\tolvik", "C:\\tolvik"), "C:\\tolvik-old");
  EXPECT_EQ(pl::without("D:\\x", "C:\\tolvik"), "D:\\x");
  // Added and taken out again: what was there before.
  EXPECT_EQ(pl::without(*pl::with(user, "E:\\new"), "E:\\new"), user);
}

}  // namespace
