#pragma once
// A window state over a real store file in a temporary folder, with every
// toast the state raised remembered in order.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/reach/after_save.h"
#include "app/state/app_state.h"
#include "bundle/store_file.h"
#include "fake_platform.h"
#include "temp_dir.h"

namespace testing_support {

class StoreFixture : public ::testing::Test {
 protected:
  FakePlatform platform;
  app::AppState state{platform};
  TempDir temp;
  std::filesystem::path dir{temp.path()};
  std::vector<std::string> toasts;  // texts of the toasts raised, oldest first

  StoreFixture() {
    // As the program does: what follows each save (hotkeys, the Run value, the jump list).
    app::follow_saves(state);
    state.store_path = (dir / "store" / "bundles.json").string();
    platform.on_set_timer = [this](app::TimerId id, unsigned) {
      if (id == app::TimerId::toast && state.toast) toasts.push_back(state.toast->text);
    };
  }

  std::string saved() const { return read_all(state.store_path); }
  bool store_file_exists() const { return std::filesystem::exists(state.store_path); }
  // The file on disk holds exactly what is in memory.
  void expect_saved() const {
    ASSERT_TRUE(store_file_exists());
    EXPECT_EQ(saved(), bundle::serialize_store(state.store));
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const bundle::Bundle& b : state.store.bundles) out.push_back(b.name);
    return out;
  }
  std::vector<std::string> targets(std::size_t bundle) const {
    std::vector<std::string> out;
    for (const bundle::Item& item : state.store.bundles.at(bundle).items) out.push_back(item.target);
    return out;
  }
  // Makes every save fail: a regular file stands where the store's folder should be.
  void break_saving() {
    std::ofstream(dir / "blocker") << "x";
    state.store_path = (dir / "blocker" / "bundles.json").string();
  }
  std::string write_file(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path p = dir / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
};

}  // namespace testing_support
