// Which bundle an id or a name means, for tolvik.exe's --open and --close and
// for tolvikc alike.

#include "app/state/bundle_lookup.h"

#include <gtest/gtest.h>

namespace {

bundle::Store store_of(std::initializer_list<std::pair<const char*, const char*>> ids_and_names) {
  bundle::Store store;
  for (const auto& [id, name] : ids_and_names) store.bundles.push_back(bundle::Bundle{id, name, {}});
  return store;
}

TEST(MatchBundle, ExactIdFirstThenTheNameInAnyLetterCase) {
  const bundle::Store store = store_of({{"b1", "b2"}, {"b2", "Morning"}, {"Work", "Other"}, {"b4", "work"},
                                        {"b5", "İSTANBUL"}, {"b6", "Month-end ΣΑΣ"}});
  // b1's name is "b2", but the id b2 wins; ids compare exactly.
  EXPECT_EQ(app::match_bundle(store, "b2").bundle->id, "b2");
  EXPECT_EQ(app::match_bundle(store, "Work").bundle->id, "Work");
  EXPECT_EQ(app::match_bundle(store, "WORK").bundle->id, "b4");
  EXPECT_EQ(app::match_bundle(store, "morning").bundle->id, "b2");
  EXPECT_EQ(app::match_bundle(store, "month-end σας").bundle->id, "b6");
  // Full lower-casing: İ becomes i with a combining dot on both sides.
  EXPECT_EQ(app::match_bundle(store, "i\u0307stanbul").bundle->id, "b5");
  EXPECT_EQ(app::match_bundle(store, "istanbul").bundle, nullptr);
  EXPECT_EQ(app::match_bundle(store, "").bundle, nullptr);
  EXPECT_EQ(app::bundle_position(store, "b4"), 3u);
  EXPECT_EQ(app::bundle_position(store, "work"), std::nullopt);
}

TEST(MatchBundle, ANameTwoBundlesShareMeansNeitherAndListsTheirIds) {
  const bundle::Store store = store_of({{"b4", "ΣΑΣ report"}, {"b5", "σας Report"}, {"b6", "Solo"}});
  // Final sigma and the capital lower-case alike, so the two names are one.
  const app::BundleMatch both = app::match_bundle(store, "ΣΑΣ REPORT");
  EXPECT_EQ(both.bundle, nullptr);
  EXPECT_TRUE(both.ambiguous());
  EXPECT_EQ(both.same_name_ids, (std::vector<std::string>{"b4", "b5"}));
  const app::BundleMatch none = app::match_bundle(store, "nothing");
  EXPECT_EQ(none.bundle, nullptr);
  EXPECT_FALSE(none.ambiguous());
}

}  // namespace
