#include "app/opening/shell_opener_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/opening/elevated_handoff.h"
#include "app/opening/elevated_helper_win.h"
#include "base/digest.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "winshell/explorer_windows_win.h"

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

namespace {

// Ends a recorder this test started (one with a window runs until closed).
struct Ended {
  explicit Ended(std::uint32_t id) : process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {}
  ~Ended() { TerminateProcess(process.get(), 0), WaitForSingleObject(process.get(), 5000); }
  base::UniqueHandle process;
};

TEST_F(ShellOpenerTest, AWaitEndsWhenTheWindowShowsTheLauncherEndsOrTimeIsUp) {
  app::ShellOpener opener;
  const std::string exe = base::narrow(recorder.wstring());
  const auto wait = [&](const char* args, double seconds) {
    const app::StartOutcome started = opener.start({bundle::Kind::app, exe, args, ""});
    if (!started.process) return app::WaitResult::stopped;
    Ended ended(started.process->id);
    return opener.wait_for_window(*started.process, seconds);
  };
  EXPECT_EQ(wait("--recorder-window=300", 60), app::WaitResult::ready);
  EXPECT_EQ(wait("--recorder-exit-after=300", 60), app::WaitResult::ended);
  EXPECT_EQ(wait("--recorder-window=20000", 1), app::WaitResult::timed_out);
}

TEST_F(ShellOpenerTest, AlreadyRunningFindsTheProgramByItsPathInAnyForm) {
  app::ShellOpener opener;
  const std::string exe = base::narrow(recorder.wstring());
  const app::StartOutcome started = opener.start({bundle::Kind::app, exe, "--recorder-window=0", ""});
  ASSERT_TRUE(started.process);
  Ended ended(started.process->id);
  std::string other_form = exe;  // another letter case, forward slashes
  for (char& c : other_form) c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(opener.already_running({bundle::Kind::app, other_form, "", ""}, false));
  const fs::path probe = test_exe_folder() / "tools" / "probe.exe";
  EXPECT_FALSE(opener.already_running({bundle::Kind::app, base::narrow(probe.wstring()), "", ""}, false));
}

TEST_F(ShellOpenerTest, PauseReturnsAtOnceOnceStopWasPressed) {
  base::UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  app::ShellOpener opener(stop.get());
  EXPECT_TRUE(opener.pause(0.05));
  SetEvent(stop.get());
  EXPECT_TRUE(opener.stop_requested());
  EXPECT_FALSE(opener.pause(600));  // a stopped pause does not wait out its time
}

TEST_F(ShellOpenerTest, AFolderRunsWhileAFileExplorerWindowShowsItInAnyForm) {
  base::OleScope ole;
  const fs::path folder = fs::temp_directory_path() / "tolvik shown folder";
  fs::create_directories(folder);
  const std::string target = base::narrow(folder.wstring());
  app::ShellOpener opener;
  ASSERT_FALSE(opener.already_running({bundle::Kind::folder, target, "", ""}, false));
  ASSERT_TRUE(opener.start({bundle::Kind::folder, target, "", ""}).status);
  std::vector<winshell::ExplorerWindow> shown;
  for (int attempt = 0; attempt < 50 && shown.empty(); ++attempt) Sleep(100), shown = winshell::explorer_windows();
  if (shown.empty()) {
    // The window is Wine's own; it goes with the test.
    if (HWND window = FindWindowW(nullptr, folder.filename().wstring().c_str())) PostMessageW(window, WM_CLOSE, 0, 0);
    GTEST_SKIP() << "Wine's ShellWindows lists no File Explorer windows, so a shown folder cannot be found here";
  }
  std::string other_form = target + "\\";
  for (char& c : other_form) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(opener.already_running({bundle::Kind::folder, other_form, "", ""}, true));
  EXPECT_EQ(GetForegroundWindow(), shown.front().window);
  PostMessageW(shown.front().window, WM_CLOSE, 0, 0);
}

// An opening finds a folder's window by this rule, and Close the window it
// opened, whatever form the bundle keeps the folder in.
TEST(SamePath, ShortSlashedAndCapitalFormsNameOneFolder) {
  const fs::path folder = fs::temp_directory_path() / "tolvik same folder, long name";
  fs::create_directories(folder);
  const std::string full = base::narrow(folder.wstring());
  std::string other_form = full + "\\";
  for (char& c : other_form) c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(app::same_path(full, other_form)) << other_form;
  wchar_t short_form[MAX_PATH];
  const DWORD length = GetShortPathNameW(folder.wstring().c_str(), short_form, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  EXPECT_TRUE(app::same_path(base::narrow(short_form), full)) << base::narrow(short_form);
  EXPECT_FALSE(app::same_path(full, full + " 2"));
  fs::remove(folder);
}

// The helper's side in this process: the opening's Stop reaches it through
// the named event, it starts nothing more and still answers.
TEST_F(ShellOpenerTest, TheElevatedHelperStopsWhenTheOpeningIsStoppedAndStillAnswers) {
  const std::string exe = base::narrow(recorder.wstring());
  bundle::Item slow{bundle::Kind::app, exe, "slow --recorder-window=20000", ""};
  slow.options.wait = 120;
  const std::string text = app::serialize_elevated_items({slow, {bundle::Kind::app, exe, "never", ""}});
  const std::string items = base::narrow((fs::temp_directory_path() / "tolvik-helper-stop-test.json").wstring());
  const fs::path answer = base::widen(app::elevated_answer_path(items));
  fs::remove(answer);
  std::ofstream(fs::path(base::widen(items)), std::ios::binary) << text;
  const std::wstring event_name = L"Local\\tolvik-helper-stop-test-" + std::to_wstring(GetCurrentProcessId());
  base::UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));

  std::thread helper([&] {
    EXPECT_EQ(app::run_elevated_helper({items, *base::sha256_hex(text), base::narrow(event_name)}), 0);
  });
  const auto lines = wait_for_lines(1);
  SetEvent(stop.get());
  helper.join();
  ASSERT_EQ(lines.size(), 1u);
  Ended ended(lines[0]["pid"].get<std::uint32_t>());
  std::ifstream in(answer, std::ios::binary);
  auto read = app::parse_elevated_answer(std::string(std::istreambuf_iterator<char>(in), {}), 2);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(read->items, (std::vector<app::ItemOutcome>{{app::ItemState::opened, {}}, {app::ItemState::stopped, {}}}));
  ASSERT_EQ(read->processes.size(), 1u);
  EXPECT_EQ(read->processes[0].id, lines[0]["pid"].get<std::uint32_t>());
  in.close();
  fs::remove(items), fs::remove(answer);
}

}  // namespace
