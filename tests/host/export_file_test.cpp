#include "bundle/export_file.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportFile, ExactPrettyForm) {
  const bundle::Bundle b{"b1", "Trip \"ㄱ\"",
                         {bundle::Item{bundle::Kind::app, "C:\\a.exe", "-x", ""},
                          bundle::Item{bundle::Kind::url, "https://a.bc", "", "Site"}}};
  EXPECT_EQ(bundle::serialize_exported(b),
            "{\n"
            "  \"format\": \"tolvik\",\n"
            "  \"version\": 1,\n"
            "  \"bundle\": {\n"
            "    \"id\": \"b1\",\n"
            "    \"name\": \"Trip \\\"ㄱ\\\"\",\n"
            "    \"items\": [\n"
            "      {\n"
            "        \"kind\": \"app\",\n"
            "        \"target\": \"C:\\\\a.exe\",\n"
            "        \"args\": \"-x\"\n"
            "      },\n"
            "      {\n"
            "        \"kind\": \"url\",\n"
            "        \"target\": \"https://a.bc\",\n"
            "        \"name\": \"Site\"\n"
            "      }\n"
            "    ]\n"
            "  }\n"
            "}");
}

TEST(ExportFile, RoundTripKeepsEverythingWithControlCharacters) {
  const bundle::Bundle b{"b9", "묶음\t\x01", {bundle::Item{bundle::Kind::folder, "D:\\Work\\", "", "이름\n"}}};
  auto read = bundle::parse_exported(bundle::serialize_exported(b));
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(*read, b);
}

TEST(ExportFile, Rejections) {
  const std::string good = bundle::serialize_exported(bundle::Bundle{"b1", "n", {}});
  EXPECT_TRUE(bundle::parse_exported("\xEF\xBB\xBF" + good));
  const char* bad[] = {
      "",
      "[]",
      "{\"format\": \"TOLVIK\", \"version\": 1, \"bundle\": {\"id\": \"b\", \"name\": \"n\"}}",
      "{\"format\": \"tolvik\", \"bundle\": {\"id\": \"b\", \"name\": \"n\"}}",
      "{\"format\": \"tolvik\", \"version\": \"1\", \"bundle\": {\"id\": \"b\", \"name\": \"n\"}}",
      "{\"format\": \"tolvik\", \"version\": 1, \"bundle\": {\"id\": \"b\"}}",
      "{\"format\": \"tolvik\", \"version\": 1, \"bundle\": {\"id\": \"b\", \"name\": \"n\", \"items\": [{\"kind\": \"exe\", \"target\": \"x\"}]}}",
  };
  for (const char* text : bad) EXPECT_FALSE(bundle::parse_exported(text)) << text;
  EXPECT_FALSE(bundle::parse_exported(good + "x"));
  // Any version number is accepted.
  EXPECT_TRUE(bundle::parse_exported("{\"format\": \"tolvik\", \"version\": 7, \"bundle\": {\"id\": \"b\", \"name\": \"n\"}}"));
  EXPECT_TRUE(bundle::parse_exported("{\"format\": \"tolvik\", \"version\": 1e9999, \"bundle\": {\"id\": \"b\", \"name\": \"n\"}}"));
}

}  // namespace
