#pragma once
// The rendering context of the main window: a Direct2D device context that
// draws into a flip-model swap chain of the window, with its target and brush,
// over the device-independent resources (gfx/resources_win.h) it shares with
// the contexts before and after it. One at a time per main window; everything
// here but make_device() runs on the window's thread.
//
// Units: the device context works at 96 DPI, so one unit is one device pixel;
// callers scale their DIP lengths by scale() themselves.

#include <windows.h>
#include <d2d1_1.h>
#include <d3d11.h>
#include <dwrite.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/handle_win.h"
#include "base/result.h"
#include "gfx/geometry.h"
#include "gfx/palette.h"
#include "gfx/resources_win.h"
#include "gfx/text_measure.h"

namespace gfx {

// A failed platform call: its HRESULT and which step made it.
struct GfxError {
  HRESULT hr = E_FAIL;
  std::string step;
};

// Width and height of a text layout, in pixels.
struct TextMetrics {
  float width = 0;
  float height = 0;
};

// The parts of a rendering context that need no window: the Direct3D device
// and the Direct2D device context, and the device-independent resources whose
// factory made them. They are most of what a context costs to make, so a start
// makes them on another thread while it makes its window; whoever takes them
// over uses them from one thread only.
struct GfxDevice {
  std::shared_ptr<Resources> resources;
  ComPtr<ID3D11Device> d3d_device;
  ComPtr<IDXGIDevice> dxgi_device;
  ComPtr<ID2D1Device> device;
  ComPtr<ID2D1DeviceContext> context;
};
// New factories (new resources) and a device made from them.
base::Result<GfxDevice, GfxError> make_device();
// A new device on resources kept from an earlier context (after a lost
// device): the factories, formats, geometries and text layouts stay.
base::Result<GfxDevice, GfxError> make_device_for(std::shared_ptr<Resources> kept);

class Gfx final : public TextMeasure {
 public:
  // Builds the device, swap chain, formats and brush for the window at
  // `dpi`; the first failing step's HRESULT otherwise. The hardware device
  // falls back to WARP.
  static base::Result<std::unique_ptr<Gfx>, GfxError> create(HWND window, UINT dpi);
  // The same from a device made by make_device() (on any thread) or
  // make_device_for(); the device's resources are set to `dpi`, the text
  // `text_scale` times larger still (Windows' text size).
  static base::Result<std::unique_ptr<Gfx>, GfxError> create(HWND window, UINT dpi, GfxDevice device,
                                                             float text_scale = 1.0f);

  Gfx(const Gfx&) = delete;
  Gfx& operator=(const Gfx&) = delete;
  ~Gfx() override;

  // Resizes the swap chain's buffers to max(width, 1) × max(height, 1) and
  // makes a new target bitmap. Call outside a frame.
  HRESULT resize(UINT width, UINT height);

  // Opens a frame on the back buffer and clears it with `clear`. With
  // `target` (a bitmap made with the target option on this device) the frame
  // is drawn into that bitmap instead and end_frame presents nothing; tests
  // use it to read pixels back. Drawing calls outside a frame do nothing.
  HRESULT begin_frame(Color clear, ID2D1Bitmap1* target = nullptr);
  // Ends the frame and presents it (sync interval 1). True when the device
  // was lost and the Gfx must be created again (on make_device_for(resources())
  // to keep what needs no device); other errors go to the debugger output
  // only (the next paint draws again).
  bool end_frame();
  bool in_frame() const { return in_frame_; }

  // Rounded rectangles with equal x and y radii. The outline is centred on
  // the rectangle's edge; inset it by width / 2 to keep it inside.
  void fill_rounded(RectF rect, float radius, Color color);
  void stroke_rounded(RectF rect, float radius, float width, Color color);
  // The rectangle inset by width / 2, stroked dashed (solid if the dashed
  // style cannot be made).
  void dashed_outline(RectF rect, float radius, float width, Color color);

  // A vector icon (icon path language, 20 × 20 box) centred in `box`, its box
  // mapped to icon_size × icon_size, stroked 1.5 box units wide with round
  // caps and joins. The geometry is cached by the address of the path's
  // characters, so `path` must be a constant of the program (gfx/icons.h).
  // Returns the HRESULT of building the geometry (S_OK when cached); a path
  // that cannot be built is neither drawn nor cached.
  HRESULT draw_icon(std::string_view path, RectF box, float icon_size, Color color);

  // One line of text in `rect`: no wrapping, ellipsis when too wide, centred
  // horizontally when `centred`, vertically centred to a whole pixel, clipped.
  // Its layout is kept for later frames (see forget_text_layouts).
  void draw_text(std::string_view text, RectF rect, Color color, TextFormat format, bool centred = false);
  // The layout draw_text would use, measured without drawing (width of the
  // text itself, height of the line).
  TextMetrics line_layout(std::string_view text, float max_width, TextFormat format, bool centred = false);

  // Word-wrapped text in the body format at max(max_width, 1); null when
  // DirectWrite fails. Measure with layout_metrics, draw with draw_layout.
  // The layout is kept for later calls too: do not change it.
  ComPtr<IDWriteTextLayout> wrapped_layout(std::string_view text, float max_width);
  static TextMetrics layout_metrics(IDWriteTextLayout* layout);
  void draw_layout(IDWriteTextLayout* layout, PointF origin, Color color);

  // A shell icon as a premultiplied device bitmap; null when the icon is
  // unreadable, larger than 512 pixels or the bitmap cannot be made.
  ComPtr<ID2D1Bitmap> bitmap_from_icon(base::UniqueIcon icon);
  // The whole bitmap stretched into `rect`, opacity 1, linear interpolation.
  void draw_bitmap(ID2D1Bitmap* bitmap, RectF rect);

  // New DPI or text size: the scale becomes dpi / 96 and the text formats
  // are made again at the new sizes (times `text_scale`), which forgets the
  // kept text layouts. If any format fails the old formats stay (the scale
  // still changes) and it returns false.
  bool set_scale(UINT dpi, float text_scale = 1.0f);
  float scale() const { return resources_->scale(); }

  // Drops the text layouts kept between frames, for when the window's looks
  // change as a whole (theme, language, system settings); the next frames
  // lay their texts out again.
  void forget_text_layouts() { resources_->text_layouts().clear(); }

  // The device-independent part, to hand to make_device_for() after a loss.
  const std::shared_ptr<Resources>& resources() const { return resources_; }

  // TextMeasure: the layout's width in one format, and the height of text
  // wrapped in the body format.
  float line_width(std::string_view text, TextFormat format) override;
  float wrapped_height(std::string_view text, float max_width) override;

  // For tests: from now on presents and resizes fail with
  // DXGI_ERROR_DEVICE_REMOVED while the context keeps its device and swap
  // chain, as after a real removal. Direct3D 11 has no call that removes a
  // device, and Wine never removes one.
  void mark_device_removed() { device_removed_ = true; }

  // For tests and diagnostics.
  IDXGISwapChain1* swap_chain() const { return swap_chain_.Get(); }
  ID2D1DeviceContext* device_context() const { return context_.Get(); }
  ID2D1Factory1* factory() const { return resources_->factory(); }
  ID3D11Device* d3d_device() const { return d3d_device_.Get(); }
  std::size_t cached_geometries() const { return resources_->cached_geometries(); }
  // The round stroke style of the icons (null when it could not be made).
  ID2D1StrokeStyle* icon_stroke_style() const { return resources_->icon_stroke(); }
  // The format object of an index (null if it was never made).
  IDWriteTextFormat* text_format(TextFormat format) const { return resources_->text_format(format); }
  const TextLayoutCache& text_layouts() const { return resources_->text_layouts(); }

 private:
  Gfx() = default;

  HRESULT make_target();
  ComPtr<IDWriteTextLayout> single_line_layout(std::string_view text, float max_width, TextFormat format,
                                               bool centred);
  void set_color(Color color);

  std::shared_ptr<Resources> resources_;
  ComPtr<ID3D11Device> d3d_device_;
  ComPtr<IDXGISwapChain1> swap_chain_;
  ComPtr<ID2D1Device> device_;
  ComPtr<ID2D1DeviceContext> context_;      // bitmaps and the target
  ComPtr<ID2D1RenderTarget> target_view_;   // the same object, for drawing
  ComPtr<ID2D1SolidColorBrush> brush_;
  ComPtr<ID2D1Bitmap1> target_bitmap_;
  bool in_frame_ = false;
  bool frame_on_window_ = false;  // the open frame draws into the back buffer
  bool device_removed_ = false;   // see mark_device_removed
};

}  // namespace gfx
