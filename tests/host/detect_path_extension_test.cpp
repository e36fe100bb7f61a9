#include "detect/path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(PathExtension, Table) {
  struct Case {
    std::string path;
    std::optional<std::string> extension;
  };
  const Case cases[] = {
      {"C:\\Work\\Report.DOCX", "docx"},
      {"a.tar.GZ", "gz"},
      {"C:/Work/b.TOLVIK", "tolvik"},
      {"\\\\nas\\share\\y.appref-ms", "appref-ms"},
      {"C:\\dir.d\\", "d"},  // trailing separators are ignored
      {"C:\\dir.d\\/\\", "d"},
      {"C:\\a.b\\c", std::nullopt},  // a dot in a folder name does not count
      {"C:/a.b/c", std::nullopt},
      {"C:\\T\\.exe", std::nullopt},
      {".profile", std::nullopt},
      {".a.b", "b"},
      {"a.", ""},  // a final dot: an empty extension, not none
      {"C:\\a\\..", std::nullopt},
      {"..", std::nullopt},
      {"C:\\", std::nullopt},
      {"\\", std::nullopt},
      {"", std::nullopt},
      {"C:", std::nullopt},
      {"C:x.TXT", "txt"},
      {"x.\u00C9T\u00C9", "\u00C9t\u00C9"},  // ASCII letters only are lowered
  };
  for (const Case& c : cases) EXPECT_EQ(detect::path_extension(c.path), c.extension) << c.path;
}

}  // namespace
