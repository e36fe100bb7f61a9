#include "app/view/text_scale_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "app/view/text_scale.h"

namespace {

constexpr wchar_t kAccessibilityKey[] = L"Software\\Microsoft\\Accessibility";
constexpr wchar_t kValue[] = L"TextScaleFactor";

// Each test starts without the value, as on a system whose text size was
// never changed, and leaves whatever was there before.
struct TextScaleSetting : ::testing::Test {
  void SetUp() override {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kAccessibilityKey, kValue, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
        ERROR_SUCCESS) {
      kept = value;
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kValue);
  }
  void TearDown() override {
    if (kept) {
      write(*kept);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kValue);
    }
  }
  static void write(DWORD percent) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kValue, REG_DWORD, &percent, sizeof(percent)),
              ERROR_SUCCESS);
  }
  std::optional<DWORD> kept;
};

TEST_F(TextScaleSetting, ReadsWhatSettingsWrites) {
  EXPECT_EQ(app::read_text_scale_setting(), std::nullopt);
  EXPECT_EQ(app::text_scale_factor(app::read_text_scale_setting()), 1.0f);

  write(175);
  EXPECT_EQ(app::read_text_scale_setting(), 175u);
  EXPECT_EQ(app::text_scale_factor(app::read_text_scale_setting()), 1.75f);

  write(225);
  EXPECT_EQ(app::text_scale_factor(app::read_text_scale_setting()), 2.25f);
}

TEST_F(TextScaleSetting, OutOfRangeOrAnotherTypeCountsAsTheSystemSize) {
  write(300);
  EXPECT_EQ(app::read_text_scale_setting(), 300u);
  EXPECT_EQ(app::text_scale_factor(app::read_text_scale_setting()), 1.0f);
  write(50);
  EXPECT_EQ(app::text_scale_factor(app::read_text_scale_setting()), 1.0f);

  // Text where a number belongs is not read as one.
  const wchar_t text[] = L"150";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kValue, REG_SZ, text, sizeof(text)),
            ERROR_SUCCESS);
  EXPECT_EQ(app::read_text_scale_setting(), std::nullopt);
}

}  // namespace
