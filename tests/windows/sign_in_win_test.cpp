#include "app/reach/sign_in_win.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/reach/sign_in.h"
#include "base/program_path.h"
#include "base/system_error.h"
#include "base/utf.h"

namespace {

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApproved[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::optional<std::wstring> run_value() {
  wchar_t buffer[1024];
  DWORD size = sizeof(buffer);
  if (RegGetValueW(HKEY_CURRENT_USER, kRun, L"tolvik", RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

void set_run_value(const std::wstring& data) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"tolvik", REG_SZ, data.c_str(),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void set_approved(std::uint8_t first) {
  const std::uint8_t data[12] = {first};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, L"tolvik", REG_BINARY, data, sizeof(data)), ERROR_SUCCESS);
}

bool approved_exists() {
  return RegGetValueW(HKEY_CURRENT_USER, kApproved, L"tolvik", RRF_RT_ANY, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

// When the Run key was last written.
std::uint64_t run_key_written() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRun, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
  FILETIME written{};
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &written);
  RegCloseKey(key);
  return static_cast<std::uint64_t>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
}

std::wstring ours() { return base::widen(app::run_value_data(base::program_path().value())); }

// Each test starts and ends without tolvik's values, as after "--unregister".
struct RunValue : ::testing::Test {
  void SetUp() override { app::delete_run_value(); }
  void TearDown() override { app::delete_run_value(); }
};

TEST_F(RunValue, WrittenWithThisProgramsQuotedPathAndRemoved) {
  EXPECT_TRUE(app::keep_run_value(false));
  EXPECT_FALSE(run_value());
  EXPECT_TRUE(app::keep_run_value(true));
  EXPECT_EQ(run_value(), ours());
  EXPECT_EQ(run_value()->front(), L'"');
  EXPECT_TRUE(run_value()->ends_with(L".exe\" --sign-in"));
  EXPECT_TRUE(app::keep_run_value(false));
  EXPECT_FALSE(run_value());
}

TEST_F(RunValue, AValueThatIsRightIsNotWrittenAgainAndAnotherCopysIsReplaced) {
  EXPECT_TRUE(app::keep_run_value(true));
  const std::uint64_t first = run_key_written();
  ASSERT_NE(first, 0u);
  Sleep(50);
  EXPECT_TRUE(app::keep_run_value(true));
  EXPECT_EQ(run_key_written(), first);

  set_run_value(L"\"C:\\Old\\tolvik.exe\" --sign-in");
  EXPECT_TRUE(app::keep_run_value(true));
  EXPECT_EQ(run_value(), ours());
}

// The Run key readable but not writable by anyone while this lives, as a
// policy or another program may leave it; its own access list comes back after.
class ReadOnlyRunKey {
 public:
  ReadOnlyRunKey() {
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRun, 0, READ_CONTROL | WRITE_DAC, &key_), ERROR_SUCCESS);
    DWORD size = sizeof(saved_);
    EXPECT_EQ(RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_, &size), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR read_only = nullptr;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                     &read_only, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, read_only), ERROR_SUCCESS);
    LocalFree(read_only);
  }
  ReadOnlyRunKey(const ReadOnlyRunKey&) = delete;
  ReadOnlyRunKey& operator=(const ReadOnlyRunKey&) = delete;
  ~ReadOnlyRunKey() {
    RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_);
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  alignas(SECURITY_DESCRIPTOR) unsigned char saved_[4096] = {};
};

TEST_F(RunValue, AKeyThatRefusesTheChangeIsReportedWithTheSystemsText) {
  {
    ReadOnlyRunKey read_only;
    const base::Status written = app::keep_run_value(true);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().text, base::system_error_text(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(run_value());
  }
  EXPECT_TRUE(app::keep_run_value(true));
  {
    ReadOnlyRunKey read_only;
    EXPECT_FALSE(app::keep_run_value(false));
    EXPECT_EQ(run_value(), ours());
  }
}

TEST_F(RunValue, TaskManagersSwitchIsReadAndRemovedWithTheValue) {
  EXPECT_FALSE(app::run_value_turned_off());
  set_approved(0x03);
  EXPECT_TRUE(app::run_value_turned_off());
  set_approved(0x02);
  EXPECT_FALSE(app::run_value_turned_off());
  set_approved(0x03);
  EXPECT_TRUE(app::keep_run_value(true));
  app::delete_run_value();
  EXPECT_FALSE(run_value());
  EXPECT_FALSE(approved_exists());
  EXPECT_FALSE(app::run_value_turned_off());
}

}  // namespace
