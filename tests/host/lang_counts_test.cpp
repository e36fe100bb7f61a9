#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "lang/lang.h"

namespace {

std::string items_in(std::string_view code, std::uint64_t count) {
  return lang::count_text_in(code, count, "항목 {0}개", "{0} item", "{0} items");
}

TEST(LangCounts, EnglishGermanAndSpanishSayOneThingInTheSingular) {
  EXPECT_EQ(items_in("en", 0), "0 items");
  EXPECT_EQ(items_in("en", 1), "1 item");
  EXPECT_EQ(items_in("en", 2), "2 items");
  EXPECT_EQ(items_in("en", 101), "101 items");
  EXPECT_EQ(items_in("de", 1), "1 Element");
  EXPECT_EQ(items_in("de", 0), "0 Elemente");
  EXPECT_EQ(items_in("de", 21), "21 Elemente");
  EXPECT_EQ(items_in("es", 1), "1 elemento");
  EXPECT_EQ(items_in("es", 3), "3 elementos");
}

TEST(LangCounts, FrenchAndBrazilianPortugueseCountNothingAsOne) {
  EXPECT_EQ(items_in("fr", 0), "0 élément");
  EXPECT_EQ(items_in("fr", 1), "1 élément");
  EXPECT_EQ(items_in("fr", 2), "2 éléments");
  EXPECT_EQ(items_in("pt", 0), "0 item");
  EXPECT_EQ(items_in("pt", 1), "1 item");
  EXPECT_EQ(items_in("pt", 7), "7 itens");
}

TEST(LangCounts, RussianTakesItsFormFromTheLastDigits) {
  EXPECT_EQ(items_in("ru", 1), "1 элемент");
  EXPECT_EQ(items_in("ru", 21), "21 элемент");
  EXPECT_EQ(items_in("ru", 2), "2 элемента");
  EXPECT_EQ(items_in("ru", 34), "34 элемента");
  EXPECT_EQ(items_in("ru", 0), "0 элементов");
  EXPECT_EQ(items_in("ru", 5), "5 элементов");
  EXPECT_EQ(items_in("ru", 11), "11 элементов");
  EXPECT_EQ(items_in("ru", 12), "12 элементов");
  EXPECT_EQ(items_in("ru", 111), "111 элементов");
  EXPECT_EQ(items_in("ru", 122), "122 элемента");
}

TEST(LangCounts, KoreanJapaneseAndChineseHaveOneForm) {
  EXPECT_EQ(items_in("ko", 1), "항목 1개");
  EXPECT_EQ(items_in("ko", 2), "항목 2개");
  EXPECT_EQ(items_in("ja", 1), "1 件");
  EXPECT_EQ(items_in("ja", 5), "5 件");
  EXPECT_EQ(items_in("zh-Hans", 1), "1 项");
  EXPECT_EQ(items_in("zh-Hant", 1), "1 項");
}

}  // namespace
