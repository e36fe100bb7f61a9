#include "app/state/settings_win.h"

#include <gtest/gtest.h>

#include "app/reach/startup.h"

namespace {

// Each test starts from no settings key, as after "--unregister".
struct Settings : ::testing::Test {
  void SetUp() override { app::delete_settings(); }
  void TearDown() override { app::delete_settings(); }
};

TEST_F(Settings, TextRoundTripsUnicodeAndEmpty) {
  EXPECT_FALSE(app::read_setting_text("Selected"));
  ASSERT_TRUE(app::write_setting_text("Selected", "b한국어😀"));
  EXPECT_EQ(app::read_setting_text("Selected"), "b한국어😀");
  ASSERT_TRUE(app::write_setting_text("Selected", ""));
  EXPECT_EQ(app::read_setting_text("Selected"), "");
}

TEST_F(Settings, NumbersAndTypesAreKeptApart) {
  ASSERT_TRUE(app::write_setting_number("AutoUpdate", 0));
  EXPECT_EQ(app::read_setting_number("AutoUpdate"), 0u);
  // A number stored as text counts as missing, and the other way round.
  ASSERT_TRUE(app::write_setting_text("AutoUpdate", "0"));
  EXPECT_FALSE(app::read_setting_number("AutoUpdate"));
  ASSERT_TRUE(app::write_setting_number("Language", 7));
  EXPECT_FALSE(app::read_setting_text("Language"));
}

TEST_F(Settings, AWriteTheRegistryRefusesSaysWhy) {
  // A value name past the registry's 16383 characters is refused.
  const std::string too_long(20000, 'n');
  const base::Status text = app::write_setting_text(too_long, "de");
  ASSERT_FALSE(text);
  EXPECT_FALSE(text.error().text.empty());
  const base::Status number = app::write_setting_number(too_long, 1);
  ASSERT_FALSE(number);
  EXPECT_EQ(number.error().text, text.error().text);
  // What was refused left nothing behind, and a later write goes through.
  ASSERT_TRUE(app::write_setting_text("Language", "de"));
  EXPECT_EQ(app::read_setting_text("Language"), "de");
}

TEST_F(Settings, PlacementIsTheWhole44ByteRecord) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"tolvik.SettingsTest";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"t", WS_OVERLAPPEDWINDOW, 40, 50, 640, 480, nullptr, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  app::save_window_placement(window);
  DestroyWindow(window);

  auto stored = app::read_setting_binary("Placement");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 44u);
  auto placement = app::parse_placement(*stored);
  ASSERT_TRUE(placement);
  EXPECT_EQ(placement->length, 44u);
  EXPECT_EQ(placement->normal.width(), 640);
  EXPECT_EQ(placement->normal.height(), 480);
}

TEST_F(Settings, DeleteRemovesEveryValue) {
  ASSERT_TRUE(app::write_setting_text("Selected", "b1"));
  ASSERT_TRUE(app::write_setting_text("Language", "ko"));
  ASSERT_TRUE(app::write_setting_number("AutoUpdate", 1));
  ASSERT_TRUE(app::write_setting_text("LastUpdateCheck", "5"));
  const std::uint8_t bytes[44] = {};
  app::write_setting_binary("Placement", bytes, sizeof(bytes));
  app::delete_settings();
  EXPECT_FALSE(app::read_setting_text("Selected"));
  EXPECT_FALSE(app::read_setting_text("Language"));
  EXPECT_FALSE(app::read_setting_number("AutoUpdate"));
  EXPECT_FALSE(app::read_setting_text("LastUpdateCheck"));
  EXPECT_FALSE(app::read_setting_binary("Placement"));
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, app::kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST(Theme, DarkOnlyWhenAppsUseLightThemeIsZero) {
  const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
  DWORD zero = 0, one = 1;
  RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_DWORD, &zero, sizeof(zero));
  EXPECT_TRUE(app::system_dark_mode());
  RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_DWORD, &one, sizeof(one));
  EXPECT_FALSE(app::system_dark_mode());
  RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_SZ, L"0", 4);
  EXPECT_FALSE(app::system_dark_mode());
  RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme");
  EXPECT_FALSE(app::system_dark_mode());
}

}  // namespace
