#include "app/act/shell_opener_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/utf.h"

namespace {

namespace fs = std::filesystem;

fs::path test_exe_folder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

// Starts the recorder program of the test tools and reads what it saw.
struct ShellOpenerTest : ::testing::Test {
  fs::path recorder = test_exe_folder() / "tools" / "recorder.exe";
  fs::path log = fs::temp_directory_path() / "tolvik-recorder-test.log";

  void SetUp() override {
    ASSERT_TRUE(fs::exists(recorder)) << recorder.string();
    fs::remove(log);
    SetEnvironmentVariableW(L"TOLVIK_RECORDER_LOG", log.wstring().c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"TOLVIK_RECORDER_LOG", nullptr);
    fs::remove(log);
  }

  // The recorder runs on its own; wait for its line to appear.
  std::vector<nlohmann::json> wait_for_lines(std::size_t count) {
    std::vector<nlohmann::json> lines;
    for (int attempt = 0; attempt < 200; ++attempt) {
      lines.clear();
      std::ifstream in(log, std::ios::binary);
      for (std::string line; std::getline(in, line);) {
        auto parsed = nlohmann::json::parse(line, nullptr, false);
        if (!parsed.is_discarded()) lines.push_back(parsed);
      }
      if (lines.size() >= count) break;
      Sleep(50);
    }
    return lines;
  }
};

TEST_F(ShellOpenerTest, AppStartsWithItsArgumentsInItsOwnFolder) {
  const bundle::Item item{bundle::Kind::app, base::narrow(recorder.wstring()), "-x \"two words\" 한국어", ""};
  base::Status started = app::start_item_with_shell(item).status;
  ASSERT_TRUE(started) << started.error().text;

  const auto lines = wait_for_lines(1);
  ASSERT_EQ(lines.size(), 1u);
  const auto argv = lines[0]["argv"].get<std::vector<std::string>>();
  ASSERT_EQ(argv.size(), 4u);
  EXPECT_EQ(argv[1], "-x");
  EXPECT_EQ(argv[2], "two words");
  EXPECT_EQ(argv[3], "한국어");
  EXPECT_EQ(fs::path(base::widen(lines[0]["cwd"].get<std::string>())).lexically_normal(),
            recorder.parent_path().lexically_normal());
}

TEST_F(ShellOpenerTest, AppWithoutArgumentsGetsNoParameters) {
  const bundle::Item item{bundle::Kind::app, base::narrow(recorder.wstring()), "", ""};
  ASSERT_TRUE(app::start_item_with_shell(item).status);
  const auto lines = wait_for_lines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["argv"].size(), 1u);
}

TEST_F(ShellOpenerTest, AMissingTargetFailsWithTheSystemText) {
  const bundle::Item item{bundle::Kind::file, "C:\\no\\such\\file-for-tolvik.txt", "", ""};
  base::Status started = app::start_item_with_shell(item).status;
  ASSERT_FALSE(started);
  EXPECT_FALSE(started.error().text.empty());
}

TEST_F(ShellOpenerTest, OpenerChecksExistenceThroughTheFileSystem) {
  app::ShellOpener opener;
  EXPECT_TRUE(opener.target_exists(base::narrow(recorder.wstring())));
  EXPECT_TRUE(opener.target_exists(base::narrow(recorder.parent_path().wstring())));
  EXPECT_FALSE(opener.target_exists("C:\\no\\such\\thing"));
}

TEST_F(ShellOpenerTest, OpenItemsStartsEachPresentItemInOrder) {
  app::ShellOpener opener;
  const std::string exe = base::narrow(recorder.wstring());
  const std::vector<bundle::Item> items = {{bundle::Kind::app, exe, "first", ""},
                                           {bundle::Kind::file, "C:\\missing-for-tolvik.txt", "", ""},
                                           {bundle::Kind::app, exe, "second", ""}};
  const app::OpenResult result = app::open_items(items, opener);
  EXPECT_EQ(result.count(app::ItemState::opened), 2u);
  EXPECT_EQ(result.positions(app::ItemState::not_found), (std::vector<std::size_t>{1}));
  const auto lines = wait_for_lines(2);
  ASSERT_EQ(lines.size(), 2u);
  // 150 ms apart, so they arrive in the bundle's order.
  EXPECT_EQ(lines[0]["argv"][1], "first");
  EXPECT_EQ(lines[1]["argv"][1], "second");
}

}  // namespace
