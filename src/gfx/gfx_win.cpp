#include "gfx/gfx_win.h"

#include <algorithm>
#include <utility>

#include "base/failure_trace.h"
#include "gfx/gfx_internal_win.h"
#include "gfx/view_scale.h"

namespace gfx {
namespace {

using detail::made;
using detail::to_d2d;

// E_ILLEGAL_METHOD_CALL, which MinGW's winerror.h does not name.
constexpr HRESULT kNotNow = static_cast<HRESULT>(0x8000000E);

base::Unexpected<GfxError> failure(HRESULT hr, const char* step) { return base::fail_with(GfxError{hr, step}); }

HRESULT make_d3d_device(D3D_DRIVER_TYPE driver, ComPtr<ID3D11Device>& device) {
  const HRESULT hr = D3D11CreateDevice(nullptr, driver, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, nullptr, 0,
                                       D3D11_SDK_VERSION, &device, nullptr, nullptr);
  return made(hr, device);
}

}  // namespace

base::Result<GfxDevice, GfxError> make_device() {
  // 1. Direct2D factory.
  ComPtr<ID2D1Factory1> factory;
  D2D1_FACTORY_OPTIONS options{};
  HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
                                 reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(hr = made(hr, factory))) return failure(hr, "D2D1CreateFactory");

  // 2. DirectWrite factory.
  ComPtr<IDWriteFactory> dwrite;
  hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                           reinterpret_cast<IUnknown**>(dwrite.GetAddressOf()));
  if (FAILED(hr = made(hr, dwrite))) return failure(hr, "DWriteCreateFactory");

  return make_device_for(std::make_shared<Resources>(std::move(factory), std::move(dwrite)));
}

base::Result<GfxDevice, GfxError> make_device_for(std::shared_ptr<Resources> kept) {
  if (!kept || !kept->factory()) return failure(E_POINTER, "device-independent resources");
  GfxDevice made_device;
  made_device.resources = std::move(kept);

  // 3. Direct3D device: the GPU, else the WARP software rasteriser.
  HRESULT hr = make_d3d_device(D3D_DRIVER_TYPE_HARDWARE, made_device.d3d_device);
  if (FAILED(hr)) {
    made_device.d3d_device.Reset();
    hr = make_d3d_device(D3D_DRIVER_TYPE_WARP, made_device.d3d_device);
  }
  if (FAILED(hr)) return failure(hr, "D3D11CreateDevice");

  // 4. Its DXGI device; at most one frame queued.
  hr = made(made_device.d3d_device.As(&made_device.dxgi_device), made_device.dxgi_device);
  if (FAILED(hr)) return failure(hr, "IDXGIDevice");
  ComPtr<IDXGIDevice1> dxgi_device1;
  if (SUCCEEDED(made_device.dxgi_device.As(&dxgi_device1)) && dxgi_device1) dxgi_device1->SetMaximumFrameLatency(1);

  // 5. Direct2D device and its device context.
  hr = made(made_device.resources->factory()->CreateDevice(made_device.dxgi_device.Get(), &made_device.device),
            made_device.device);
  if (FAILED(hr)) return failure(hr, "ID2D1Factory1::CreateDevice");
  hr = made(made_device.device->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &made_device.context),
            made_device.context);
  if (FAILED(hr)) return failure(hr, "ID2D1Device::CreateDeviceContext");
  return made_device;
}

base::Result<std::unique_ptr<Gfx>, GfxError> Gfx::create(HWND window, UINT dpi) {
  auto device = make_device();
  if (!device) return base::fail_with(std::move(device).error());
  return create(window, dpi, std::move(device).value());
}

base::Result<std::unique_ptr<Gfx>, GfxError> Gfx::create(HWND window, UINT dpi, GfxDevice device,
                                                         float text_scale) {
  if (!device.resources) return failure(E_POINTER, "device-independent resources");
  std::unique_ptr<Gfx> gfx(new Gfx());
  gfx->resources_ = std::move(device.resources);
  gfx->d3d_device_ = std::move(device.d3d_device);
  gfx->device_ = std::move(device.device);
  gfx->context_ = std::move(device.context);
  const ComPtr<IDXGIDevice> dxgi_device = std::move(device.dxgi_device);

  // The device context works at one unit per pixel.
  HRESULT hr = made(gfx->context_.As(&gfx->target_view_), gfx->target_view_);
  if (FAILED(hr)) return failure(hr, "ID2D1RenderTarget");
  gfx->context_->SetDpi(96.0f, 96.0f);
  // Grayscale: ClearType needs an opaque target we do not promise, and the
  // aliased mode crashes some Direct2D implementations.
  gfx->context_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

  // 6. Swap chain of the window.
  ComPtr<IDXGIAdapter> adapter;
  hr = made(dxgi_device->GetAdapter(&adapter), adapter);
  if (FAILED(hr)) return failure(hr, "IDXGIDevice::GetAdapter");
  ComPtr<IDXGIFactory2> dxgi_factory;
  hr = made(adapter->GetParent(__uuidof(IDXGIFactory2), reinterpret_cast<void**>(dxgi_factory.GetAddressOf())),
            dxgi_factory);
  if (FAILED(hr)) return failure(hr, "IDXGIAdapter::GetParent");
  RECT client{};
  GetClientRect(window, &client);
  DXGI_SWAP_CHAIN_DESC1 desc{};
  desc.Width = static_cast<UINT>(std::max<LONG>(client.right - client.left, 1));
  desc.Height = static_cast<UINT>(std::max<LONG>(client.bottom - client.top, 1));
  desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  desc.Stereo = FALSE;
  desc.SampleDesc.Count = 1;
  desc.SampleDesc.Quality = 0;
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 2;
  desc.Scaling = DXGI_SCALING_NONE;
  desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
  desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
  desc.Flags = 0;
  hr = made(dxgi_factory->CreateSwapChainForHwnd(gfx->d3d_device_.Get(), window, &desc, nullptr, nullptr,
                                                 &gfx->swap_chain_),
            gfx->swap_chain_);
  if (FAILED(hr)) return failure(hr, "IDXGIFactory2::CreateSwapChainForHwnd");
  dxgi_factory->MakeWindowAssociation(window, DXGI_MWA_NO_ALT_ENTER);

  // 7. Target bitmap of the back buffer.
  hr = gfx->make_target();
  if (FAILED(hr)) return failure(hr, "CreateBitmapFromDxgiSurface");

  // 8. Text formats at the window's scale (kept ones when the scale is theirs).
  hr = gfx->resources_->use_scale(view_scale(dpi), text_scale);
  if (FAILED(hr)) return failure(hr, "IDWriteFactory::CreateTextFormat");

  // 9. The brush.
  const D2D1_COLOR_F black{0, 0, 0, 1};
  hr = made(gfx->target_view_->CreateSolidColorBrush(&black, nullptr, &gfx->brush_), gfx->brush_);
  if (FAILED(hr)) return failure(hr, "CreateSolidColorBrush");

  return gfx;
}

Gfx::~Gfx() {
  if (in_frame_) context_->EndDraw();
  // A window takes one flip-model swap chain at a time. Let go of this one
  // now rather than at the device's deferred destruction, so that a new
  // context can be made for the same window straight away.
  if (context_) context_->SetTarget(nullptr);
  target_bitmap_.Reset();
  swap_chain_.Reset();
  if (d3d_device_) {
    ComPtr<ID3D11DeviceContext> immediate;
    d3d_device_->GetImmediateContext(&immediate);
    if (immediate) {
      immediate->ClearState();
      immediate->Flush();
    }
  }
}

HRESULT Gfx::make_target() {
  ComPtr<IDXGISurface> surface;
  HRESULT hr = made(swap_chain_->GetBuffer(0, __uuidof(IDXGISurface), reinterpret_cast<void**>(surface.GetAddressOf())),
                    surface);
  if (FAILED(hr)) return hr;
  D2D1_BITMAP_PROPERTIES1 props{};
  props.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE};
  props.dpiX = 96.0f;
  props.dpiY = 96.0f;
  props.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET | D2D1_BITMAP_OPTIONS_CANNOT_DRAW;
  ComPtr<ID2D1Bitmap1> bitmap;
  hr = made(context_->CreateBitmapFromDxgiSurface(surface.Get(), &props, &bitmap), bitmap);
  if (FAILED(hr)) return hr;
  target_bitmap_ = std::move(bitmap);
  return S_OK;
}

HRESULT Gfx::resize(UINT width, UINT height) {
  // The swap chain refuses to resize while a bitmap of its buffers lives.
  if (in_frame_) return kNotNow;
  if (device_removed_) return DXGI_ERROR_DEVICE_REMOVED;
  width = std::max(width, 1u);
  height = std::max(height, 1u);
  // Showing the window sends a size it already has; making the buffers again
  // for it would cost a frame's time at start.
  DXGI_SWAP_CHAIN_DESC1 desc{};
  if (target_bitmap_ && SUCCEEDED(swap_chain_->GetDesc1(&desc)) && desc.Width == width && desc.Height == height) {
    return S_OK;
  }
  context_->SetTarget(nullptr);
  target_bitmap_.Reset();
  const HRESULT hr = swap_chain_->ResizeBuffers(0, width, height, DXGI_FORMAT_UNKNOWN, 0);
  if (FAILED(hr)) return hr;
  return make_target();
}

HRESULT Gfx::begin_frame(Color clear, ID2D1Bitmap1* target) {
  if (in_frame_) return kNotNow;
  if (!target) {
    if (!target_bitmap_) {
      const HRESULT hr = make_target();
      if (FAILED(hr)) return hr;
    }
    target = target_bitmap_.Get();
  }
  context_->SetTarget(target);
  context_->BeginDraw();
  const D2D1_MATRIX_3X2_F identity = detail::identity();
  context_->SetTransform(&identity);
  const D2D1_COLOR_F colour = to_d2d(clear);
  context_->Clear(&colour);
  in_frame_ = true;
  frame_on_window_ = target == target_bitmap_.Get();
  return S_OK;
}

bool Gfx::end_frame() {
  if (!in_frame_) return false;
  const HRESULT drawn = context_->EndDraw();
  context_->SetTarget(nullptr);
  in_frame_ = false;
  if (FAILED(drawn)) base::trace_failure("ID2D1DeviceContext::EndDraw", drawn);
  if (drawn == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) return true;
  if (!frame_on_window_) return false;
  const HRESULT presented = device_removed_ ? DXGI_ERROR_DEVICE_REMOVED : swap_chain_->Present(1, 0);
  if (FAILED(presented)) base::trace_failure("IDXGISwapChain::Present", presented);
  return presented == DXGI_ERROR_DEVICE_REMOVED || presented == DXGI_ERROR_DEVICE_RESET;
}

void Gfx::set_color(Color color) {
  const D2D1_COLOR_F c = to_d2d(color);
  brush_->SetColor(&c);
}

void Gfx::fill_rounded(RectF rect, float radius, Color color) {
  if (!in_frame_) return;
  set_color(color);
  const D2D1_ROUNDED_RECT r{to_d2d(rect), radius, radius};
  target_view_->FillRoundedRectangle(&r, brush_.Get());
}

void Gfx::stroke_rounded(RectF rect, float radius, float width, Color color) {
  if (!in_frame_) return;
  set_color(color);
  const D2D1_ROUNDED_RECT r{to_d2d(rect), radius, radius};
  target_view_->DrawRoundedRectangle(&r, brush_.Get(), width, nullptr);
}

void Gfx::dashed_outline(RectF rect, float radius, float width, Color color) {
  if (!in_frame_) return;
  set_color(color);
  const D2D1_ROUNDED_RECT r{to_d2d(rect.inset(width / 2)), radius, radius};
  target_view_->DrawRoundedRectangle(&r, brush_.Get(), width, resources_->dash_stroke());
}

void Gfx::draw_bitmap(ID2D1Bitmap* bitmap, RectF rect) {
  if (!in_frame_ || !bitmap) return;
  const D2D1_RECT_F r = to_d2d(rect);
  target_view_->DrawBitmap(bitmap, &r, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
}

bool Gfx::set_scale(UINT dpi, float text_scale) {
  return SUCCEEDED(resources_->use_scale(view_scale(dpi), text_scale));
}

}  // namespace gfx
