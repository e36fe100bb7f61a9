#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/window/paint_icons.h"
#include "base/handle_win.h"
#include "gfx/colorref_win.h"
#include "gfx/gfx_win.h"
#include "gfx/icon_path.h"
#include "gfx/icons.h"
#include "support_win.h"

namespace {

using gfx::Color;
using gfx::ComPtr;
using gfx::Gfx;
using gfx::RectF;
using testing_support::Pixels;
using testing_support::read_back;
using testing_support::TestWindow;

std::unique_ptr<Gfx> make_gfx(HWND window, UINT dpi = 96) {
  auto made = Gfx::create(window, dpi);
  if (!made) {
    ADD_FAILURE() << "Gfx::create failed at " << made.error().step << " with 0x" << std::hex
                  << static_cast<unsigned long>(made.error().hr);
    return nullptr;
  }
  return std::move(made.value());
}

DXGI_SWAP_CHAIN_DESC1 swap_desc(Gfx& gfx) {
  DXGI_SWAP_CHAIN_DESC1 desc{};
  EXPECT_HRESULT_SUCCEEDED(gfx.swap_chain()->GetDesc1(&desc));
  return desc;
}

std::string family_of(IDWriteTextFormat* format) {
  wchar_t name[64] = {};
  if (FAILED(format->GetFontFamilyName(name, 64))) return {};
  std::string out;
  for (const wchar_t* c = name; *c; ++c) out += static_cast<char>(*c);
  return out;
}

// Wine's Direct2D ignores stroke styles (no round caps, no dashes, no
// antialiasing of strokes) and reports stretch scaling for every swap chain.
bool under_wine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Sum of red coverage down one column between two rows: the width of a
// horizontal white stroke on black, in pixels.
double column_coverage(const Pixels& p, UINT x, UINT y0, UINT y1) {
  double sum = 0;
  for (UINT y = y0; y < y1; ++y) sum += p.r(x, y) / 255.0;
  return sum;
}

// ---------------------------------------------------------------------------

TEST(ColorRef, ChannelsRoundToTheNearestByteClampedAndComeBackAsThemselves) {
  EXPECT_EQ(gfx::colorref(gfx::rgb(0x1F2A3B)), RGB(0x1F, 0x2A, 0x3B));
  // 0.5 is 127.5 of 255: rounded up. Out of range is clamped; alpha has no place.
  EXPECT_EQ(gfx::colorref(Color{0.5f, 1.2f, -0.3f, 0.2f}), RGB(128, 255, 0));
  for (const COLORREF c : {RGB(0, 0, 0), RGB(255, 255, 255), RGB(1, 128, 254)}) {
    const Color back = gfx::color_of(c);
    EXPECT_EQ(back.a, 1.0f);
    EXPECT_EQ(gfx::colorref(back), c);
  }
}

TEST(GfxCreate, SwapChainMatchesClientArea) {
  TestWindow window(300, 200);
  ASSERT_TRUE(window.handle());
  auto gfx = make_gfx(window.handle(), 144);
  ASSERT_TRUE(gfx);
  EXPECT_FLOAT_EQ(gfx->scale(), 1.5f);
  const DXGI_SWAP_CHAIN_DESC1 desc = swap_desc(*gfx);
  EXPECT_EQ(desc.Width, 300u);
  EXPECT_EQ(desc.Height, 200u);
  EXPECT_EQ(desc.Format, DXGI_FORMAT_B8G8R8A8_UNORM);
  EXPECT_EQ(desc.BufferCount, 2u);
  EXPECT_EQ(desc.SwapEffect, DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL);
  if (!under_wine()) EXPECT_EQ(desc.Scaling, DXGI_SCALING_NONE);
  EXPECT_EQ(desc.AlphaMode, DXGI_ALPHA_MODE_IGNORE);
  FLOAT dpi_x = 0, dpi_y = 0;
  gfx->device_context()->GetDpi(&dpi_x, &dpi_y);
  EXPECT_FLOAT_EQ(dpi_x, 96.0f);  // one drawing unit is one pixel at any window DPI
  EXPECT_FLOAT_EQ(dpi_y, 96.0f);
  // Text sizes are scaled by the window's DPI.
  EXPECT_FLOAT_EQ(gfx->text_format(gfx::TextFormat::caption)->GetFontSize(), 11.5f * 1.5f);
  EXPECT_FLOAT_EQ(gfx->text_format(gfx::TextFormat::title)->GetFontSize(), 30.0f);
  EXPECT_EQ(gfx->text_format(gfx::TextFormat::body_bold)->GetFontWeight(), DWRITE_FONT_WEIGHT_SEMI_BOLD);
  EXPECT_STREQ(family_of(gfx->text_format(gfx::TextFormat::symbols)).c_str(), "Segoe MDL2 Assets");
  EXPECT_STREQ(family_of(gfx->text_format(gfx::TextFormat::body)).c_str(), "Segoe UI");
  // Icons are stroked with round caps and joins.
  ID2D1StrokeStyle* round = gfx->icon_stroke_style();
  ASSERT_TRUE(round);
  EXPECT_EQ(round->GetStartCap(), D2D1_CAP_STYLE_ROUND);
  EXPECT_EQ(round->GetEndCap(), D2D1_CAP_STYLE_ROUND);
  EXPECT_EQ(round->GetDashCap(), D2D1_CAP_STYLE_ROUND);
  EXPECT_EQ(round->GetLineJoin(), D2D1_LINE_JOIN_ROUND);
  EXPECT_EQ(round->GetDashStyle(), D2D1_DASH_STYLE_SOLID);
}

TEST(GfxCreate, EmptyClientAreaAndResizeToZeroGiveOnePixel) {
  TestWindow window(0, 0);
  ASSERT_TRUE(window.handle());
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  DXGI_SWAP_CHAIN_DESC1 desc = swap_desc(*gfx);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);

  ASSERT_HRESULT_SUCCEEDED(gfx->resize(320, 240));
  desc = swap_desc(*gfx);
  EXPECT_EQ(desc.Width, 320u);
  EXPECT_EQ(desc.Height, 240u);
  EXPECT_EQ(desc.BufferCount, 2u);
  EXPECT_EQ(desc.Format, DXGI_FORMAT_B8G8R8A8_UNORM);

  ASSERT_HRESULT_SUCCEEDED(gfx->resize(0, 0));
  desc = swap_desc(*gfx);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);

  // A frame still works after the resizes.
  ASSERT_HRESULT_SUCCEEDED(gfx->begin_frame({0, 0, 0, 1}));
  EXPECT_FALSE(gfx->end_frame());
}

TEST(GfxFrame, WindowFrameDrawsAndPresentsWithoutRecreate) {
  TestWindow window(240, 160);
  ASSERT_TRUE(window.handle());
  ShowWindow(window.handle(), SW_SHOWNOACTIVATE);
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  const gfx::Palette& p = gfx::palette(false);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_HRESULT_SUCCEEDED(gfx->begin_frame(p.background));
    EXPECT_TRUE(gfx->in_frame());
    gfx->fill_rounded({10, 10, 100, 40}, 8, p.accent);
    gfx->stroke_rounded(RectF{10, 10, 100, 40}.inset(0.5f), 8, 1, p.border);
    gfx->dashed_outline({10, 60, 100, 40}, 10, 1.5f, p.text_muted);
    EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(gfx::icon_folder, {120, 10, 40, 40}, 20, p.text));
    gfx->draw_text("Add files…", {120, 60, 100, 30}, p.text, gfx::TextFormat::body);
    EXPECT_FALSE(gfx->end_frame());
    EXPECT_FALSE(gfx->in_frame());
    // Between frames the device context holds no target.
    ComPtr<ID2D1Image> target;
    gfx->device_context()->GetTarget(&target);
    EXPECT_FALSE(target);
  }
  // The swap chain can be resized between frames (no bitmap of it is held).
  EXPECT_HRESULT_SUCCEEDED(gfx->resize(200, 100));
}

TEST(GfxFrame, DrawingOutsideAFrameDoesNothing) {
  TestWindow window(64, 64);
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  gfx->fill_rounded({0, 0, 10, 10}, 2, gfx::kWhite);
  gfx->draw_text("x", {0, 0, 10, 10}, gfx::kWhite, gfx::TextFormat::body);
  EXPECT_FALSE(gfx->end_frame());
  // The next real frame is unaffected.
  ASSERT_HRESULT_SUCCEEDED(gfx->begin_frame({0, 0, 0, 1}));
  EXPECT_FALSE(gfx->end_frame());
}

// The start makes the device on another thread while it makes its window;
// the context made from it draws, and a size the swap chain already has
// keeps its buffers.
TEST(GfxCreate, ADeviceMadeOnAnotherThreadDraws) {
  auto device = std::async(std::launch::async, gfx::make_device).get();
  ASSERT_TRUE(device) << device.error().step;
  TestWindow window(64, 64);
  auto made = Gfx::create(window.handle(), 96, std::move(device).value());
  ASSERT_TRUE(made) << made.error().step;
  Gfx& g = *made.value();
  ComPtr<ID3D11Texture2D> before;
  ASSERT_HRESULT_SUCCEEDED(g.swap_chain()->GetBuffer(0, IID_PPV_ARGS(&before)));
  ASSERT_HRESULT_SUCCEEDED(g.resize(64, 64));
  ComPtr<ID3D11Texture2D> after;
  ASSERT_HRESULT_SUCCEEDED(g.swap_chain()->GetBuffer(0, IID_PPV_ARGS(&after)));
  EXPECT_EQ(before.Get(), after.Get());
  after.Reset();
  before.Reset();
  Pixels px;
  RENDER_OR_SKIP(g, 64, 64, [&] { g.fill_rounded({8, 8, 48, 48}, 4, gfx::kWhite); }, px);
  EXPECT_EQ(px.g(32, 32), 0xFF);
  EXPECT_EQ(px.g(2, 2), 0);
  EXPECT_EQ(swap_desc(g).Width, 64u);
}

// ---------------------------------------------------------------------------

class GfxPixels : public testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TestWindow>(64, 64);
    gfx_ = make_gfx(window_->handle());
    ASSERT_TRUE(gfx_);
  }
  std::unique_ptr<TestWindow> window_;
  std::unique_ptr<Gfx> gfx_;
};

TEST_F(GfxPixels, FillRoundedHasItsColourAndRoundCorners) {
  const Color colour = gfx::palette(false).accent;  // #16A34A
  Pixels px;
  RENDER_OR_SKIP(*gfx_, 64, 64, [&] { gfx_->fill_rounded({8, 8, 48, 48}, 8, colour); }, px);
  EXPECT_NEAR(px.r(32, 32), 0x16, 1);
  EXPECT_NEAR(px.g(32, 32), 0xA3, 1);
  EXPECT_NEAR(px.b(32, 32), 0x4A, 1);
  // Just inside the straight edges: filled; just outside: the clear colour.
  EXPECT_NEAR(px.g(32, 8), 0xA3, 1);
  EXPECT_NEAR(px.g(8, 32), 0xA3, 1);
  EXPECT_EQ(px.g(32, 6), 0);
  EXPECT_EQ(px.g(57, 32), 0);
  // The corner pixel lies outside the radius-8 arc.
  EXPECT_LT(px.g(8, 8), 0x20);
}

TEST_F(GfxPixels, OutlineInsetByHalfWidthStaysInside) {
  Pixels px;
  RENDER_OR_SKIP(*gfx_, 64, 64,
                 [&] { gfx_->stroke_rounded(RectF{8, 8, 48, 48}.inset(1), 4, 2, gfx::kWhite); }, px);
  EXPECT_GT(px.r(32, 8), 0xF0);  // the 2-pixel outline covers rows 8 and 9
  EXPECT_GT(px.r(32, 9), 0xF0);
  EXPECT_EQ(px.r(32, 7), 0);      // nothing outside the rectangle
  EXPECT_EQ(px.r(32, 10), 0);     // nor inside the outline
  EXPECT_EQ(px.r(32, 32), 0);
}

TEST_F(GfxPixels, DashedOutlineHasGapsWhereSolidHasNone) {
  if (under_wine()) GTEST_SKIP() << "Wine's Direct2D draws every stroke solid";
  Pixels dashed, solid;
  RENDER_OR_SKIP(*gfx_, 64, 64, [&] { gfx_->dashed_outline({4, 4, 56, 56}, 4, 2, gfx::kWhite); }, dashed);
  RENDER_OR_SKIP(*gfx_, 64, 64, [&] { gfx_->stroke_rounded(RectF{4, 4, 56, 56}.inset(1), 4, 2, gfx::kWhite); }, solid);
  int dashed_lit = 0, dashed_dark = 0, solid_dark = 0;
  for (UINT x = 12; x < 52; ++x) {
    // Row 5 is the middle of the 2-pixel outline along the top edge.
    (dashed.r(x, 5) > 0x80 ? dashed_lit : dashed_dark)++;
    if (solid.r(x, 5) < 0x80) ++solid_dark;
  }
  EXPECT_GT(dashed_lit, 5);
  EXPECT_GT(dashed_dark, 5);
  EXPECT_EQ(solid_dark, 0);
  // Inset by half the width: nothing outside the rectangle.
  EXPECT_EQ(dashed.r(32, 3), 0);
}

TEST_F(GfxPixels, IconIsCentredInItsBox) {
  Pixels px;
  // icon_plus: a cross through (10, 10), arms 6 box units long; at icon size
  // 40 (k = 2) centred on (40, 24) its arms end 12 pixels from the centre.
  RENDER_OR_SKIP(*gfx_, 64, 64,
                 [&] { EXPECT_HRESULT_SUCCEEDED(gfx_->draw_icon(gfx::icon_plus, {24, 8, 32, 32}, 40, gfx::kWhite)); },
                 px);
  EXPECT_GT(px.r(40, 24), 0xC0);  // the centre
  EXPECT_GT(px.r(50, 24), 0xC0);  // on the horizontal arm
  EXPECT_GT(px.r(40, 14), 0xC0);  // on the vertical arm
  EXPECT_LT(px.r(55, 24), 0x40);  // beyond the arm's round cap (12 + 1.5)
  EXPECT_LT(px.r(30, 14), 0x40);  // between the arms
  EXPECT_LT(px.r(8, 24), 0x10);   // outside the box
}

TEST_F(GfxPixels, IconStrokeWidthIsOneAndAHalfBoxUnits) {
  // A horizontal arm of icon_plus, measured down a column away from the cross.
  struct Case {
    float icon_size;
    double expected;  // pixels
    double tolerance;
  };
  // Without antialiased strokes (Wine) widths are whole pixels, so the small
  // sizes are also checked at ten times the size.
  const Case cases[] = {{20, 1.5, 0.35}, {16, 1.2, 0.35}, {200, 15.0, 1.0}, {160, 12.0, 1.0}, {40, 3.0, 0.5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icon_size);
    if (c.icon_size < 40 && under_wine()) continue;
    TestWindow window(256, 256);
    auto gfx = make_gfx(window.handle());
    ASSERT_TRUE(gfx);
    Pixels px;
    RENDER_OR_SKIP(*gfx, 256, 256,
                   [&] { gfx->draw_icon(gfx::icon_plus, {0, 0, 256, 256}, c.icon_size, gfx::kWhite); }, px);
    // Box x 6.5 lies on the horizontal arm (x 4..16) and away from the vertical one.
    const float k = c.icon_size / 20;
    const UINT x = static_cast<UINT>(128 + (6.5f - 10) * k);
    EXPECT_NEAR(column_coverage(px, x, 0, 256), c.expected, c.tolerance);
  }
}

TEST_F(GfxPixels, DotsShowAsRoundDots) {
  if (under_wine()) GTEST_SKIP() << "Wine's Direct2D draws no round caps, so a 0.01-long line stays invisible";
  Pixels px;
  // icon_more at k = 2 centred on (32, 32): dots at x 21, 32 and 43.
  RENDER_OR_SKIP(*gfx_, 64, 64, [&] { gfx_->draw_icon(gfx::icon_more, {0, 0, 64, 64}, 40, gfx::kWhite); }, px);
  EXPECT_GT(px.r(21, 32), 0x80);
  EXPECT_GT(px.r(32, 32), 0x80);
  EXPECT_GT(px.r(43, 32), 0x80);
  EXPECT_LT(px.r(26, 32), 0x20);  // between the dots
}

TEST_F(GfxPixels, BitmapIsStretchedIntoItsRectangle) {
  // A 2 × 2 opaque red bitmap drawn into a 20 × 20 rectangle.
  const std::uint32_t red[4] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
  D2D1_BITMAP_PROPERTIES props{};
  props.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
  props.dpiX = props.dpiY = 96;
  ComPtr<ID2D1Bitmap> bitmap;
  ComPtr<ID2D1RenderTarget> rt;
  ASSERT_HRESULT_SUCCEEDED(gfx_->device_context()->QueryInterface(__uuidof(ID2D1RenderTarget),
                                                                  reinterpret_cast<void**>(rt.GetAddressOf())));
  ASSERT_HRESULT_SUCCEEDED(rt->CreateBitmap({2, 2}, red, 8, &props, &bitmap));
  Pixels px;
  RENDER_OR_SKIP(*gfx_, 64, 64, [&] { gfx_->draw_bitmap(bitmap.Get(), {10, 10, 20, 20}); }, px);
  EXPECT_GT(px.r(20, 20), 0xF0);
  EXPECT_GT(px.r(11, 28), 0xC0);
  EXPECT_EQ(px.r(35, 20), 0);
  EXPECT_EQ(px.r(20, 5), 0);
}

// ---------------------------------------------------------------------------

TEST(GfxIconCache, OneGeometryPerConstantTwoForEqualCopies) {
  TestWindow window(64, 64);
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  EXPECT_EQ(gfx->cached_geometries(), 0u);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_HRESULT_SUCCEEDED(gfx->begin_frame({0, 0, 0, 1}));
    EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(gfx::icon_plus, {0, 0, 20, 20}, 20, gfx::kWhite));
    EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(app::kind_icon(bundle::Kind::url), {0, 0, 20, 20}, 16, gfx::kWhite));
    EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(gfx::icon_web, {20, 0, 20, 20}, 20, gfx::kWhite));
    EXPECT_FALSE(gfx->end_frame());
    EXPECT_EQ(gfx->cached_geometries(), 2u);  // icon_plus and icon_web, whichever way named
  }
  // Equal text at two other places: two more geometries.
  const std::string first(gfx::icon_plus);
  const std::string second(gfx::icon_plus);
  EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(first, {0, 0, 20, 20}, 20, gfx::kWhite));
  EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(second, {0, 0, 20, 20}, 20, gfx::kWhite));
  EXPECT_EQ(gfx->cached_geometries(), 4u);
}

TEST(GfxIconCache, AllTwelveIconsBuild) {
  TestWindow window(64, 64);
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  const char* const icons[] = {gfx::icon_app,     gfx::icon_file, gfx::icon_folder, gfx::icon_web,
                               gfx::icon_grip,    gfx::icon_close, gfx::icon_warning, gfx::icon_plus,
                               gfx::icon_search,  gfx::icon_open, gfx::icon_more,   gfx::icon_menu};
  ASSERT_HRESULT_SUCCEEDED(gfx->begin_frame({0, 0, 0, 1}));
  for (const char* icon : icons) EXPECT_HRESULT_SUCCEEDED(gfx->draw_icon(icon, {0, 0, 20, 20}, 20, gfx::kWhite)) << icon;
  EXPECT_FALSE(gfx->end_frame());
  EXPECT_EQ(gfx->cached_geometries(), 12u);
}

TEST(GfxIconCache, UnbuildablePathFailsIsNotCachedAndFrameGoesOn) {
  static constexpr char line_first[] = "L 1 1 M 2 2 L 3 3";
  static constexpr char line_after_close[] = "M 1 1 L 5 5 Z L 2 2";
  static constexpr char close_only[] = "Z";
  static constexpr char glued_move[] = "M10 10 L 3 4";
  TestWindow window(64, 64);
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  Pixels px;
  RENDER_OR_SKIP(*gfx, 64, 64,
                 [&] {
                   for (const char* path : {line_first, line_after_close, close_only, glued_move}) {
                     ASSERT_FALSE(gfx::segments_buildable(gfx::parse_icon_path(path)));
                     EXPECT_TRUE(FAILED(gfx->draw_icon(path, {0, 0, 64, 64}, 60, gfx::kWhite))) << path;
                     // Refused again on the next draw: nothing was cached.
                     EXPECT_TRUE(FAILED(gfx->draw_icon(path, {0, 0, 64, 64}, 60, gfx::kWhite))) << path;
                   }
                   EXPECT_EQ(gfx->cached_geometries(), 0u);
                   gfx->fill_rounded({40, 40, 20, 20}, 0, gfx::kWhite);
                 },
                 px);
  EXPECT_GT(px.r(50, 50), 0xF0);  // drawing after the failure still happened
  EXPECT_EQ(px.r(10, 10), 0);     // and the refused paths drew nothing
  EXPECT_EQ(px.r(3, 3), 0);
}

// ---------------------------------------------------------------------------

class GfxText : public testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TestWindow>(64, 64);
    gfx_ = make_gfx(window_->handle());
    ASSERT_TRUE(gfx_);
    if (gfx_->line_width("Hello", gfx::TextFormat::body) <= 0) GTEST_SKIP() << "no usable font in this system";
  }
  std::unique_ptr<TestWindow> window_;
  std::unique_ptr<Gfx> gfx_;
};

TEST_F(GfxText, LongLineNeverWrapsAndIsTrimmed) {
  const std::string text = "A rather long bundle name that cannot fit into a narrow row";
  const float full = gfx_->line_width(text, gfx::TextFormat::body);
  const gfx::TextMetrics one = gfx_->line_layout("A", 60, gfx::TextFormat::body);
  const gfx::TextMetrics narrow = gfx_->line_layout(text, 60, gfx::TextFormat::body);
  EXPECT_GT(full, 200);
  EXPECT_LE(narrow.width, 60.5f);
  EXPECT_FLOAT_EQ(narrow.height, one.height);  // still one line
  // Bold and title formats are wider and taller.
  EXPECT_GT(gfx_->line_width(text, gfx::TextFormat::title), full);
  EXPECT_LT(gfx_->line_width(text, gfx::TextFormat::caption), full);
}

TEST_F(GfxText, WrappedLayoutGrowsDownward) {
  const std::string text =
      "Save the apps, documents, folders and web addresses of each task you repeat as one bundle.";
  const float line = gfx_->line_layout("A", 100, gfx::TextFormat::body).height;
  const float wide = gfx_->wrapped_height(text, 2000);
  const float narrow = gfx_->wrapped_height(text, 100);
  EXPECT_NEAR(wide, line, 1.0f);
  EXPECT_GE(narrow, 4 * line);
  EXPECT_GT(gfx_->wrapped_height(text, 0), narrow);  // width 0 counts as 1
}

TEST_F(GfxText, DrawnTextIsInkedCentredAndClipped) {
  TestWindow window(200, 60);
  auto gfx = make_gfx(window.handle());
  ASSERT_TRUE(gfx);
  Pixels px;
  const RectF rect{10, 10, 80, 40};
  RENDER_OR_SKIP(*gfx, 200, 60,
                 [&] {
                   gfx->draw_text("Opening everything at once, and more", rect, gfx::kWhite, gfx::TextFormat::body);
                 },
                 px);
  int top = -1, bottom = -1, right = -1;
  for (UINT y = 0; y < px.height; ++y) {
    for (UINT x = 0; x < px.width; ++x) {
      if (px.r(x, y) > 0x40) {
        if (top < 0) top = static_cast<int>(y);
        bottom = static_cast<int>(y);
        right = std::max(right, static_cast<int>(x));
      }
    }
  }
  ASSERT_GE(top, 0) << "no ink";
  EXPECT_LE(right, 90);  // trimmed to the rectangle
  // The ink sits in the middle of the 40-pixel rectangle (centre 30).
  EXPECT_NEAR((top + bottom) / 2.0, 30.0, 4.0);
  EXPECT_GE(top, 10);
  EXPECT_LE(bottom, 50);
}

TEST_F(GfxText, SetScaleRemakesFormatsAtNewSize) {
  const float at_96 = gfx_->line_width("Bundle", gfx::TextFormat::body_bold);
  ASSERT_TRUE(gfx_->set_scale(192));
  EXPECT_FLOAT_EQ(gfx_->scale(), 2.0f);
  EXPECT_FLOAT_EQ(gfx_->text_format(gfx::TextFormat::body)->GetFontSize(), 26.0f);
  EXPECT_FLOAT_EQ(gfx_->text_format(gfx::TextFormat::symbols)->GetFontSize(), 32.0f);
  EXPECT_NEAR(gfx_->line_width("Bundle", gfx::TextFormat::body_bold), 2 * at_96, 2.0f);
}

// ---------------------------------------------------------------------------

// Counts the layouts the next calls make.
class MadeLayouts {
 public:
  explicit MadeLayouts(const Gfx& gfx) : kept_(gfx.text_layouts()), before_(kept_.kept_total()) {}
  std::size_t count() const { return kept_.kept_total() - before_; }

 private:
  const gfx::TextLayoutCache& kept_;
  std::size_t before_;
};

TEST_F(GfxText, TextDrawnAgainReusesItsLayoutUntilTextOrWidthChanges) {
  gfx_->forget_text_layouts();
  const MadeLayouts made(*gfx_);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_HRESULT_SUCCEEDED(gfx_->begin_frame({0, 0, 0, 1}));
    gfx_->draw_text("Month-end closing", {0, 0, 60, 20}, gfx::kWhite, gfx::TextFormat::body);
    EXPECT_FALSE(gfx_->end_frame());
  }
  EXPECT_EQ(made.count(), 1u);

  ASSERT_HRESULT_SUCCEEDED(gfx_->begin_frame({0, 0, 0, 1}));
  gfx_->draw_text("Month-end closing", {0, 0, 50, 20}, gfx::kWhite, gfx::TextFormat::body);
  gfx_->draw_text("Month-end closings", {0, 0, 60, 20}, gfx::kWhite, gfx::TextFormat::body);
  gfx_->draw_text("Month-end closing", {0, 0, 60, 20}, gfx::kWhite, gfx::TextFormat::body_bold);
  gfx_->draw_text("Month-end closing", {0, 0, 60, 20}, gfx::kWhite, gfx::TextFormat::body, true);
  EXPECT_FALSE(gfx_->end_frame());
  EXPECT_EQ(made.count(), 5u);
  EXPECT_EQ(gfx_->text_layouts().size(), 5u);

  // A wrapped text at the same width is the same layout object.
  const ComPtr<IDWriteTextLayout> first = gfx_->wrapped_layout("Save the apps of a task as one bundle.", 120);
  const ComPtr<IDWriteTextLayout> again = gfx_->wrapped_layout("Save the apps of a task as one bundle.", 120);
  ASSERT_TRUE(first);
  EXPECT_EQ(first.Get(), again.Get());
  EXPECT_NE(gfx_->wrapped_layout("Save the apps of a task as one bundle.", 121).Get(), first.Get());
  EXPECT_EQ(made.count(), 7u);
}

TEST_F(GfxText, KeptLayoutsStayWithinTheirBoundAndAForgetEmptiesThem) {
  gfx_->forget_text_layouts();
  const std::size_t bound = gfx_->text_layouts().bound();
  for (std::size_t i = 0; i < bound + 10; ++i) gfx_->line_width("Bundle " + std::to_string(i), gfx::TextFormat::body);
  EXPECT_EQ(gfx_->text_layouts().size(), bound);
  {
    // The least recently used went; the latest stayed.
    const MadeLayouts made(*gfx_);
    gfx_->line_width("Bundle " + std::to_string(bound + 9), gfx::TextFormat::body);
    EXPECT_EQ(made.count(), 0u);
    gfx_->line_width("Bundle 0", gfx::TextFormat::body);
    EXPECT_EQ(made.count(), 1u);
  }
  gfx_->forget_text_layouts();
  EXPECT_EQ(gfx_->text_layouts().size(), 0u);
  // A new DPI forgets them too: they were made from the old formats.
  gfx_->line_width("Bundle", gfx::TextFormat::body);
  ASSERT_TRUE(gfx_->set_scale(120));
  EXPECT_EQ(gfx_->text_layouts().size(), 0u);
}

// After a lost device the window makes a new device on the resources it kept:
// the factory, the geometries and the text layouts carry over.
TEST(GfxDeviceLoss, NewDeviceOnKeptResourcesKeepsWhatNeedsNoDevice) {
  TestWindow window(64, 64);
  auto first = make_gfx(window.handle());
  ASSERT_TRUE(first);
  const float width = first->line_width("Kept", gfx::TextFormat::body);
  ASSERT_HRESULT_SUCCEEDED(first->draw_icon(gfx::icon_plus, {0, 0, 20, 20}, 20, gfx::kWhite));
  const std::shared_ptr<gfx::Resources> kept = first->resources();
  first->mark_device_removed();
  ASSERT_HRESULT_SUCCEEDED(first->begin_frame({0, 0, 0, 1}));
  ASSERT_TRUE(first->end_frame());  // lost
  first.reset();

  auto device = gfx::make_device_for(kept);
  ASSERT_TRUE(device) << device.error().step;
  auto made = Gfx::create(window.handle(), 96, std::move(device).value());
  ASSERT_TRUE(made) << made.error().step;
  Gfx& second = *made.value();
  EXPECT_EQ(second.factory(), kept->factory());
  EXPECT_EQ(second.cached_geometries(), 1u);
  const MadeLayouts layouts(second);
  EXPECT_FLOAT_EQ(second.line_width("Kept", gfx::TextFormat::body), width);
  EXPECT_EQ(layouts.count(), 0u);
  Pixels px;
  RENDER_OR_SKIP(second, 64, 64, [&] { second.fill_rounded({8, 8, 48, 48}, 4, gfx::kWhite); }, px);
  EXPECT_EQ(px.g(32, 32), 0xFF);
}

// ---------------------------------------------------------------------------

// A 32-bit icon of w × h made from a colour DIB and a monochrome mask.
struct IconShape {
  int width, height;
  std::uint32_t (*colour)(int x, int y);  // 0xAARRGGBB
  bool (*mask)(int x, int y);             // true: mask bit set (transparent where alpha is absent)
};

HICON make_icon(const IconShape& shape) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shape.width;
  info.bmiHeader.biHeight = -shape.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!colour) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < shape.height; ++y)
    for (int x = 0; x < shape.width; ++x) pixels[y * shape.width + x] = shape.colour(x, y);
  // Monochrome rows are padded to 16 bits for CreateBitmap.
  const int stride = ((shape.width + 15) / 16) * 2;
  std::vector<std::uint8_t> mask_bits(static_cast<std::size_t>(stride) * shape.height, 0);
  for (int y = 0; y < shape.height; ++y)
    for (int x = 0; x < shape.width; ++x)
      if (shape.mask(x, y)) mask_bits[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  HBITMAP mask = CreateBitmap(shape.width, shape.height, 1, 1, mask_bits.data());
  ICONINFO icon_info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&icon_info);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

bool icon_alive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return true;
}

class GfxIconBitmap : public GfxPixels {};

TEST_F(GfxIconBitmap, AlphaIconIsPremultiplied) {
  HICON icon = make_icon({4, 4, [](int x, int) -> std::uint32_t { return x < 2 ? 0x80326496u : 0xFF0A141Eu; },
                          [](int, int) { return false; }});
  ASSERT_TRUE(icon);
  ComPtr<ID2D1Bitmap> bitmap = gfx_->bitmap_from_icon(base::UniqueIcon(icon));
  EXPECT_FALSE(icon_alive(icon));  // released by the conversion
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->GetPixelSize().width, 4u);
  EXPECT_EQ(bitmap->GetPixelSize().height, 4u);
  Pixels px;
  std::string why;
  if (!read_back(*gfx_, bitmap.Get(), px, why)) GTEST_SKIP() << why;
  // A 0x80: R 0x32 → (50 × 128 + 127) / 255 = 25, G 0x64 → 50, B 0x96 → 75.
  EXPECT_EQ(px.a(0, 0), 0x80);
  EXPECT_EQ(px.r(0, 0), 25);
  EXPECT_EQ(px.g(0, 0), 50);
  EXPECT_EQ(px.b(0, 0), 75);
  // Opaque pixels keep their colour.
  EXPECT_EQ(px.at(3, 3), 0xFF0A141Eu);
}

TEST_F(GfxIconBitmap, IconWithoutAlphaTakesItsMask) {
  // No alpha at all; the mask is clear (opaque) on the left half only.
  HICON icon = make_icon({8, 8, [](int, int) -> std::uint32_t { return 0x00C86432u; },
                          [](int x, int) { return x >= 4; }});
  ASSERT_TRUE(icon);
  ComPtr<ID2D1Bitmap> bitmap = gfx_->bitmap_from_icon(base::UniqueIcon(icon));
  EXPECT_FALSE(icon_alive(icon));
  ASSERT_TRUE(bitmap);
  Pixels px;
  std::string why;
  if (!read_back(*gfx_, bitmap.Get(), px, why)) GTEST_SKIP() << why;
  for (UINT y = 0; y < 8; ++y) {
    EXPECT_EQ(px.at(0, y), 0xFFC86432u) << y;
    EXPECT_EQ(px.at(3, y), 0xFFC86432u) << y;
    EXPECT_EQ(px.at(4, y), 0u) << y;
    EXPECT_EQ(px.at(7, y), 0u) << y;
  }
}

TEST_F(GfxIconBitmap, SizeLimitIs512) {
  HICON big = make_icon({600, 600, [](int, int) -> std::uint32_t { return 0xFF000000u; },
                         [](int, int) { return false; }});
  ASSERT_TRUE(big);
  EXPECT_FALSE(gfx_->bitmap_from_icon(base::UniqueIcon(big)));
  EXPECT_FALSE(icon_alive(big));  // released even when refused

  HICON wide = make_icon({513, 16, [](int, int) -> std::uint32_t { return 0xFF000000u; },
                          [](int, int) { return false; }});
  ASSERT_TRUE(wide);
  EXPECT_FALSE(gfx_->bitmap_from_icon(base::UniqueIcon(wide)));

  HICON largest = make_icon({512, 512, [](int, int) -> std::uint32_t { return 0xFF102030u; },
                             [](int, int) { return false; }});
  ASSERT_TRUE(largest);
  ComPtr<ID2D1Bitmap> bitmap = gfx_->bitmap_from_icon(base::UniqueIcon(largest));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->GetPixelSize().width, 512u);

  EXPECT_FALSE(gfx_->bitmap_from_icon(base::UniqueIcon()));
}

}  // namespace
