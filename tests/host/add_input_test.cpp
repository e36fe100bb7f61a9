#include "app/bundles/add_input.h"

#include <gtest/gtest.h>

#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/view/selection.h"
#include "bundle/export_file.h"
#include "bundle/limits.h"
#include "fake_platform.h"
#include "store_fixture.h"

namespace {

using testing_support::FakePlatform;

struct AddInput : testing_support::StoreFixture {

  void SetUp() override {
    state.store.bundles = {bundle::Bundle{"b1", "Work", {}}};
  }
  std::string bundle_file(const std::string& name, const std::string& bundle_name) {
    const std::string path = temp.file(name);
    std::ofstream(path, std::ios::binary) << bundle::serialize_exported(bundle::Bundle{"x", bundle_name, {}});
    return path;
  }
};

TEST_F(AddInput, BundleFilesAreImportedAndOtherPathsAddedInOrder) {
  const std::string a = bundle_file("a.tolvik", "From A");
  const std::string b = bundle_file("b.TOLVIK", "From B");
  app::add_input(state, 0, {{a, "/data/c.txt", b, "/data/d.exe"}, "https://ignored.example"});
  ASSERT_EQ(state.store.bundles.size(), 3u);
  EXPECT_EQ(state.store.bundles[1].name, "From A");
  EXPECT_EQ(state.store.bundles[2].name, "From B");
  const auto& items = state.store.bundles[0].items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].target, "/data/c.txt");
  EXPECT_EQ(items[0].kind, bundle::Kind::file);
  EXPECT_EQ(items[1].kind, bundle::Kind::app);
  // The add comes last, so its toast is the one shown.
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Added 2 to “Work”");
}

TEST_F(AddInput, OnlyBundleFilesAddNothingElse) {
  app::add_input(state, 0, {{bundle_file("a.tolvik", "Trip")}, ""});
  ASSERT_EQ(state.store.bundles.size(), 2u);
  EXPECT_TRUE(state.store.bundles[0].items.empty());
  EXPECT_EQ(state.toast->text.rfind("Imported “Trip”", 0), 0u);
}

TEST_F(AddInput, TextLinesBecomeItems) {
  app::add_input(state, 0, {{}, "  https://a.bc/x\r\nnot a path\nC:\\Work\\plan.docx\n"});
  const auto& items = state.store.bundles[0].items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].kind, bundle::Kind::url);
  EXPECT_EQ(items[1].target, "C:\\Work\\plan.docx");
}

TEST_F(AddInput, TextWithoutItemsSaysSoAndBlankTextSaysNothing) {
  app::add_input(state, 0, {{}, "hello world"});
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "That isn't a path or a web address");
  state.toast.reset();
  app::add_input(state, 0, {{}, " \u3000\n\t"});
  EXPECT_FALSE(state.toast);
  EXPECT_EQ(state.store.bundles.size(), 1u);
}

TEST_F(AddInput, NoTargetMakesANewBundle) {
  app::add_input(state, std::nullopt, {{}, "www.example.org"});
  ASSERT_EQ(state.store.bundles.size(), 2u);
  EXPECT_EQ(state.store.bundles[1].name, "New bundle");
  EXPECT_EQ(state.store.bundles[1].items.at(0).target, "https://www.example.org");
  EXPECT_EQ(state.selected_bundle, 1u);
}

TEST_F(AddInput, PasteUsesTheSelectedBundleAndNeedsSomethingUsable) {
  app::paste(state, {{}, "   "});
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Nothing to paste: copy a path or a web address first");
  EXPECT_EQ(state.store.bundles.size(), 1u);

  app::select_bundle(state, 0);
  app::paste(state, {{}, "https://a.bc"});
  EXPECT_EQ(state.store.bundles.size(), 1u);
  EXPECT_EQ(state.store.bundles[0].items.size(), 1u);
}

TEST_F(AddInput, TextOverTheLimitIsRefusedWithAToastWhetherDroppedOrPasted) {
  detect::DropPayload refused;
  refused.text_too_large = true;
  app::add_input(state, 0, refused);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Too much text to add (over 1 MiB)");
  EXPECT_TRUE(state.store.bundles[0].items.empty());
  EXPECT_FALSE(store_file_exists());

  state.toast.reset();
  app::select_bundle(state, 0);
  app::paste(state, refused);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Too much text to add (over 1 MiB)");
  EXPECT_EQ(state.store.bundles.size(), 1u);
  EXPECT_TRUE(state.store.bundles[0].items.empty());
}

TEST_F(AddInput, PathsAndLinesLongerThanWindowsTakesAreLeftOut) {
  const std::string too_long = "C:\\" + std::string(bundle::kMaxTargetUnits, 'a');
  app::add_input(state, 0, {{too_long, "C:\\short.txt"}, ""});
  ASSERT_EQ(state.store.bundles[0].items.size(), 1u);
  EXPECT_EQ(state.store.bundles[0].items[0].target, "C:\\short.txt");

  // Pasted or dropped text: the overlong line goes, the others stay; a text of
  // nothing but overlong lines adds nothing.
  app::add_input(state, 0, {{}, "https://example.com/" + std::string(40000, 'q') + "\nhttps://example.org/fine"});
  ASSERT_EQ(state.store.bundles[0].items.size(), 2u);
  EXPECT_EQ(state.store.bundles[0].items[1].target, "https://example.org/fine");
  app::add_input(state, 0, {{}, too_long});
  EXPECT_EQ(state.toast->text, "That isn't a path or a web address");
  EXPECT_EQ(state.store.bundles[0].items.size(), 2u);
}

}  // namespace
