#include "base/utf.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_literals;

// U+FFFD in UTF-8.
const std::string R = "\xEF\xBF\xBD";

std::string encode(char32_t cp) {
  std::string out;
  base::append_utf8(out, cp);
  return out;
}

TEST(UtfValidate, AcceptsWellFormedText) {
  const std::vector<std::string> cases = {
      "",
      "plain ASCII",
      "\x00"s,                     // NUL is a valid code point
      "\xC3\xA9",                  // U+00E9
      "\xED\x95\x9C\xEA\xB8\x80",  // 한글
      "\xF0\x9F\x98\x80",          // U+1F600
      "\xC2\x80",                  // U+0080, the first two-byte value
      "\xDF\xBF",                  // U+07FF
      "\xE0\xA0\x80",              // U+0800, the first three-byte value
      "\xED\x9F\xBF",              // U+D7FF, just below the surrogates
      "\xEE\x80\x80",              // U+E000, just above them
      "\xEF\xBF\xBF",              // U+FFFF
      "\xF0\x90\x80\x80",          // U+10000, the first four-byte value
      "\xF4\x8F\xBF\xBF",          // U+10FFFF, the last code point
  };
  for (const std::string& text : cases) {
    EXPECT_TRUE(base::is_valid_utf8(text)) << testing::PrintToString(text);
  }
}

TEST(UtfValidate, RejectsOverlongsSurrogatesAndOutOfRange) {
  const std::vector<std::string> cases = {
      "\xC0\x80",          // overlong NUL
      "\xC1\xBF",          // overlong U+007F
      "\xE0\x80\x80",      // overlong
      "\xE0\x9F\xBF",      // overlong U+07FF
      "\xF0\x80\x80\x80",  // overlong
      "\xF0\x8F\xBF\xBF",  // overlong U+FFFF
      "\xED\xA0\x80",      // U+D800
      "\xED\xBF\xBF",      // U+DFFF
      "\xED\xA0\xBD\xED\xB8\x80",  // a surrogate pair written as CESU-8
      "\xF4\x90\x80\x80",  // U+110000
      "\xF5\x80\x80\x80",  // lead byte beyond the range
      "\xFF",
      "\xFE",
      "\x80",              // a lone continuation byte
      "a\xBF",
      "\xC3",              // truncated
      "\xE2\x82",
      "\xF0\x9F\x98",
      "\xC3\x28",          // lead byte followed by ASCII
      "\xF0\x9F\x98\x80\x80",  // one continuation byte too many
  };
  for (const std::string& text : cases) {
    EXPECT_FALSE(base::is_valid_utf8(text)) << testing::PrintToString(text);
  }
}

// Every byte sequence of one to three bytes is valid exactly when it is the
// encoder's output for some scalar value: a check of the decoder's tables
// against the encoder's arithmetic.
TEST(UtfValidate, AgreesWithTheEncoderOnAllShortSequences) {
  std::set<std::string> encodings;
  for (char32_t cp = 0; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    encodings.insert(encode(cp));
  }
  std::string s;
  for (int a = 0; a < 256; ++a) {
    s.assign(1, static_cast<char>(a));
    ASSERT_EQ(base::is_valid_utf8(s), encodings.count(s) == 1) << a;
    for (int b = 0; b < 256; ++b) {
      s.assign({static_cast<char>(a), static_cast<char>(b)});
      // Two valid one-byte characters are valid too.
      const bool two = encodings.count(s) == 1 || (a < 0x80 && b < 0x80);
      ASSERT_EQ(base::is_valid_utf8(s), two) << a << " " << b;
      if (a < 0xE0 || a > 0xEF) continue;
      for (int c = 0; c < 256; ++c) {
        s.assign({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
        ASSERT_EQ(base::is_valid_utf8(s), encodings.count(s) == 1) << a << " " << b << " " << c;
      }
    }
  }
}

TEST(UtfSanitize, ReplacesEachMaximalSubpartOnce) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"valid \xED\x95\x9C", "valid \xED\x95\x9C"},
      // The example of Unicode chapter 3 (U+FFFD substitution of maximal subparts).
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       "a" + R + R + R + "b" + R + "c" + R + R + "d"},
      {"\xF0\x9F\x98", R},                  // a truncated sequence is one subpart
      {"\xF0\x9F\x98" "a", R + "a"},
      {"\xE2\x82" "A", R + "A"},            // the offending byte is kept
      {"\xC3\xC3\xA9", R + "\xC3\xA9"},     // and may start a good sequence
      {"\xC0\xAF", R + R},                  // C0 never starts a sequence
      {"\xE0\x80\xAF", R + R + R},          // E0 80 is no prefix of anything
      {"\xED\xA0\x80", R + R + R},          // nor is ED A0 (a surrogate)
      {"\xF4\x90\x80\x80", R + R + R + R},  // nor F4 90 (above U+10FFFF)
      {"\xF8\x88\x80\x80\x80", R + R + R + R + R},
      {"\xFF\xFE", R + R},
      {"a\x80" "b", "a" + R + "b"},
      {"\xC3", R},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base::sanitize_utf8(c.in), c.out) << testing::PrintToString(c.in);
    EXPECT_TRUE(base::is_valid_utf8(base::sanitize_utf8(c.in)));
  }
}

TEST(UtfDecode, AdvancesPastEachCodePoint) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  std::size_t pos = 0;
  EXPECT_EQ(base::decode_utf8(text, pos), U'a');
  EXPECT_EQ(pos, 1u);
  EXPECT_EQ(base::decode_utf8(text, pos), U'\u00E9');
  EXPECT_EQ(pos, 3u);
  EXPECT_EQ(base::decode_utf8(text, pos), U'\u20AC');
  EXPECT_EQ(pos, 6u);
  EXPECT_EQ(base::decode_utf8(text, pos), U'\U0001F600');
  EXPECT_EQ(pos, 10u);
  // At the end nothing is consumed, so a caller's loop cannot run past it.
  EXPECT_EQ(base::decode_utf8(text, pos), base::kReplacementChar);
  EXPECT_EQ(pos, 10u);
}

TEST(UtfDecode, StopsBeforeTheByteThatBreaksASequence) {
  const std::string text = "\xE2\x82" "A";
  std::size_t pos = 0;
  EXPECT_EQ(base::decode_utf8(text, pos), base::kReplacementChar);
  EXPECT_EQ(pos, 2u);
  EXPECT_EQ(base::decode_utf8(text, pos), U'A');
}

TEST(UtfEncode, WritesEachLengthAndReplacesNonScalars) {
  EXPECT_EQ(encode(0x7F), "\x7F");
  EXPECT_EQ(encode(0x80), "\xC2\x80");
  EXPECT_EQ(encode(0x7FF), "\xDF\xBF");
  EXPECT_EQ(encode(0x800), "\xE0\xA0\x80");
  EXPECT_EQ(encode(0xFFFF), "\xEF\xBF\xBF");
  EXPECT_EQ(encode(0x10000), "\xF0\x90\x80\x80");
  EXPECT_EQ(encode(0x10FFFF), "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(encode(0xD800), R);
  EXPECT_EQ(encode(0xDFFF), R);
  EXPECT_EQ(encode(0x110000), R);
  EXPECT_EQ(encode(0xFFFFFFFF), R);
}

TEST(UtfRoundTrip, EveryScalarValueThroughUtf8AndUtf16) {
  std::string utf8;
  std::u16string utf16;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    utf8.clear();
    base::append_utf8(utf8, cp);
    std::size_t pos = 0;
    ASSERT_EQ(base::decode_utf8(utf8, pos), cp);
    ASSERT_EQ(pos, utf8.size());
    utf16 = base::utf8_to_utf16(utf8);
    ASSERT_EQ(utf16.size(), cp < 0x10000 ? 1u : 2u);
    ASSERT_EQ(base::utf16_to_utf8(utf16), utf8);
  }
}

TEST(Utf16, ConvertsSurrogatePairs) {
  EXPECT_EQ(base::utf8_to_utf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(base::utf8_to_utf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_EQ(base::utf16_to_utf8(std::u16string{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(base::utf16_to_utf8(u"\uD55C\uAE00 ok"), "\xED\x95\x9C\xEA\xB8\x80 ok");
}

TEST(Utf16, UnpairedSurrogatesBecomeReplacementCharacters) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {{0xD800}, R},                           // high at the end
      {{0xDC00}, R},                           // low alone
      {{u'a', 0xD83D, u'b'}, "a" + R + "b"},   // high before a non-surrogate
      {{0xDE00, 0xD83D}, R + R},               // the pair reversed
      {{0xD83D, 0xD83D, 0xDE00}, R + "\xF0\x9F\x98\x80"},  // a pair after a lone high
  };
  for (const Case& c : cases) EXPECT_EQ(base::utf16_to_utf8(c.in), c.out);
}

TEST(Utf16, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(base::utf8_to_utf16("a\xFF" "b\xED\xA0\x80"),
            (std::u16string{u'a', 0xFFFD, u'b', 0xFFFD, 0xFFFD, 0xFFFD}));
}

}  // namespace
