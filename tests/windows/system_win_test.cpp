// The system chores of base: the system's error text, the program's own path
// and starting another program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/cmdline.h"
#include "base/file.h"
#include "base/process_win.h"
#include "base/program_path.h"
#include "base/system_error.h"
#include "support_win.h"

namespace {

TEST(SystemErrorText, IsTheSystemsTextWithoutItsLineBreak) {
  const std::string text = base::system_error_text(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text, "0x00000002");
  EXPECT_EQ(text.find_last_not_of(" \t\r\n"), text.size() - 1) << text;
}

TEST(SystemErrorText, CodeWithoutTextIsShownInHexadecimal) {
  // The customer bit: no system message has such a code.
  EXPECT_EQ(base::system_error_text(0x2000BEEFu), "0x2000BEEF");
}

TEST(ProgramPath, IsTheRunningExecutable) {
  const std::optional<std::string> path = base::program_path();
  ASSERT_TRUE(path);
  EXPECT_EQ(base::file_name(*path), "win_tests.exe");
  EXPECT_TRUE(base::path_exists(*path));
}

TEST(StartProcess, OwnsTheStartedProgram) {
  const std::optional<std::string> program = base::program_path();
  ASSERT_TRUE(program);
  const std::string recorder = base::join_path(base::join_path(base::parent_path(*program), "tools"), "recorder.exe");
  ASSERT_TRUE(base::path_exists(recorder)) << recorder;
  testing_support::TempFolder folder;
  const std::string log = folder.path("recorder.log");
  SetEnvironmentVariableW(L"TOLVIK_RECORDER_LOG", base::widen(log).c_str());

  base::Result<base::UniqueHandle> started =
      base::start_process(recorder, base::join_command_line({recorder, "two words"}), CREATE_NO_WINDOW);
  SetEnvironmentVariableW(L"TOLVIK_RECORDER_LOG", nullptr);
  ASSERT_TRUE(started) << started.error().text;
  // The handle is the program's own: it can be waited on until the program ends.
  ASSERT_EQ(WaitForSingleObject(started->get(), 20000), WAIT_OBJECT_0);
  DWORD exit_code = 1;
  ASSERT_TRUE(GetExitCodeProcess(started->get(), &exit_code));
  EXPECT_EQ(exit_code, 0u);
  auto logged = base::read_text_file(log, 1 << 16);
  ASSERT_TRUE(logged) << logged.error().text;
  EXPECT_NE(logged->find("two words"), std::string::npos) << *logged;
}

TEST(StartProcess, MissingProgramGivesTheSystemsText) {
  testing_support::TempFolder folder;
  const std::string missing = folder.path("missing.exe");
  base::Result<base::UniqueHandle> started = base::start_process(missing, base::quote_argument(missing));
  ASSERT_FALSE(started);
  EXPECT_EQ(started.error().text, base::system_error_text(ERROR_FILE_NOT_FOUND));
}

}  // namespace
