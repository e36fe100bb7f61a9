#include <gtest/gtest.h>

#include <string>

#include "bundle/export_file.h"
#include "bundle/hotkey.h"
#include "bundle/store_file.h"

namespace {

using bundle::Bundle;
using bundle::Hotkey;

TEST(Hotkey, TextRoundTripsInTheStoredOrderAndReadsAnyCaseAndOrder) {
  const Hotkey ctrl_alt_1{true, true, false, '1'};
  EXPECT_EQ(bundle::hotkey_text(ctrl_alt_1), "Ctrl+Alt+1");
  EXPECT_EQ(bundle::parse_hotkey("alt+CTRL+1"), ctrl_alt_1);
  const struct {
    Hotkey key;
    const char* text;
  } named[] = {{{true, false, true, 0x70}, "Ctrl+Shift+F1"}, {{false, true, false, 0x87}, "Alt+F24"},
               {{true, false, false, 0x6B}, "Ctrl+Num +"},   {{true, true, true, 0x22}, "Ctrl+Alt+Shift+PageDown"},
               {{false, true, false, 0xDC}, "Alt+\\"},        {{true, false, false, 'Z'}, "Ctrl+Z"}};
  for (const auto& [key, text] : named) {
    EXPECT_EQ(bundle::hotkey_text(key), text);
    EXPECT_EQ(bundle::parse_hotkey(text), key) << text;
  }
}

TEST(Hotkey, TextThatIsNoUsableHotkeyIsRefused) {
  // Shift alone or no modifier would take typing from other programs; a
  // key without a name here cannot be written back.
  for (const char* text : {"", "1", "Shift+A", "F5", "Ctrl+", "Ctrl+Ctrl+1", "Ctrl+Win+1", "Ctrl+Alt+Ä",
                           "Ctrl+Alt+Nope", "+Ctrl+1", "Ctrl++1", "Ctrl+Alt"}) {
    EXPECT_EQ(bundle::parse_hotkey(text), std::nullopt) << text;
  }
  EXPECT_FALSE(bundle::is_usable_hotkey(Hotkey{true, false, false, 0xFF}));
}

Bundle reached(std::string id, std::optional<Hotkey> hotkey, bool at_sign_in, double delay) {
  Bundle bundle{std::move(id), "n", {}};
  bundle.hotkey = hotkey;
  bundle.at_sign_in = at_sign_in;
  bundle.sign_in_delay = delay;
  return bundle;
}

TEST(BundleReachStore, MembersRoundTripOnlyWhenSetAndASecondUseOfAKeyIsDropped) {
  const bundle::Store store{1, {reached("a", Hotkey{true, true, false, '1'}, true, 12.5), reached("b", {}, false, 0)}};
  const std::string text = bundle::serialize_store(store);
  EXPECT_NE(text.find("\"items\": [],\n      \"hotkey\": \"Ctrl+Alt+1\",\n      \"at_sign_in\": true,\n"
                      "      \"sign_in_delay\": 12.5\n    }"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\"id\": \"b\",\n      \"name\": \"n\",\n      \"items\": []\n    }"), std::string::npos) << text;
  auto read = bundle::parse_store(text);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(*read, store);

  auto shared = bundle::parse_store(
      R"({"bundles": [{"id": "a", "name": "n", "hotkey": "Ctrl+Alt+1"}, {"id": "b", "name": "m", "hotkey": "alt+ctrl+1"}]})");
  ASSERT_TRUE(shared) << shared.error().text;
  EXPECT_TRUE(shared->bundles[0].hotkey);
  EXPECT_FALSE(shared->bundles[1].hotkey);
}

TEST(BundleReachStore, WrongValuesLeaveTheDefaultWithoutRefusingTheStore) {
  for (const char* members : {R"("hotkey": "Win+1")", R"("hotkey": 5)", R"("hotkey": ["Ctrl+1"])",
                              R"("at_sign_in": "yes")", R"("at_sign_in": 1)", R"("sign_in_delay": -1)",
                              R"("sign_in_delay": 601)", R"("sign_in_delay": "5")", R"("sign_in_delay": {})"}) {
    auto store = bundle::parse_store(std::string(R"({"bundles": [{"id": "a", "name": "n", )") + members +
                                     R"(, "items": [{"kind": "url", "target": "https://a.example/"}]}]})");
    ASSERT_TRUE(store) << members << ": " << store.error().text;
    EXPECT_EQ(store->bundles.at(0), (Bundle{"a", "n", {{bundle::Kind::url, "https://a.example/", "", ""}}}))
        << members;
  }
}

TEST(BundleReachStore, ExportsImportsAndCopiesLeaveTheKeyAndTheSignInBehind) {
  const Bundle bundle = reached("a", Hotkey{true, false, false, 'K'}, true, 30);
  const std::string exported = bundle::serialize_exported(bundle);
  EXPECT_EQ(exported.find("hotkey"), std::string::npos) << exported;
  EXPECT_EQ(exported.find("sign_in"), std::string::npos) << exported;
  // A file another program wrote with them is read without them.
  auto imported = bundle::parse_exported(
      R"({"format": "tolvik", "version": 1, "bundle": {"id": "a", "name": "n", "hotkey": "Ctrl+K", "at_sign_in": true, "sign_in_delay": 3}})");
  ASSERT_TRUE(imported) << imported.error().text;
  EXPECT_EQ(*imported, (Bundle{"a", "n", {}}));
}

}  // namespace
