#include "lang/lang.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguageChoice, StoredValueMustMatchACodeExactly) {
  EXPECT_EQ(lang::choose_language("ko", 0x0409), "ko");
  EXPECT_EQ(lang::choose_language("zh-Hant", 0x0409), "zh-Hant");
  EXPECT_EQ(lang::choose_language("pt", 0x0412), "pt");
  // Letter case matters; anything unrecognised falls back to Windows.
  EXPECT_EQ(lang::choose_language("EN", 0x0411), "ja");
  EXPECT_EQ(lang::choose_language("zh-hans", 0x0407), "de");
  EXPECT_EQ(lang::choose_language("", 0x0412), "ko");
  EXPECT_EQ(lang::choose_language(std::nullopt, 0x0419), "ru");
}

TEST(LanguageChoice, WindowsDisplayLanguageByPrimaryLanguage) {
  struct Case {
    std::uint16_t langid;
    std::string_view expected;
  };
  const Case cases[] = {
      {0x0804, "zh-Hans"}, {0x1004, "zh-Hans"}, {0x0404, "zh-Hant"}, {0x0C04, "zh-Hant"}, {0x1404, "zh-Hant"},
      {0x0407, "de"},      {0x0807, "de"},      {0x0C0A, "es"},      {0x080A, "es"},      {0x040C, "fr"},
      {0x0C0C, "fr"},      {0x0411, "ja"},      {0x0412, "ko"},      {0x0416, "pt"},      {0x0816, "pt"},
      {0x0419, "ru"},      {0x0409, "en"},      {0x0809, "en"},      {0x041F, "en"},      {0x0000, "en"},
  };
  for (const Case& c : cases) EXPECT_EQ(lang::choose_language(std::nullopt, c.langid), c.expected) << std::hex << c.langid;
}

TEST(Fill, ReplacesIndexByIndex) {
  EXPECT_EQ(lang::fill("Added {1} to “{0}”", {"Work", "3"}), "Added 3 to “Work”");
  EXPECT_EQ(lang::fill("{0}{0}{1}", {"a", "b"}), "aab");
  // Placeholders without an argument stay.
  EXPECT_EQ(lang::fill("{0} of {1}", {"1"}), "1 of {1}");
  EXPECT_EQ(lang::fill("{0} {10}", {"a"}), "a {10}");
  EXPECT_EQ(lang::fill("no placeholders", {"a", "b"}), "no placeholders");
}

TEST(Fill, InsertedArgumentsAreNeverReadForPlaceholders) {
  EXPECT_EQ(lang::fill("Added {1} to “{0}”", {"Budget {1}", "1"}), "Added 1 to “Budget {1}”");
  EXPECT_EQ(lang::fill("{0} and {1}", {"x{1}", "y"}), "x{1} and y");
  EXPECT_EQ(lang::fill("{0}", {"{0}"}), "{0}");
  EXPECT_EQ(lang::fill("{1}{0}", {"{1}", "{0}"}), "{0}{1}");
  // An argument ending in "{" does not join the template text after it.
  EXPECT_EQ(lang::fill("{0}1}", {"{", "x"}), "{1}");
  EXPECT_EQ(lang::fill("{0}", {"a {"}), "a {");
}

TEST(Fill, BracesThatAreNoPlaceholderStay) {
  EXPECT_EQ(lang::fill("a {", {"x"}), "a {");
  EXPECT_EQ(lang::fill("{", {"x"}), "{");
  EXPECT_EQ(lang::fill("{}{x}{-0}{ 0}", {"x"}), "{}{x}{-0}{ 0}");
  EXPECT_EQ(lang::fill("{00}{01}", {"x", "y"}), "{00}{01}");
  EXPECT_EQ(lang::fill("{{0}}", {"x"}), "{x}");
  EXPECT_EQ(lang::fill("{0", {"x"}), "{0");
  EXPECT_EQ(lang::fill("{99999999999999999999}", {"x"}), "{99999999999999999999}");
}

TEST(Lookup, BuiltInLanguagesUseThePair) {
  EXPECT_EQ(lang::text_in("ko", "열기", "Open"), "열기");
  EXPECT_EQ(lang::text_in("en", "열기", "Open"), "Open");
}

TEST(Lookup, TableLanguagesTranslateKnownKeysAndKeepEnglishOtherwise) {
  EXPECT_EQ(lang::text_in("ja", "열기", "Open"), "開く");
  EXPECT_EQ(lang::text_in("de", "언어", "Language"), "Sprache");
  EXPECT_EQ(lang::text_in("ja", "없는 키", "Not a key of any table"), "Not a key of any table");
  EXPECT_EQ(lang::text_in("xx", "열기", "Open"), "Open");
}

TEST(Lookup, ResultsAreStableViews) {
  const std::string_view first = lang::text_in("fr", "열기", "Open");
  const std::string_view second = lang::text_in("fr", "열기", "Open");
  EXPECT_EQ(first.data(), second.data());
}

}  // namespace
