#include "base/cmdline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Case {
  std::u16string line;
  Args args;
};

void expect_split(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(base::split_command_line(c.line), c.args)
        << "command line: " << testing::PrintToString(c.line);
  }
}

TEST(CommandLineSplit, SeparatesAtSpacesAndTabsOutsideQuotes) {
  expect_split({
      {u"prog", {"prog"}},
      {u"prog a b", {"prog", "a", "b"}},
      {u"prog   a \t b  ", {"prog", "a", "b"}},  // runs of blanks, trailing blanks
      {u"prog\ta\t\tb", {"prog", "a", "b"}},
      {u"prog \"a b\" c", {"prog", "a b", "c"}},
      {u"prog \"a\tb\"", {"prog", "a\tb"}},
      {u"prog a\"b c\"d e", {"prog", "ab cd", "e"}},  // quotes inside a word
      {u"prog a\nb\rc", {"prog", "a\nb\rc"}},         // only space and tab separate
      {u"prog \"unclosed arg", {"prog", "unclosed arg"}},
  });
}

TEST(CommandLineSplit, EmptyArguments) {
  expect_split({
      {u"prog \"\"", {"prog", ""}},
      {u"prog \"\" \"\"", {"prog", "", ""}},
      {u"prog a \"\" b", {"prog", "a", "", "b"}},
      {u"prog \"", {"prog", ""}},
  });
}

TEST(CommandLineSplit, BackslashRuns) {
  expect_split({
      {uR"(prog a\b c:\dir\)", {"prog", R"(a\b)", R"(c:\dir\)"}},  // literal
      {uR"(prog a\\b a\\\b)", {"prog", R"(a\\b)", R"(a\\\b)"}},
      {uR"(prog a\"b)", {"prog", R"(a"b)"}},                // 1: a literal quote
      {uR"(prog a\\"b c")", {"prog", R"(a\b c)"}},          // 2: one backslash, quote toggles
      {uR"(prog a\\\"b)", {"prog", R"(a\"b)"}},             // 3: one backslash and a quote
      {uR"(prog a\\\\"b c")", {"prog", R"(a\\b c)"}},       // 4: two, quote toggles
      {uR"(prog "C:\dir\\" next)", {"prog", R"(C:\dir\)", "next"}},
      {uR"(prog "C:\dir\" next)", {"prog", R"(C:\dir" next)"}},  // the classic trap
      {uR"(prog "a\"b")", {"prog", R"(a"b)"}},
  });
}

TEST(CommandLineSplit, DoubledQuotes) {
  // Inside a quoted run "" gives one quote and ends the run.
  expect_split({
      {uR"(prog "a""b")", {"prog", R"(a"b)"}},
      {uR"(prog "a""b c")", {"prog", R"(a"b)", "c"}},
      {uR"(prog """a""")", {"prog", R"("a")"}},
      {uR"(prog a"b"" c d)", {"prog", R"(ab")", "c", "d"}},
      {uR"(prog three"""quotes next)", {"prog", R"(three"quotes)", "next"}},
      {uR"(prog four"""" quotes" next 4%3=1)", {"prog", R"(four" quotes)", "next", "4%3=1"}},
      {uR"(prog "abc"""def" ghi" xxx)", {"prog", R"(abc"def)", "ghi xxx"}},
      {uR"(prog "a\""b")", {"prog", R"(a"b)"}},  // escaped quote, then a plain closing one
  });
}

TEST(CommandLineSplit, ProgramPathIsNotUnescaped) {
  expect_split({
      {uR"("C:\Program Files\tolvik\tolvik.exe" --open "b 1")",
       {R"(C:\Program Files\tolvik\tolvik.exe)", "--open", "b 1"}},
      {uR"(C:\tolvik\tolvik.exe --unregister)", {R"(C:\tolvik\tolvik.exe)", "--unregister"}},
      {uR"("C:\dir\\" a)", {R"(C:\dir\\)", "a"}},         // backslashes stay
      {uR"("C:\a b\p.exe"x y)", {R"(C:\a b\p.exe)", "x", "y"}},  // ends at its closing quote
      {uR"("C:\a b\p.exe""x")", {R"(C:\a b\p.exe)", "x"}},
      {uR"(C:\a"b c"d e)", {R"(C:\a"b)", "cd e"}},        // unquoted: quotes are literal
      {uR"(123\"abc" d e)", {R"(123\"abc")", "d", "e"}},
      {uR"("C:\unclosed path)", {R"(C:\unclosed path)"}},
      {uR"("" a)", {"", "a"}},
      {u"\"\"", {""}},
      // Any character up to U+0020 ends an unquoted path; after a quoted one,
      // only spaces and tabs are skipped.
      {u"prog\na b", {"prog", "a", "b"}},
      {u"prog\ra", {"prog", "a"}},
      {u"test.exe\n", {"test.exe"}},
      {u"prog\x01" u"a b", {"prog", "a", "b"}},
      {u"\"This is a test.exe\"\r", {"This is a test.exe", "\r"}},
  });
}

TEST(CommandLineSplit, LeadingWhiteSpaceGivesAnEmptyProgramPath) {
  expect_split({
      {u" prog a", {"", "prog", "a"}},
      {u"\t\tprog", {"", "prog"}},
      {u"   ", {""}},
  });
}

TEST(CommandLineSplit, EmptyCommandLineNamesTheRunningProgram) {
  const Args args = base::split_command_line(u"");
  ASSERT_EQ(args.size(), 1u);
  EXPECT_THAT(args[0], testing::EndsWith("host_tests"));
  // The Win32 string ends at its first NUL.
  EXPECT_EQ(base::split_command_line(std::u16string(u"\0prog", 5)), args);
  EXPECT_EQ(base::split_command_line(std::u16string(u"prog a\0b", 8)), (Args{"prog", "a"}));
}

TEST(CommandLineSplit, NonAsciiArgumentsBecomeUtf8) {
  expect_split({
      {uR"("C:\사용자\김\tolvik.exe" 한국어 "문서 폴더\파일.tolvik")",
       {R"(C:\사용자\김\tolvik.exe)", "한국어", R"(문서 폴더\파일.tolvik)"}},
      {u"prog \U0001F600 \"a\U0001F600 b\"", {"prog", "\U0001F600", "a\U0001F600 b"}},
      {u"prog \u3000x", {"prog", "\u3000x"}},  // ideographic space does not separate
  });
}

TEST(CommandLineSplit, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::u16string line = {u'p', u' ', u'a', 0xD800, u'b', u' ', 0xDC00, u' ', 0xDE00, 0xD83D};
  EXPECT_EQ(base::split_command_line(line),
            (Args{"p", "a\uFFFDb", "\uFFFD", "\uFFFD\uFFFD"}));
}

}  // namespace

namespace {

std::u16string utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(CommandLineQuoting, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(base::quote_argument("-fsSL"), "-fsSL");
  EXPECT_EQ(base::quote_argument("=https"), "=https");
  EXPECT_EQ(base::quote_argument("C:\\a\\b.exe"), "C:\\a\\b.exe");
  EXPECT_EQ(base::quote_argument(""), "\"\"");
  EXPECT_EQ(base::quote_argument("C:\\Program Files\\x.exe"), "\"C:\\Program Files\\x.exe\"");
  EXPECT_EQ(base::quote_argument("a\"b"), "\"a\\\"b\"");
  EXPECT_EQ(base::quote_argument("C:\\my dir\\"), "\"C:\\my dir\\\\\"");
  EXPECT_EQ(base::quote_argument("x\\\\\"y"), "\"x\\\\\\\\\\\"y\"");
}

TEST(CommandLineQuoting, JoinedArgumentsSplitBackUnchanged) {
  const Args args = {"C:\\Windows\\System32\\curl.exe", "-fsSL", "--proto", "=https", "", "a b", "tab\there",
                     "q\"uote", "\\\\server\\share\\", "ends with \\", "\\\"", "https://u.example/a?x=1&y=\"2\"",
                     "C:\\Users\\Jo Lee\\AppData\\Local\\Temp\\tolvik\\tolvik-Setup-0.1.1.exe.1-2.part"};
  EXPECT_EQ(base::split_command_line(utf16(base::join_command_line(args))), args);
}

}  // namespace
