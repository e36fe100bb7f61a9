// Shell icons turned into premultiplied Direct2D bitmaps.
#include <cstdint>
#include <vector>

#include "base/handle_win.h"
#include "gfx/gfx_internal_win.h"
#include "gfx/gfx_win.h"

namespace gfx {
namespace {

constexpr LONG kMaxIconSide = 512;

// The bitmap as w × h top-down 32-bit pixels (B, G, R, A bytes); false when
// fewer than h scan lines come back.
bool read_pixels(HDC dc, HBITMAP bitmap, LONG width, LONG height, std::vector<std::uint8_t>& out) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  out.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), out.data(), &info, DIB_RGB_COLORS);
  return lines >= height;
}

}  // namespace

ComPtr<ID2D1Bitmap> Gfx::bitmap_from_icon(base::UniqueIcon icon) {
  if (!icon) return nullptr;
  ICONINFO info{};
  if (!GetIconInfo(icon.get(), &info)) return nullptr;
  const base::UniqueGdiObject color(info.hbmColor);
  const base::UniqueGdiObject mask(info.hbmMask);
  if (!color) return nullptr;  // a monochrome icon has no colour bitmap

  BITMAP header{};
  if (GetObjectW(color.get(), sizeof header, &header) != sizeof header) return nullptr;
  const LONG width = header.bmWidth;
  const LONG height = header.bmHeight < 0 ? -header.bmHeight : header.bmHeight;
  if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide) return nullptr;

  const base::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  std::vector<std::uint8_t> pixels;
  if (!read_pixels(dc.get(), static_cast<HBITMAP>(color.get()), width, height, pixels)) return nullptr;

  bool any_alpha = false;
  for (std::size_t i = 3; i < pixels.size(); i += 4) {
    if (pixels[i] != 0) {
      any_alpha = true;
      break;
    }
  }
  if (!any_alpha) {
    // An icon without alpha: opaque where the AND mask is black, clear elsewhere.
    std::vector<std::uint8_t> mask_pixels;
    if (!mask || !read_pixels(dc.get(), static_cast<HBITMAP>(mask.get()), width, height, mask_pixels)) {
      return nullptr;
    }
    for (std::size_t i = 0; i < pixels.size(); i += 4) pixels[i + 3] = mask_pixels[i] == 0 ? 255 : 0;
  }
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    const unsigned a = pixels[i + 3];
    for (std::size_t c = 0; c < 3; ++c) pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * a + 127) / 255);
  }

  D2D1_BITMAP_PROPERTIES props{};
  props.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
  props.dpiX = 96.0f;
  props.dpiY = 96.0f;
  ComPtr<ID2D1Bitmap> bitmap;
  const D2D1_SIZE_U size{static_cast<UINT32>(width), static_cast<UINT32>(height)};
  if (FAILED(detail::made(target_view_->CreateBitmap(size, pixels.data(), static_cast<UINT32>(width) * 4, &props,
                                                     &bitmap),
                          bitmap))) {
    return nullptr;
  }
  return bitmap;
}

}  // namespace gfx
