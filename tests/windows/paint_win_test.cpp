// The main view drawn offscreen with the real rendering context, and the
// shell icons of its item rows.

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../host/fake_platform.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/window/icon_worker_win.h"
#include "app/window/paint_win.h"
#include "base/utf.h"
#include "bundle/model.h"
#include "gfx/gfx_win.h"
#include "support_win.h"
#include "winshell/shell_icon_win.h"

namespace {

using gfx::Gfx;
using testing_support::Pixels;

// Layout rectangles are in floats; a pixel is addressed by their whole part.
UINT whole(float v) { return static_cast<UINT>(v); }

std::string hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(v));
  return text;
}

// The pixel at (x, y) has `hex_rgb` within `tolerance` on every channel.
testing::AssertionResult colour_at(const Pixels& p, float x, float y, unsigned hex_rgb, int tolerance = 3) {
  const int want[3] = {static_cast<int>((hex_rgb >> 16) & 0xFF), static_cast<int>((hex_rgb >> 8) & 0xFF),
                       static_cast<int>(hex_rgb & 0xFF)};
  const int got[3] = {p.r(whole(x), whole(y)), p.g(whole(x), whole(y)), p.b(whole(x), whole(y))};
  for (int i = 0; i < 3; ++i) {
    if (std::abs(want[i] - got[i]) > tolerance) {
      return testing::AssertionFailure() << "at " << x << ", " << y << ": " << hex(p.at(whole(x), whole(y)))
                                         << " instead of " << hex(hex_rgb);
    }
  }
  return testing::AssertionSuccess();
}

class PaintView : public testing::Test {
 protected:
  static constexpr UINT kWidth = 1000;
  static constexpr UINT kHeight = 700;

  testing_support::FakePlatform platform;
  app::AppState state{platform};
  app::IconCache icons;
  testing_support::TestWindow window{64, 64};
  std::unique_ptr<Gfx> gfx;

  void SetUp() override {
    ASSERT_TRUE(window.handle());
    auto made = Gfx::create(window.handle(), 96);
    ASSERT_TRUE(made) << made.error().step;
    gfx = std::move(made.value());
    state.client_width = kWidth;
    state.client_height = kHeight;
    state.dpi = 96;
  }

  // The path of this test program: a real file with a shell icon.
  static std::string own_path() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return base::narrow(path);
  }

  void add_bundle(std::string id, std::string name, std::vector<bundle::Item> items = {}) {
    state.store.bundles.push_back(bundle::Bundle{std::move(id), std::move(name), std::move(items)});
  }

  // One frame of the view into an offscreen bitmap; false (with the reason)
  // when this Direct2D cannot read it back.
  bool paint(Pixels& out, app::ViewLayout& layout, std::string& why) {
    return testing_support::render(
        *gfx, kWidth, kHeight, [&] { layout = app::paint_view(*gfx, state, icons); }, out, why,
        gfx::palette(state.dark).background);
  }
};

#define PAINT_OR_SKIP(pixels, layout)                          \
  do {                                                         \
    std::string why_;                                          \
    if (!paint(pixels, layout, why_)) GTEST_SKIP() << why_;    \
  } while (0)

TEST_F(PaintView, SidebarRowsAndContentColumnInTheLightTheme) {
  add_bundle("b0", "Month-end", {bundle::Item{bundle::Kind::file, own_path(), {}, {}}});
  add_bundle("b1", "Reading");
  state.selected_bundle = 0;
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);

  EXPECT_TRUE(colour_at(px, 5, kHeight - 5, 0xFFFFFF));                  // sidebar: surface
  EXPECT_TRUE(colour_at(px, v.sidebar_width + 5, kHeight - 5, 0xF2F4F7)); // content: background
  EXPECT_TRUE(colour_at(px, v.sidebar_width - 1, kHeight - 5, 0xE3E6EA)); // the divider

  // Row 1 (not selected) has the plain row fill; row 0 (selected) the accent tint.
  const app::SidebarRow& plain = v.rows.at(1);
  EXPECT_TRUE(colour_at(px, plain.rect.x + 6, plain.rect.y + plain.rect.h / 2, 0xFFFFFF));
  const app::SidebarRow& selected = v.rows.at(0);
  // #16A34A at 0.10 over white.
  EXPECT_TRUE(colour_at(px, selected.rect.x + 6, selected.rect.y + selected.rect.h / 2, 0xE8F6ED, 4));

  // Open buttons are filled with the accent colour (sampled left of the label).
  EXPECT_TRUE(colour_at(px, plain.open.x + 3, plain.open.y + plain.open.h / 2, 0x16A34A));
  EXPECT_TRUE(colour_at(px, v.content->open.x + 3, v.content->open.y + 20, 0x16A34A));
  // The item row is drawn; its shell icon is asked for, not fetched by the frame.
  const app::ItemRow& row = v.content->rows.at(0);
  EXPECT_TRUE(colour_at(px, row.rect.x + 3, row.rect.y + row.rect.h / 2, 0xFFFFFF));
  ASSERT_EQ(icons.wanted.size(), 1u);
  EXPECT_EQ(icons.wanted[0].key, bundle::item_key(own_path()));
  EXPECT_TRUE(icons.bitmaps.empty());
}

TEST_F(PaintView, ShellIconsComeFromTheWorkerAndTheKindIconStandsInUntilThen) {
  add_bundle("b0", "Month-end", {bundle::Item{bundle::Kind::file, own_path(), {}, {}}});
  state.selected_bundle = 0;
  Pixels first;
  app::ViewLayout v;
  PAINT_OR_SKIP(first, v);
  const app::ItemRowParts parts = app::item_row_parts(v, v.content->rows.at(0).rect, false);
  // The kind icon's tile: #16A34A at 0.12 over the white row, at its top left
  // inside the rounding.
  const float tile_x = parts.tile.x + 4;
  const float tile_y = parts.tile.y + 4;
  EXPECT_TRUE(colour_at(first, tile_x, tile_y, 0xE3F3E9, 5));
  ASSERT_EQ(icons.wanted.size(), 1u);

  // A second frame before the answer asks nothing again.
  const auto box = std::make_shared<app::IconMailbox>();
  ASSERT_TRUE(app::start_icon_worker(window.handle(), WM_APP + 40, icons, box));
  EXPECT_TRUE(icons.wanted.empty());
  Pixels again;
  PAINT_OR_SKIP(again, v);
  EXPECT_TRUE(icons.wanted.empty());

  // The worker's thread answers in the mailbox and posts its message.
  std::optional<std::vector<app::FetchedIcon>> fetched;
  for (int i = 0; i < 200 && !fetched; ++i) {
    fetched = box->take();
    if (!fetched) Sleep(50);
  }
  ASSERT_TRUE(fetched) << "the icon worker did not answer within 10 s";
  MSG message{};
  EXPECT_TRUE(PeekMessageW(&message, window.handle(), WM_APP + 40, WM_APP + 40, PM_REMOVE));
  ASSERT_EQ(fetched->size(), 1u);
  EXPECT_TRUE(fetched->front().icon);
  app::store_fetched_icons(icons, *gfx, std::move(*fetched));
  const auto icon = icons.bitmaps.find(bundle::item_key(own_path()));
  ASSERT_NE(icon, icons.bitmaps.end());
  EXPECT_TRUE(icon->second);
  EXPECT_TRUE(icons.asked.empty());

  // Now the shell's icon is drawn where the tile was, and nothing is asked.
  Pixels last;
  PAINT_OR_SKIP(last, v);
  EXPECT_FALSE(colour_at(last, tile_x, tile_y, 0xE3F3E9, 5));
  EXPECT_TRUE(icons.wanted.empty());
  EXPECT_FALSE(app::start_icon_worker(window.handle(), WM_APP + 40, icons, box));
}

TEST_F(PaintView, DarkThemeUsesTheDarkPalette) {
  add_bundle("b0", "Month-end");
  state.dark = true;
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);
  EXPECT_TRUE(colour_at(px, 5, kHeight - 5, 0x222327));
  EXPECT_TRUE(colour_at(px, v.sidebar_width + 5, kHeight - 5, 0x17181B));
  EXPECT_TRUE(colour_at(px, v.rows[0].rect.x + 6, v.rows[0].rect.y + 31, 0x1F2125));
}

TEST_F(PaintView, WebAddressesGetNoShellIconAndMissingTargetsAPill) {
  const std::string gone = "C:\\no such folder\\report.xlsx";
  add_bundle("b0", "Mixed",
             {bundle::Item{bundle::Kind::url, "https://example.com/", {}, {}},
              bundle::Item{bundle::Kind::file, gone, {}, {}}});
  state.selected_bundle = 0;
  state.missing_targets.insert(bundle::item_key(gone));
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);

  // Only the file is asked for; its fetch finds none and is never asked again.
  ASSERT_EQ(icons.wanted.size(), 1u);
  EXPECT_EQ(icons.wanted[0].key, bundle::item_key(gone));
  std::vector<app::FetchedIcon> fetched = app::fetch_shell_icons(icons.wanted);
  icons.wanted.clear();
  ASSERT_EQ(fetched.size(), 1u);
  EXPECT_FALSE(fetched[0].icon);
  app::store_fetched_icons(icons, *gfx, std::move(fetched));
  const auto none = icons.bitmaps.find(bundle::item_key(gone));
  ASSERT_NE(none, icons.bitmaps.end());
  EXPECT_FALSE(none->second);
  app::ViewLayout again;
  Pixels px2;
  PAINT_OR_SKIP(px2, again);
  EXPECT_TRUE(icons.wanted.empty());

  // The pill: #DC2626 at 0.12 over the white row, sampled at its left end.
  const app::ItemRowParts parts = app::item_row_parts(v, v.content->rows.at(1).rect, true);
  ASSERT_TRUE(parts.pill);
  EXPECT_TRUE(colour_at(px, parts.pill->box.x + 3, parts.pill->box.y + 12, 0xFBE5E5, 4));
}

TEST_F(PaintView, HeaderCoversRowsScrolledUpAndTheScrollIsClamped) {
  std::vector<bundle::Item> items;
  for (int i = 0; i < 40; ++i) items.push_back(bundle::Item{bundle::Kind::url, "https://e.com/" + std::to_string(i), {}, {}});
  add_bundle("b0", "Long", items);
  state.selected_bundle = 0;
  state.content_scroll = std::numeric_limits<float>::max();  // "scroll to the end"
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);
  EXPECT_FLOAT_EQ(state.content_scroll, app::content_max_scroll(v));

  // Row 16 now starts 28 pixels above the list top, under the header, which covers it.
  state.content_scroll = 16 * 62 + 28;
  PAINT_OR_SKIP(px, v);
  ASSERT_EQ(v.content->rows.front().item, 16u);
  const float x = v.content_left + v.content_width / 2;
  EXPECT_TRUE(colour_at(px, x, v.content->list_top - 8, 0xF2F4F7));
  EXPECT_TRUE(colour_at(px, x, v.content->list_top - 4, 0xFFFFFF));  // below the cut the row shows
}

TEST_F(PaintView, SidebarButtonsCoverBundlesScrolledUp) {
  for (int i = 0; i < 40; ++i) add_bundle("b" + std::to_string(i), "Bundle " + std::to_string(i));
  const app::ViewLayout top = app::layout_view(state, gfx.get());
  ASSERT_TRUE(top.search_box);
  // Row 1's Open button is scrolled to straddle the cut under the buttons,
  // its middle between the search box and the cut.
  const gfx::RectF open = top.rows.at(1).open;
  const float cut = top.list_top - 4;
  const float probe = (top.search_box->bottom() + cut) / 2;
  state.sidebar_scroll = open.y + open.h / 2 - probe;
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);
  ASSERT_EQ(v.rows.front().bundle, 1u);
  EXPECT_TRUE(colour_at(px, open.x + 3, probe, 0xFFFFFF));    // covered by the sidebar's surface
  EXPECT_TRUE(colour_at(px, open.x + 3, cut + 2, 0x16A34A));  // below the cut the button shows
}

TEST_F(PaintView, DraggedItemLeavesAnEmptyPlace) {
  std::vector<bundle::Item> items;
  for (int i = 0; i < 5; ++i) items.push_back(bundle::Item{bundle::Kind::url, "https://e.com/" + std::to_string(i), {}, {}});
  add_bundle("b0", "Five", items);
  state.selected_bundle = 0;
  state.selected_item = 0;
  const app::ViewLayout before = app::layout_view(state, gfx.get());
  const gfx::RectF place2 = *app::item_row_rect(before, 2);
  // Item 0 grabbed at its top, held over place 2; the dragged row drawn a little lower.
  state.item_drag = app::AppState::ItemDrag{0, place2.y + 20, 0};
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);
  ASSERT_TRUE(v.content->placeholder);
  // The place's upper part shows the window background inside the dashed outline.
  EXPECT_TRUE(colour_at(px, place2.x + place2.w / 2, place2.y + 10, 0xF2F4F7));
  // The dragged row covers the lower part.
  EXPECT_TRUE(colour_at(px, place2.x + place2.w / 2, place2.y + 40, 0xE8F6ED, 4));
}

TEST_F(PaintView, WelcomeWithoutBundlesAndToastOnTop) {
  state.toast = app::Toast{"Removed “Month-end”", 0, app::ToastAction::undo};
  state.hover = app::Region{app::RegionKind::create_first_bundle, 0};
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);
  ASSERT_TRUE(v.welcome);
  // Hovered: the accent at 0.85 over the background.
  EXPECT_TRUE(colour_at(px, v.welcome->create.x + 3, v.welcome->create.y + 21, 0x37AF64, 5));
  ASSERT_TRUE(v.toast && v.toast->action);
  // #111214 at 0.94 over the background, and the Undo button a little lighter.
  EXPECT_TRUE(colour_at(px, v.toast->bar.x + 4, v.toast->bar.y + 20, 0x1F2022, 4));
  const int bar = px.r(whole(v.toast->bar.x + 4), whole(v.toast->bar.y + 20));
  const int undo = px.r(whole(v.toast->action->x + 2), whole(v.toast->action->y + 15));
  EXPECT_GT(undo, bar + 10);
}

// ---- shell icons -------------------------------------------------------------

TEST_F(PaintView, TheFocusRingGoesRoundTheFocusedElementOnlyOnceTheKeyboardWasUsed) {
  add_bundle("b0", "Month-end", {bundle::Item{bundle::Kind::url, "https://a.example/", {}, {}}});
  state.selected_bundle = 0;
  state.focus = app::Region{app::RegionKind::more, 0};
  Pixels px;
  app::ViewLayout v;
  PAINT_OR_SKIP(px, v);
  const gfx::RectF more = v.content->more;
  // Two pixels left of the button, on its middle line: the ring's place.
  EXPECT_TRUE(colour_at(px, more.x - 2, more.y + more.h / 2, 0xF2F4F7));  // no ring yet

  state.focus_ring = true;
  PAINT_OR_SKIP(px, v);
  EXPECT_TRUE(colour_at(px, more.x - 2, more.y + more.h / 2, 0x16181D, 8));
  EXPECT_TRUE(colour_at(px, more.right() + 2, more.y + more.h / 2, 0x16181D, 8));
  const gfx::RectF open = v.content->open;
  EXPECT_TRUE(colour_at(px, open.x - 2, open.y + open.h / 2, 0xF2F4F7));  // the Open button has none

  // The focused item goes: the frame puts the focus on what is left before drawing.
  state.focus = app::Region{app::RegionKind::item_row, 0};
  state.selected_item = 0;
  state.store.bundles[0].items.clear();
  state.selected_item.reset();
  state.redraw();
  PAINT_OR_SKIP(px, v);
  ASSERT_TRUE(state.focus);
  EXPECT_EQ(state.focus->kind, app::RegionKind::add_files);
}

TEST(ShellIcon, NetworkPaths) {
  EXPECT_TRUE(winshell::is_network_path("\\\\server\\share\\report.docx"));
  EXPECT_FALSE(winshell::is_network_path("C:\\Windows"));
  EXPECT_FALSE(winshell::is_network_path("report.docx"));
  EXPECT_FALSE(winshell::is_network_path(""));
  EXPECT_FALSE(winshell::is_network_path("1:\\x"));
}

TEST(ShellIcon, ByTypeNeverTouchesTheTarget) {
  // No such server: asked by type only, the shell still answers at once.
  EXPECT_TRUE(winshell::shell_icon("\\\\no-such-host.invalid\\share\\notes.txt", false, true));
  EXPECT_TRUE(winshell::shell_icon("folder", true, true));
}

TEST(ShellIcon, RealFileAndMissingFile) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_TRUE(winshell::shell_icon(base::narrow(path), false, false));
  EXPECT_FALSE(winshell::shell_icon("C:\\no such folder\\nothing.bin", false, false));
}

}  // namespace
