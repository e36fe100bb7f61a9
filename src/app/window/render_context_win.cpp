// The main window's rendering context: made when a paint finds none, resized
// with the client area, and dropped for the next paint to replace when the
// device is lost or a call on it fails.

#include <algorithm>

#include "app/state/messages_win.h"
#include "app/view/colours.h"
#include "app/view/layout.h"
#include "app/window/icon_worker_win.h"
#include "app/window/paint_win.h"
#include "app/window/window_win.h"
#include "base/failure_trace.h"
#include "gfx/palette.h"

namespace app {
namespace {

// One frame on the current context; a frame that cannot begin or whose
// device was lost drops the context and returns false.
bool draw_frame(MainWindow& main) {
  const HRESULT begun = main.gfx->begin_frame(view_palette(main.state).background);
  if (FAILED(begun)) {
    main.drop_gfx("Gfx::begin_frame", begun);
    return false;
  }
  paint_view(*main.gfx, main.state, main.icons);
  if (main.gfx->end_frame()) {
    main.set_gfx(nullptr);  // end_frame wrote the failing call to the debugger output
    return false;
  }
  return true;
}

}  // namespace

void MainWindow::set_gfx(std::unique_ptr<gfx::Gfx> made) {
  // Icons on their way are converted with the new device when they come.
  icons.bitmaps.clear();
  if (made) gfx_resources = made->resources();
  gfx = std::move(made);
}

bool MainWindow::make_gfx() {
  // A lost device leaves the factories, formats, geometries and text layouts.
  return make_gfx(gfx_resources ? gfx::make_device_for(gfx_resources) : gfx::make_device());
}

bool MainWindow::make_gfx(base::Result<gfx::GfxDevice, gfx::GfxError> device) {
  // The old context goes first: the window takes only one swap chain.
  set_gfx(nullptr);
  if (!device) {
    base::trace_failure("rendering context: " + device.error().step, device.error().hr);
    return false;
  }
  auto made = gfx::Gfx::create(window, state.dpi, std::move(device).value(), state.text_scale);
  if (!made) {
    base::trace_failure("rendering context: " + made.error().step, made.error().hr);
    return false;
  }
  set_gfx(std::move(made).value());
  return true;
}

void MainWindow::drop_gfx(std::string_view step, HRESULT hr) {
  base::trace_failure(step, hr);
  set_gfx(nullptr);
}

void MainWindow::apply_client_size(UINT width, UINT height) {
  if (gfx) {
    // A minimised window reports 0 × 0, which a swap chain cannot take.
    const HRESULT resized = gfx->resize(std::max<UINT>(width, 1), std::max<UINT>(height, 1));
    if (FAILED(resized)) drop_gfx("Gfx::resize", resized);
  }
  state.client_width = static_cast<float>(width);
  state.client_height = static_cast<float>(height);
  clamp_scrolls(state, layout_view(state, platform.text_measure()));
}

bool MainWindow::paint() {
  // The frame always matches the client area, even when a size change came
  // while the state was in use.
  RECT client{};
  GetClientRect(window, &client);
  const auto width = static_cast<UINT>(client.right - client.left);
  const auto height = static_cast<UINT>(client.bottom - client.top);
  if (static_cast<float>(width) != state.client_width || static_cast<float>(height) != state.client_height) {
    apply_client_size(width, height);
  }
  // At most one new context per paint: one that is missing, or one for a
  // context lost during this frame.
  const bool had_gfx = gfx != nullptr;
  const bool ready = had_gfx || make_gfx();
  // The native fields are placed before the frame is drawn: made or moved
  // after it, Wine leaves the whole window black until the next paint.
  layout_edits();
  if (!ready) return false;
  const bool drawn = draw_frame(*this) || (had_gfx && make_gfx() && draw_frame(*this));
  // One worker at a time; what frames ask for meanwhile goes with the next.
  if (!icon_worker_busy) icon_worker_busy = start_icon_worker(window, kMsgIconsFetched, icons, fetched_icons);
  return drawn;
}

void MainWindow::take_fetched_icons() {
  icon_worker_busy = false;
  if (auto fetched = fetched_icons->take()) {
    if (gfx) {
      store_fetched_icons(icons, *gfx, std::move(*fetched));
    } else {
      for (const FetchedIcon& one : *fetched) icons.asked.erase(one.key);
    }
  }
  // Draws them, and hands what was asked for meanwhile to the next worker.
  InvalidateRect(window, nullptr, FALSE);
}

}  // namespace app
