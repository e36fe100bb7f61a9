#include "base/unicode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"

namespace {

struct Case {
  std::string in;
  std::string out;
};

void expect_lower(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(base::to_lower_full(c.in), c.out) << "input: " << c.in;
  }
}

TEST(UnicodeLower, AsciiAndLatin) {
  expect_lower({
      {"", ""},
      {"Hello, World 123", "hello, world 123"},
      {"C:\\USERS\\Me\\Report.DOCX", "c:\\users\\me\\report.docx"},
      {"ÀÉÎÕÜ Ÿ", "àéîõü ÿ"},
      {"ĀāĮįĲĳŸŹ", "āāįįĳĳÿź"},  // alternating pairs and their edges
      {"ǄǅǆǱǲ", "ǆǆǆǳǳ"},        // title-case digraphs
      {"ẞ", "ß"},
      {"ß ﬀ ŉ", "ß ﬀ ŉ"},          // already lower case; not expanded
      {"KΩÅ", "kωå"},              // Kelvin, Ohm and Angstrom signs
      {"Ⱥ Ⱦ", "ⱥ ⱦ"},              // two bytes each, three when lowered
      {"ＡＢＣ", "ａｂｃ"},
      {"ⅫⒶ", "ⅻⓐ"},
  });
}

TEST(UnicodeLower, DottedCapitalIUsesTheFullMapping) {
  // U+0130 lowers to "i" followed by U+0307 COMBINING DOT ABOVE.
  expect_lower({
      {"\u0130", "i\u0307"},
      {"\u0130STANBUL", "i\u0307stanbul"},
      {"D\u0130YARBAKIR", "di\u0307yarbakir"},
  });
  // No Turkish tailoring: I is i, and dotless ı stays as it is.
  expect_lower({{"I\u0131", "i\u0131"}});
}

TEST(UnicodeLower, FinalSigma) {
  expect_lower({
      {"ΣΑΣ", "σας"},
      {"Σ", "σ"},                // nothing cased before it
      {"ΑΣ.", "ας."},            // "." is case-ignorable and ends nothing
      {"ΑΣ.Α", "ασ.α"},          // a cased letter after the ignorable one
      {"ΑΣ Α", "ας α"},
      {"ΑΣΣ", "ασς"},
      {"Α'Σ", "α'ς"},            // case-ignorable before the sigma
      {"ΑΣ\u0301", "ας\u0301"},  // combining mark after it
      {"ΑΣ\u0301Α", "ασ\u0301α"},
      {"1Σ", "1σ"},              // digits are not cased
      {"ΑΣ1", "ας1"},
      {"ΌΣΟΣ ΣΟΦΌΣ", "όσος σοφός"},
      {"ὈΔΥΣΣΕΎΣ", "ὀδυσσεύς"},
      {"abcΣ", "abcς"},          // cased letters of any script count
      {"ΣA", "σa"},
      {"Σ Σ", "σ σ"},
      // U+02B0 is both cased and case-ignorable; like ICU and Python the
      // ignorable reading wins, so nothing cased precedes the sigma.
      {"\u02B0Σ", "\u02B0σ"},
      {"A\u02B0Σ", "a\u02B0ς"},
  });
}

TEST(UnicodeLower, OtherScripts) {
  expect_lower({
      {"한국어 문서", "한국어 문서"},
      {"漢字かなカナ", "漢字かなカナ"},
      {"ПРИВЕТ Ёж Ѐ", "привет ёж ѐ"},
      {"ԱՐԱՄ", "արամ"},
      {"ᎠᏴ", "ꭰᏼ"},                          // Cherokee
      {"\U00010400\U00010427", "\U00010428\U0001044F"},  // Deseret
      {"ᲐᲑᲒ", "აბგ"},                      // Georgian Mtavruli
      {"ႠჅ", "ⴀⴥ"},                          // Georgian Asomtavruli
      {"\U0001E900", "\U0001E922"},          // Adlam
      {"ᾈᾼ", "ᾀᾳ"},                          // Greek with prosgegrammeni
      {"\U0001F600 emoji", "\U0001F600 emoji"},
  });
}

TEST(UnicodeLower, InvalidUtf8BecomesReplacementCharacters) {
  expect_lower({
      {"A\xFF" "B", "a\uFFFDb"},
      {"\xCE", "\uFFFD"},            // a truncated capital sigma
      {"Α\xCE\xA3\xFF", "ας\uFFFD"},  // U+FFFD is neither cased nor ignorable
  });
}

TEST(UnicodeLower, AppendsToAReusedBuffer) {
  std::string buffer = "x:";
  base::append_lower_full(buffer, "ÄB");
  base::append_lower_full(buffer, "ΑΣ");
  EXPECT_EQ(buffer, "x:äbας");
}

// Properties over the whole code space: lower-casing yields valid UTF-8 and is
// idempotent, so no mapping leads to another upper-case letter.
TEST(UnicodeLower, EveryCodePointLowersToStableValidText) {
  std::string one;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    one.clear();
    base::append_utf8(one, cp);
    const std::string lower = base::to_lower_full(one);
    ASSERT_TRUE(base::is_valid_utf8(lower)) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(base::to_lower_full(lower), lower) << std::hex << static_cast<unsigned>(cp);
  }
}

TEST(UnicodeWhiteSpace, IsExactlyTheWhiteSpaceProperty) {
  const std::set<char32_t> white = {
      0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
      0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
      0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000,
  };
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    ASSERT_EQ(base::is_white_space(cp), white.count(cp) == 1) << std::hex << static_cast<unsigned>(cp);
  }
}

TEST(UnicodeTrim, RemovesWhiteSpaceFromBothEnds) {
  const std::vector<Case> cases = {
      {"", ""},
      {"name", "name"},
      {"  a b  ", "a b"},
      {"\t\n\v\f\r x \r\n", "x"},
      {"\u3000이름\u3000", "이름"},
      {"\u00A0x\u00A0", "x"},
      {"\u2028\u2029\u0085a\u205F\u202F\u1680", "a"},
      {"\u2000\u200Ax y\u2009", "x y"},
      {" \u3000 \u00A0 ", ""},
      // Not white space: zero width space, BOM, Mongolian vowel separator.
      {"\u200Bx\u200B", "\u200Bx\u200B"},
      {"\uFEFFx\uFEFF", "\uFEFFx\uFEFF"},
      {"\u180Ex\u180E", "\u180Ex\u180E"},
      // Bytes that only look like the tail of a white-space character stay.
      {"x\xA0", "x\xA0"},
      {"\xA0x", "\xA0x"},
      {"x\x80\x80", "x\x80\x80"},
      {"x\xE3\x80", "x\xE3\x80"},
      {"\xFF \xFF", "\xFF \xFF"},
      {"x\xE2\x80\x80", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base::trim(c.in), c.out) << testing::PrintToString(c.in);
  }
}

TEST(UnicodeTrim, ReturnsAViewIntoTheInput) {
  const std::string text = "\u3000 name \u3000";
  const std::string_view trimmed = base::trim(text);
  EXPECT_EQ(trimmed, "name");
  EXPECT_EQ(trimmed.data(), text.data() + 4);
}

TEST(UnicodeAscii, LowersOnlyAsciiLetters) {
  EXPECT_EQ(base::ascii_lower("TOLVIK.Tolvik"), "tolvik.tolvik");
  EXPECT_EQ(base::ascii_lower("ÀÉ-İ-Σ"), "ÀÉ-İ-Σ");
  EXPECT_EQ(base::ascii_lower("@[`{"), "@[`{");  // neighbours of A-Z and a-z
}

TEST(UnicodeAscii, ComparesCaseInsensitively) {
  EXPECT_TRUE(base::ascii_iequals("--OPEN", "--open"));
  EXPECT_TRUE(base::ascii_iequals("", ""));
  EXPECT_FALSE(base::ascii_iequals("--open", "--opem"));
  EXPECT_FALSE(base::ascii_iequals("--open", "--open "));
  EXPECT_FALSE(base::ascii_iequals("À", "à"));  // not ASCII
  EXPECT_FALSE(base::ascii_iequals("İ", "i"));
  EXPECT_FALSE(base::ascii_iequals("@", "`"));  // differ by 0x20 but are not letters
  EXPECT_TRUE(base::ascii_istarts_with("HTTPS://example.com", "https://"));
  EXPECT_TRUE(base::ascii_istarts_with("x", ""));
  EXPECT_FALSE(base::ascii_istarts_with("http", "https://"));
  EXPECT_FALSE(base::ascii_istarts_with("file:", "https://"));
}

}  // namespace
