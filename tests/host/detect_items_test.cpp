#include "detect/detect.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "detect/lines.h"

namespace {

using bundle::Item;
using bundle::Kind;

struct Expected {
  Kind kind;
  std::string target;
};

// The one item a line yields, or none.
std::optional<Item> only_item(const std::string& line) {
  std::vector<Item> items = detect::detect_items(line);
  EXPECT_LE(items.size(), 1u) << line;
  if (items.empty()) return std::nullopt;
  return items.front();
}

struct LineCase {
  std::string line;
  std::optional<Expected> expected;  // none: the line is skipped
};

void check_lines(const std::vector<LineCase>& cases) {
  for (const LineCase& c : cases) {
    SCOPED_TRACE("line: [" + c.line + "]");
    const std::optional<Item> item = only_item(c.line);
    if (!c.expected) {
      EXPECT_FALSE(item) << "gave " << item->target;
      continue;
    }
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, c.expected->kind);
    EXPECT_EQ(item->target, c.expected->target);
    EXPECT_EQ(item->args, "");
    EXPECT_EQ(item->name, "");
  }
}

TEST(DetectLines, SplitsAtLineFeedsWithOptionalCarriageReturn) {
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(detect::split_lines(""), Lines{});
  EXPECT_EQ(detect::split_lines("a"), Lines{"a"});
  EXPECT_EQ(detect::split_lines("a\n"), Lines{"a"});  // no empty last piece
  EXPECT_EQ(detect::split_lines("\n"), Lines{""});
  EXPECT_EQ(detect::split_lines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(detect::split_lines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(detect::split_lines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(detect::split_lines("a\r\r\nb"), (Lines{"a\r", "b"}));  // only the CR right before LF goes
  EXPECT_EQ(detect::split_lines("a\rb"), Lines{"a\rb"});           // a lone CR does not split
  EXPECT_EQ(detect::split_lines("a\r"), Lines{"a\r"});
}

TEST(DetectItems, OneItemPerRecognisedLineInOrder) {
  EXPECT_EQ(detect::detect_items("C:\\a.txt\n\nrelative\\b.txt").size(), 1u);
  EXPECT_TRUE(detect::detect_items("\r").empty());
  EXPECT_TRUE(detect::detect_items("\r\n\r\n \t\n").empty());
  EXPECT_TRUE(detect::detect_items("").empty());

  const std::vector<Item> items =
      detect::detect_items("https://a.bc\r\nC:\\x.exe\nwords\nhttps://a.bc\r\n\"D:\\Docs\\\"");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].target, "https://a.bc");
  EXPECT_EQ(items[1].target, "C:\\x.exe");
  EXPECT_EQ(items[2].target, "https://a.bc");  // duplicates are left to the add operation
  EXPECT_EQ(items[3].target, "D:\\Docs\\");
  EXPECT_EQ(items[3].kind, Kind::folder);
}

TEST(DetectItems, CarriageReturnsAroundLines) {
  // The CR of CR LF and a stray CR at a line's end are both gone after trimming.
  const std::vector<Item> items = detect::detect_items("C:\\a.txt\r\r\nC:\\b.txt\r");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].target, "C:\\a.txt");
  EXPECT_EQ(items[1].target, "C:\\b.txt");
}

TEST(DetectItems, TrimsThenStripsWrappingThenTrims) {
  check_lines({
      {"\"C:\\Program Files\\App\\app.exe\"", Expected{Kind::app, "C:\\Program Files\\App\\app.exe"}},
      {"  \"<C:\\Work\\a.xlsx>\"  ", Expected{Kind::file, "C:\\Work\\a.xlsx"}},
      {"\" C:\\a.txt \"", Expected{Kind::file, "C:\\a.txt"}},
      {"<'\"www.a.bc\"'>", Expected{Kind::url, "https://www.a.bc"}},
      {"'<https://a.bc/x>'", Expected{Kind::url, "https://a.bc/x"}},
      {"<https://a.bc/x>>>", Expected{Kind::url, "https://a.bc/x"}},
      // Unicode white space: ideographic space, no-break space, em space, line separator.
      {"\u3000https://a.bc\u00A0", Expected{Kind::url, "https://a.bc"}},
      {"\u2003\"C:\\a.txt\"\u2028", Expected{Kind::file, "C:\\a.txt"}},
      // Wrapping characters inside the line stay.
      {"C:\\it's <here>.txt", Expected{Kind::file, "C:\\it's <here>.txt"}},
      // Only one round of each: blanks inside the quotes hide the next wrapping.
      {"\" <C:\\a.txt> \"", std::nullopt},
      {"\"\"", std::nullopt},
      {"<>", std::nullopt},
      {"' \" '", std::nullopt},
      // U+FEFF is not white space, so it is not trimmed.
      {"\uFEFFC:\\a.txt", std::nullopt},
  });
}

TEST(DetectItems, WebAddresses) {
  check_lines({
      {"HTTPS://A.bc/Path", Expected{Kind::url, "HTTPS://A.bc/Path"}},
      {"http://x", Expected{Kind::url, "http://x"}},
      {"https://x", Expected{Kind::url, "https://x"}},
      {"ftp://x", Expected{Kind::url, "ftp://x"}},
      {"mailto:x", Expected{Kind::url, "mailto:x"}},
      {"MailTo:Someone@Example.com", Expected{Kind::url, "MailTo:Someone@Example.com"}},
      {"https://a.bc/?q=한국어#x", Expected{Kind::url, "https://a.bc/?q=한국어#x"}},
      {"http://", std::nullopt},
      {"https://", std::nullopt},
      {"ftp://", std::nullopt},
      {"mailto:", std::nullopt},
      {"http:/x", std::nullopt},
      {"news:x", std::nullopt},
      {"a.bc", std::nullopt},
      // White space anywhere, ASCII or not, rules a line out.
      {"<https://a.bc/x y>", std::nullopt},
      {"'<https://a.bc/x y>'", std::nullopt},
      {"https://a.bc/x\ty", std::nullopt},
      {"https://a.bc/x\u00A0y", std::nullopt},
      {"https://a.bc/x\u3000y", std::nullopt},
      {"https://a.bc/x\u0085y", std::nullopt},
  });
}

TEST(DetectItems, WwwAddressesGetHttps) {
  check_lines({
      {"www.a.bc", Expected{Kind::url, "https://www.a.bc"}},
      {"WWW.A.BC/Path", Expected{Kind::url, "https://WWW.A.BC/Path"}},
      {"www.a.b", Expected{Kind::url, "https://www.a.b"}},
      {"www.a.bc/x", Expected{Kind::url, "https://www.a.bc/x"}},
      {"www.a.bc/x.", std::nullopt},
      {"www.abc", std::nullopt},
      {"www.a.", std::nullopt},
      {"www.", std::nullopt},
      {"www..", std::nullopt},
      {"www", std::nullopt},
      {"www.a.bc/x y", std::nullopt},
      {"ww.a.bc", std::nullopt},
  });
}

TEST(DetectItems, FileUrls) {
  check_lines({
      {"file:///C:/My%20Docs/plan.docx", Expected{Kind::file, "C:\\My Docs\\plan.docx"}},
      {"FILE:///c:/tools/x.EXE", Expected{Kind::app, "c:\\tools\\x.EXE"}},
      {"<file:///C:/a.txt>", Expected{Kind::file, "C:\\a.txt"}},
      {"file:///C:/caf%C3%A9.txt", Expected{Kind::file, "C:\\caf\u00E9.txt"}},
      {"file:///C:/a%2Fb.txt", Expected{Kind::file, "C:\\a\\b.txt"}},  // decoded first, then / becomes \ .
      {"file:///C:/100%.txt", Expected{Kind::file, "C:\\100%.txt"}},
      {"file:///C:/a%zz.txt", Expected{Kind::file, "C:\\a%zz.txt"}},
      {"file:///C:/a%2", Expected{Kind::file, "C:\\a%2"}},
      {"file:///C:/a%", Expected{Kind::file, "C:\\a%"}},
      {"file:///C:/%FF.txt", Expected{Kind::file, "C:\\\uFFFD.txt"}},
      // White space is no obstacle for a file URL.
      {"file:///C:/My Docs/a.txt", Expected{Kind::file, "C:\\My Docs\\a.txt"}},
      // No further test on the result: a relative one is classified all the same.
      {"file:///notes.txt", Expected{Kind::file, "notes.txt"}},
      {"file://nas/share/", Expected{Kind::folder, "\\\\nas\\share\\"}},
      {"File://nas/share/x.lnk", Expected{Kind::app, "\\\\nas\\share\\x.lnk"}},
      {"file://nas/share/a%20b.txt", Expected{Kind::file, "\\\\nas\\share\\a b.txt"}},
      // A URL naming nothing gives no item rather than one without a target.
      {"file:///", std::nullopt},
      {"file://", std::nullopt},
      {"file:///%20", std::nullopt},
      {"file:/C:/a.txt", std::nullopt},
  });
}

TEST(DetectItems, FileUrlsDecodingToControlCharactersGiveNoItem) {
  check_lines({
      {"file:///C:/windows/notepad.exe%00.txt", std::nullopt},
      {"file:///C:/a%0Ab.txt", std::nullopt},
      {"file:///C:/a%09b.txt", std::nullopt},
      {"file:///C:/a%1Fb.txt", std::nullopt},
      {"file:///C:/a%7Fb.txt", std::nullopt},
      {"file://nas/share/a%00b.txt", std::nullopt},
      {"file:///C:/a%20%7E%C2%A0b.txt", Expected{Kind::file, "C:\\a ~\u00A0b.txt"}},
  });
}

TEST(DetectItems, FileUrlsOfLocalhostAreLocalPaths) {
  check_lines({
      {"file://localhost/C:/x", Expected{Kind::file, "C:\\x"}},
      {"file://LOCALHOST/C:/My%20Docs/", Expected{Kind::folder, "C:\\My Docs\\"}},
      {"FILE://LocalHost/c:/tools/x.exe", Expected{Kind::app, "c:\\tools\\x.exe"}},
      {"file://localhost", std::nullopt},
      {"file://localhost/", std::nullopt},
      {"file://server/share/x", Expected{Kind::file, "\\\\server\\share\\x"}},
      {"file://localhost2/share/x", Expected{Kind::file, "\\\\localhost2\\share\\x"}},
  });
}

TEST(DetectItems, DriveAndNetworkPaths) {
  check_lines({
      {"D:\\Docs", Expected{Kind::file, "D:\\Docs"}},
      {"d:/docs/", Expected{Kind::folder, "d:/docs/"}},  // slashes are kept as typed
      {"z:/a.BAT", Expected{Kind::app, "z:/a.BAT"}},
      {"C:\\", Expected{Kind::folder, "C:\\"}},
      {"C:/", Expected{Kind::folder, "C:/"}},
      {"\\\\server\\share\\x.lnk", Expected{Kind::app, "\\\\server\\share\\x.lnk"}},
      {"\\\\server\\share\\", Expected{Kind::folder, "\\\\server\\share\\"}},
      {"C:", std::nullopt},
      {"C:x.txt", std::nullopt},
      {"1:\\x", std::nullopt},
      {"\u00E9:\\x", std::nullopt},
      {"relative\\b.txt", std::nullopt},
      {"\\single\\x.txt", std::nullopt},
      {"/usr/bin/env", std::nullopt},
      {"12345", std::nullopt},
      {"hello world", std::nullopt},
  });
}

TEST(DetectItems, InvalidUtf8BecomesReplacementCharacters) {
  const std::vector<Item> items = detect::detect_items("C:\\a\xFF.txt\nhttps://a.bc/\xC3");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].target, "C:\\a\uFFFD.txt");
  EXPECT_EQ(items[1].target, "https://a.bc/\uFFFD");
}

}  // namespace
