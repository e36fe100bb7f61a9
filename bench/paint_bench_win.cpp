// paint_bench.exe: the cost of one frame of the main view, for small and very
// large stores. Only the rows on screen are laid out and drawn, and what needs
// the whole list (the bundles a search shows, the count of missing targets) is
// kept between frames, so the time of a frame must stay the same for ten
// bundles and for ten thousand; the ratio column shows each case against the
// smallest one, measured in the same run.
//
// The pointer case times what a pointer move over the sidebar costs
// (on_mouse_move: its layout and hit-test; a move that changes no hover asks
// for no frame) in place of a frame, against the same floor.
//
// The frames of the list cases lay every text out anew, as the first frame
// does (and any after a change of DPI, theme or language). The steady case
// times what most frames are: the pointer moved onto the next bundle row and
// the item list scrolled by one row, a frame after the last, drawing from the
// text layouts the earlier frames kept. Its ratio to the 10-bundle case is
// what keeping the layouts saves.
//
// A frame here is what WM_PAINT does (layout, clamp, paint) drawn into an
// offscreen target, then EndDraw, and a wait until the device has finished
// the work, so that queued drawing is not mistaken for speed.
//
//   paint_bench.exe [frames] [json-lines-file]
//     frames: per case, default and least 200; the file, when given, gets one
//     JSON object per case: {"bench":"paint","case","frame_ms","frame_p10_ms",
//     "frame_p90_ms","ratio","layout_ms","layout_ratio","sidebar_rows",
//     "item_rows","invalidations","text_layouts_per_frame"}

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/bundles/installed_apps_host.h"
#include "app/input/mouse.h"
#include "app/opening/opening_host.h"
#include "app/reach/notification_host.h"
#include "app/reach/sign_in_host.h"
#include "app/state/app_state.h"
#include "app/state/hotkey_host.h"
#include "app/state/platform.h"
#include "app/updater/update_host.h"
#include "app/view/layout.h"
#include "app/window/paint_win.h"
#include "bundle/model.h"
#include "gfx/gfx_win.h"
#include "gfx/icons.h"
#include "gfx/palette.h"
#include "gfx/resources_win.h"

namespace {

using gfx::ComPtr;

constexpr UINT kWidth = 1040;
constexpr UINT kHeight = 700;
constexpr int kWarmUpFrames = 30;
constexpr int kLayoutRepeats = 2000;

// The platform of a window that nobody uses: nothing happens, except text
// measurement (the rendering context) and the clock.
class BenchPlatform final : public app::Platform,
                          public app::HotkeyHost,
                          public app::NotificationHost,
                          public app::SignInHost,
                          public app::InstalledAppsHost,
                          public app::OpeningHost,
                          public app::UpdateHost {
 public:
  app::HotkeyHost& hotkey_host() override { return *this; }
  app::NotificationHost& notification_host() override { return *this; }
  app::SignInHost& sign_in_host() override { return *this; }
  app::InstalledAppsHost& installed_apps_host() override { return *this; }
  app::OpeningHost& opening_host() override { return *this; }
  app::UpdateHost& update_host() override { return *this; }
  gfx::TextMeasure* measure = nullptr;
  long invalidations = 0;

  base::Status write_setting_text(std::string_view, std::string_view) override { return {}; }
  std::optional<gfx::SystemColours> high_contrast_colours() override { return std::nullopt; }
  std::optional<std::uint32_t> text_scale_setting() override { return std::nullopt; }
  void invalidate() override { ++invalidations; }
  void set_timer(app::TimerId, unsigned) override {}
  void forget_icon(const std::string&) override {}
  gfx::TextMeasure* text_measure() override { return measure; }
  void capture_pointer() override {}
  void release_pointer() override {}
  void track_pointer_leave() override {}
  void focus_window() override {}
  void focus_search_box() override {}
  int show_menu(float, float, const std::vector<app::MenuEntry>&) override { return 0; }
  void show_information(std::string_view, std::string_view) override {}
  bool ask_yes_no(std::string_view) override { return false; }
  std::optional<bundle::ItemOptions> edit_item_options(const bundle::Item&) override { return std::nullopt; }
  std::optional<app::HotkeyChoice> edit_bundle_hotkey(const app::HotkeyDialogInput&) override { return std::nullopt; }
  std::vector<app::HotkeyRegistration> hotkey_registrations() override { return {}; }
  void register_hotkey(const std::string&, const bundle::Hotkey&) override {}
  void unregister_hotkey(const std::string&) override {}
  std::optional<std::string> read_setting_text(std::string_view) override { return std::nullopt; }
  std::optional<std::uint32_t> read_setting_number(std::string_view) override { return std::nullopt; }
  base::Status write_setting_number(std::string_view, std::uint32_t) override { return {}; }
  bool is_directory(const std::string&) override { return false; }
  void open_folder(const std::string&) override {}
  void start_explorer(const std::string&) override {}
  void open_address(std::string_view) override {}
  base::Status start_update_check(bool) override { return {}; }
  bool offer_update(std::string_view) override { return false; }
  base::Status start_update_download(app::UpdateOffer) override { return {}; }
  void show_download_progress(std::uint64_t, std::uint64_t) override {}
  void hide_download_progress() override {}
  base::Status start_installer(const app::VerifiedInstaller&) override { return {}; }
  void close_for_update() override {}
  base::Result<std::string> desktop_folder() override { return base::fail("none"); }
  base::Result<std::string> program_path() override { return base::fail("none"); }
  app::ShortcutOutcome create_shortcut(const std::string&, const std::string&, const std::string&,
                                       const std::string&) override {
    return {};
  }
  std::vector<std::string> explorer_folders() override { return {}; }
  void bring_to_front() override {}
  bool sign_in_turned_off() override { return false; }
  base::Status keep_run_value(bool) override { return {}; }
  int show_notification_menu(int, int, const std::vector<app::MenuEntry>&) override { return 0; }
  void show_notification_icon(bool) override {}
  bool window_hidden() override { return false; }
  void show_balloon(std::string_view) override {}
  void show_window() override {}
  void quit() override {}
  double monotonic_seconds() override { return now(); }
  void start_target_check(std::vector<std::string>) override {}
  base::Status start_open_worker(std::string, std::vector<bundle::Item>, std::vector<std::size_t>) override {
    return {};
  }
  app::CloseReport close_last_opening(const std::string&) override { return {}; }
  void stop_opening() override {}
  bool open_edit_field(const app::ActiveEdit&, std::string_view, std::string_view) override { return false; }
  std::string close_edit_field() override { return {}; }
  void clear_search_box() override {}
  std::vector<std::string> open_files_dialog(std::string_view, const std::vector<app::FileFilter>&,
                                             app::StartFolder) override {
    return {};
  }
  std::optional<std::string> pick_folder_dialog(std::string_view) override { return std::nullopt; }
  std::vector<app::InstalledApp> installed_apps() override { return {}; }
  std::optional<std::size_t> choose_installed_app(const std::vector<app::InstalledApp>&) override { return std::nullopt; }
  std::optional<std::string> save_file_dialog(std::string_view, const std::vector<app::FileFilter>&, std::string_view,
                                              std::string_view) override {
    return std::nullopt;
  }
  bool target_exists(const std::string&) override { return true; }
  base::Status start_item(const bundle::Item&) override { return {}; }

  static double now() {
    static const double frequency = [] {
      LARGE_INTEGER f;
      QueryPerformanceFrequency(&f);
      return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
  }
};

// The bench's window: hidden, its client area the size of the frames.
class BenchWindow {
 public:
  BenchWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"tolvik.PaintBench";
    RegisterClassExW(&wc);
    RECT r{0, 0, static_cast<LONG>(kWidth), static_cast<LONG>(kHeight)};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    window_ = CreateWindowExW(0, L"tolvik.PaintBench", L"paint bench", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~BenchWindow() {
    if (window_) DestroyWindow(window_);
  }
  BenchWindow(const BenchWindow&) = delete;
  BenchWindow& operator=(const BenchWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// Items of all four kinds, with targets that differ from item to item (the
// icon cache is keyed by target) and a few with names of their own.
bundle::Item make_item(std::size_t bundle, std::size_t item) {
  const std::string n = std::to_string(bundle) + "-" + std::to_string(item);
  switch (item % 4) {
    case 0:
      return {bundle::Kind::app, "C:\\windows\\notepad.exe", item % 8 == 0 ? "/p report-" + n + ".txt" : "", {}};
    case 1:
      return {bundle::Kind::file, "C:\\users\\Public\\Documents\\report-" + n + ".txt", {}, "Report " + n};
    case 2:
      return {bundle::Kind::folder, "C:\\windows\\system32", {}, {}};
    default:
      return {bundle::Kind::url, "https://example.com/pages/" + n, {}, {}};
  }
}

bundle::Store make_store(std::size_t bundles, std::size_t items_each) {
  bundle::Store store;
  store.bundles.reserve(bundles);
  for (std::size_t b = 0; b < bundles; ++b) {
    bundle::Bundle made;
    made.id = std::to_string(100000 + b);
    made.id.insert(made.id.begin(), 'b');
    made.name = "Bundle ";
    made.name += std::to_string(b + 1);
    made.name += " · month-end";
    made.items.reserve(items_each);
    for (std::size_t i = 0; i < items_each; ++i) made.items.push_back(make_item(b, i));
    store.bundles.push_back(std::move(made));
  }
  return store;
}

struct Stats {
  double median = 0, p10 = 0, p90 = 0;  // milliseconds
};

// Nearest-rank percentiles of the samples (seconds) in milliseconds.
Stats stats_of(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) {
    const std::size_t i = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(i, samples.size() - 1)] * 1000.0;
  };
  return {at(0.5), at(0.1), at(0.9)};
}

// Waits until the device has executed everything submitted so far.
class GpuFence {
 public:
  explicit GpuFence(ID3D11Device* device) {
    device->GetImmediateContext(&context_);
    D3D11_QUERY_DESC desc{D3D11_QUERY_EVENT, 0};
    device->CreateQuery(&desc, &query_);
  }
  bool usable() const { return context_ && query_; }
  void wait() {
    if (!usable()) return;
    context_->End(query_.Get());
    BOOL done = FALSE;
    // Yields rather than spins: the device may run on a thread of this
    // process that needs the core.
    while (context_->GetData(query_.Get(), &done, sizeof done, 0) == S_FALSE) Sleep(0);
  }

 private:
  ComPtr<ID3D11DeviceContext> context_;
  ComPtr<ID3D11Query> query_;
};

struct Case {
  const char* label;
  std::size_t bundles;
  std::size_t items_each;
  bool scroll_sidebar;  // to the middle of its range
  bool scroll_items;
  const char* search = "";     // the search text
  bool missing = false;        // every file, folder and app target is missing
  bool pointer_moves = false;  // pointer moves over the sidebar instead of frames
  bool steady = false;         // frames after the last, layouts kept; hover and scroll move
};

// Where the time of one frame goes.
enum Stage { kLayout, kPaint, kEndDraw, kDevice, kFrame, kStages };

// One case: its state, kept for the whole run, and its samples (seconds).
struct Run {
  explicit Run(app::Platform& platform) : state(platform) {}
  app::AppState state;
  app::IconCache icons;
  std::vector<double> samples[kStages];
  std::vector<double> layout_alone;
  std::size_t sidebar_rows = 0;
  std::size_t item_rows = 0;
  bool failed = false;
  bool pointer_moves = false;
  bool steady = false;
  std::size_t moves = 0;
  std::size_t layouts_made = 0;  // text layouts made in the recorded frames
  long invalidations = 0;  // asked for by the recorded pointer moves
};

// Text layouts made per recorded frame (the pointer case makes none).
double layouts_per_frame(const Run& run) {
  if (run.samples[kFrame].empty()) return 0;
  return static_cast<double>(run.layouts_made) / static_cast<double>(run.samples[kFrame].size());
}

class Bench {
 public:
  Bench(gfx::Gfx& g, ID2D1Bitmap1* target) : g_(g), target_(target), fence_(g.d3d_device()) {}

  bool fence_usable() const { return fence_.usable(); }

  void prepare(Run& run, const Case& c) {
    app::AppState& state = run.state;
    state.store = make_store(c.bundles, c.items_each);
    state.selected_bundle = 0;
    state.search_text = c.search;
    run.pointer_moves = c.pointer_moves;
    run.steady = c.steady;
    if (c.missing) {
      for (const bundle::Item& item : state.store.bundles[0].items) {
        if (item.kind != bundle::Kind::url) state.missing_targets.insert(bundle::item_key(item.target));
      }
    }
    state.client_width = static_cast<float>(kWidth);
    state.client_height = static_cast<float>(kHeight);
    state.dpi = 96;
    state.dark = false;
    const app::ViewLayout first = app::layout_view(state, &g_);
    if (c.scroll_sidebar) state.sidebar_scroll = first.sidebar_max_scroll / 2;
    if (c.scroll_items) state.content_scroll = first.content_max_scroll / 2;
    // Fills the icon cache and lets the device make its resources.
    for (int i = 0; i < kWarmUpFrames && !run.failed; ++i) frame(run, false);
  }

  // One frame, as WM_PAINT draws it (paint_view split into its steps); in the
  // pointer case, one pointer move instead. The steady case's frame begins
  // with its pointer move and scroll, the others' with no text layout kept.
  void frame(Run& run, bool record) {
    if (run.pointer_moves) {
      pointer_move(run, record);
      return;
    }
    double t[kStages + 1];
    const std::size_t layouts_before = g_.text_layouts().kept_total();
    if (run.steady) {
      t[0] = BenchPlatform::now();
      hover_and_scroll(run);
    } else {
      g_.forget_text_layouts();
      t[0] = BenchPlatform::now();
    }
    if (FAILED(g_.begin_frame(gfx::palette(run.state.dark).background, target_))) {
      run.failed = true;
      return;
    }
    const app::ViewLayout layout = app::layout_view(run.state, &g_);
    app::clamp_scrolls(run.state, layout);
    t[1] = BenchPlatform::now();
    app::paint_layout(g_, run.state, layout, run.icons);
    t[2] = BenchPlatform::now();
    if (g_.end_frame()) run.failed = true;  // device lost
    t[3] = BenchPlatform::now();
    fence_.wait();
    t[4] = BenchPlatform::now();
    run.sidebar_rows = layout.rows.size();
    run.item_rows = layout.content ? layout.content->rows.size() : 0;
    if (!record) return;
    for (int stage = kLayout; stage < kFrame; ++stage) run.samples[stage].push_back(t[stage + 1] - t[stage]);
    run.samples[kFrame].push_back(t[4] - t[0]);
    run.layouts_made += g_.text_layouts().kept_total() - layouts_before;
  }

  // The pointer moves down the sidebar's rows, 7 pixels a move, and up again
  // at the bottom: most moves stay on the row they were on.
  void pointer_move(Run& run, bool record) {
    const app::ViewLayout layout = app::layout_view(run.state, &g_);
    const float top = layout.list_top + 2;
    const float span = std::max(1.0f, layout.height - top - 2);
    const float y = top + static_cast<float>((run.moves * 7) % static_cast<std::size_t>(span));
    const float x = layout.sidebar_width / 3;
    ++run.moves;
    auto& platform = static_cast<BenchPlatform&>(run.state.platform);
    const long before = platform.invalidations;
    const double start = BenchPlatform::now();
    app::on_mouse_move(run.state, x, y, false);
    const double took = BenchPlatform::now() - start;
    run.sidebar_rows = layout.rows.size();
    run.item_rows = layout.content ? layout.content->rows.size() : 0;
    if (!record) return;
    run.invalidations += platform.invalidations - before;
    for (int stage = kLayout; stage < kFrame; ++stage) run.samples[stage].push_back(stage == kLayout ? took : 0);
    run.samples[kFrame].push_back(took);
  }

  // The steady case's step: the pointer onto the next bundle row (round the
  // rows on screen) and the item list one row further (back to the top after
  // its end), as moving over the list and turning the wheel do.
  void hover_and_scroll(Run& run) {
    app::AppState& state = run.state;
    const app::ViewLayout before = app::layout_view(state, &g_);
    if (!before.rows.empty()) {
      const app::SidebarRow& row = before.rows[run.moves % before.rows.size()];
      app::on_mouse_move(state, row.name.x + 2, row.rect.y + row.rect.h / 2, false);
    }
    ++run.moves;
    const float next = state.content_scroll + before.item_pitch;
    state.content_scroll = next > before.content_max_scroll + 0.5f ? 0 : next;
  }

  // Milliseconds per call of one drawing primitive (device time included),
  // over an empty frame: where a frame's time goes on this renderer.
  double per_call(const std::function<void(int)>& draw, bool new_layouts = false) {
    constexpr int kCalls = 50;
    constexpr int kFrames = 30;
    std::vector<double> empty, full;
    for (int i = 0; i < kFrames + 5; ++i) {
      for (int with_calls = 0; with_calls < 2; ++with_calls) {
        if (new_layouts) g_.forget_text_layouts();
        const double start = BenchPlatform::now();
        if (FAILED(g_.begin_frame(gfx::rgb(0xF2F4F7), target_))) return -1;
        if (with_calls) {
          for (int k = 0; k < kCalls; ++k) draw(k);
        }
        g_.end_frame();
        fence_.wait();
        if (i >= 5) (with_calls ? full : empty).push_back(BenchPlatform::now() - start);
      }
    }
    empty_frame_ms_ = stats_of(empty).median;
    return (stats_of(full).median - stats_of(empty).median) / kCalls;
  }
  double empty_frame_ms() const { return empty_frame_ms_; }

  // The layout alone, as the hit-test and the inline fields compute it.
  void layout_alone(Run& run, int count) {
    for (int i = 0; i < count; ++i) {
      const double start = BenchPlatform::now();
      const app::ViewLayout layout = app::layout_view(run.state, &g_);
      const double took = BenchPlatform::now() - start;
      if (layout.rows.empty()) run.failed = true;  // every case has bundles on screen
      run.layout_alone.push_back(took);
    }
  }

 private:
  gfx::Gfx& g_;
  ID2D1Bitmap1* target_;
  GpuFence fence_;
  double empty_frame_ms_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int frames = 200;
  if (argc > 1) frames = std::max(200, std::atoi(argv[1]));
  const char* json_path = argc > 2 ? argv[2] : nullptr;

  BenchWindow window;
  if (!window.get()) {
    std::fprintf(stderr, "paint_bench: no window\n");
    return 1;
  }
  auto made = gfx::Gfx::create(window.get(), 96);
  if (!made) {
    std::fprintf(stderr, "paint_bench: Gfx::create failed at %s (0x%08lX)\n", made.error().step.c_str(),
                 static_cast<unsigned long>(made.error().hr));
    return 1;
  }
  std::unique_ptr<gfx::Gfx> g = std::move(made).value();

  D2D1_BITMAP_PROPERTIES1 props{};
  props.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
  props.dpiX = props.dpiY = 96;
  props.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET;
  ComPtr<ID2D1Bitmap1> target;
  if (FAILED(g->device_context()->CreateBitmap({kWidth, kHeight}, nullptr, 0, &props, &target))) {
    std::fprintf(stderr, "paint_bench: no offscreen target\n");
    return 1;
  }

  BenchPlatform platform;
  platform.measure = g.get();
  Bench bench(*g, target.Get());

  const Case cases[] = {
      {"a  10 bundles x 10 items", 10, 10, false, false},
      {"b  10,000 bundles x 10 items", 10000, 10, false, false},
      {"c  10,000 bundles, sidebar mid", 10000, 10, true, false},
      {"d  1 bundle x 1,000 items", 1, 1000, false, false},
      {"e  1,000 items, list mid", 1, 1000, false, true},
      {"f  10,000 bundles, search text", 10000, 10, false, false, "bundle 1"},
      {"g  1,000 items, 750 missing", 1, 1000, false, false, "", true},
      {"h  pointer moves, 10,000 bundles", 10000, 10, false, false, "", false, true},
      {"i  steady frame, 10 x 40 items", 10, 40, false, false, "", false, false, true},
  };
  constexpr std::size_t kCases = sizeof cases / sizeof cases[0];

  std::vector<std::unique_ptr<Run>> runs;
  for (const Case& c : cases) {
    runs.push_back(std::make_unique<Run>(platform));
    bench.prepare(*runs.back(), c);
  }
  // The cases take turns in short rounds, so that a slow spell of the machine
  // falls on all of them alike and the ratios stay fair.
  constexpr int kRound = 10;
  for (int done = 0; done < frames; done += kRound) {
    for (auto& run : runs) {
      // The other cases forgot the steady case's layouts: one frame untimed
      // lays them out again.
      if (run->steady && !run->failed) bench.frame(*run, false);
      for (int i = 0; i < kRound && !run->failed; ++i) bench.frame(*run, true);
      if (!run->failed) bench.layout_alone(*run, kLayoutRepeats / (frames / kRound + 1) + 1);
    }
  }

  std::printf("paint_bench: %ux%u at 96 DPI, light theme, first bundle selected; %d frames per case after %d warm-up,\n"
              "the cases interleaved in rounds of %d frames\n",
              kWidth, kHeight, frames, kWarmUpFrames, kRound);
  std::printf("frame = layout + paint into an offscreen target + EndDraw + wait for the device (%s)\n",
              bench.fence_usable() ? "D3D11 event query" : "no event query: EndDraw only");
  std::printf("layout = layout_view(state, &gfx) alone, %zu calls per case\n\n", runs[0]->layout_alone.size());
  std::printf("%-32s %5s %5s | %9s %9s %9s %6s | %9s %9s %9s %6s\n", "case", "srows", "irows", "frame ms", "p10",
              "p90", "ratio", "layout ms", "p10", "p90", "ratio");

  std::FILE* json = json_path ? std::fopen(json_path, "w") : nullptr;
  if (json_path && !json) std::fprintf(stderr, "paint_bench: cannot write %s\n", json_path);
  bool all_ok = true;
  const Stats floor_frame = stats_of(runs[0]->samples[kFrame]);
  const Stats floor_layout = stats_of(runs[0]->layout_alone);
  for (std::size_t i = 0; i < kCases; ++i) {
    const Run& run = *runs[i];
    if (run.failed || run.samples[kFrame].empty()) {
      std::printf("%-32s  failed: a frame could not be drawn\n", cases[i].label);
      all_ok = false;
      continue;
    }
    const Stats frame = stats_of(run.samples[kFrame]);
    const Stats layout = stats_of(run.layout_alone);
    std::printf("%-32s %5zu %5zu | %9.3f %9.3f %9.3f %6.2f | %9.4f %9.4f %9.4f %6.2f\n", cases[i].label,
                run.sidebar_rows, run.item_rows, frame.median, frame.p10, frame.p90, frame.median / floor_frame.median,
                layout.median, layout.p10, layout.p90, layout.median / floor_layout.median);
    if (json) {
      std::fprintf(json,
                   "{\"bench\":\"paint\",\"case\":\"%s\",\"frame_ms\":%.4f,\"frame_p10_ms\":%.4f,"
                   "\"frame_p90_ms\":%.4f,\"ratio\":%.4f,\"layout_ms\":%.5f,\"layout_ratio\":%.4f,"
                   "\"sidebar_rows\":%zu,\"item_rows\":%zu,\"invalidations\":%ld,\"text_layouts_per_frame\":%.2f}\n",
                   cases[i].label, frame.median, frame.p10, frame.p90, frame.median / floor_frame.median, layout.median,
                   layout.median / floor_layout.median, run.sidebar_rows, run.item_rows, run.invalidations,
                   layouts_per_frame(run));
    }
  }
  if (json) std::fclose(json);

  std::printf("\nmedians of the steps of a frame, ms\n");
  std::printf("%-32s | %12s %9s %9s %9s | %s\n", "case", "begin+layout", "paint", "EndDraw", "device",
              "new text layouts per frame");
  for (std::size_t i = 0; i < kCases; ++i) {
    const Run& run = *runs[i];
    if (run.failed || run.samples[kFrame].empty()) continue;
    std::printf("%-32s | %12.3f %9.3f %9.3f %9.3f | %.1f\n", cases[i].label, stats_of(run.samples[kLayout]).median,
                stats_of(run.samples[kPaint]).median, stats_of(run.samples[kEndDraw]).median,
                stats_of(run.samples[kDevice]).median,
                layouts_per_frame(run));
  }
  // A row of the sidebar is about four rounded fills, an outline and three
  // lines of text; these say which of them a slow renderer spends its time on.
  const gfx::Color ink = gfx::rgb(0x1F2328);
  const auto row_box = [](int k) {
    return gfx::RectF{12.0f + static_cast<float>(k % 5) * 2, 100.0f + static_cast<float>(k % 8) * 68, 300, 62};
  };
  const double fill = bench.per_call([&](int k) { g->fill_rounded(row_box(k), 10, ink.with_alpha(0.1f)); });
  const double stroke = bench.per_call([&](int k) { g->stroke_rounded(row_box(k), 10, 1, ink); });
  const auto draw_row_name = [&](int k) {
    g->draw_text("Bundle " + std::to_string(k + 1) + " \xC2\xB7 month-end", row_box(k), ink, gfx::TextFormat::body_bold);
  };
  const double text = bench.per_call(draw_row_name, true);
  const double kept_text = bench.per_call(draw_row_name);
  const double icon = bench.per_call([&](int k) { g->draw_icon(gfx::icon_file, row_box(k), 20, ink); });
  std::printf("\nms per call, device time included: fill_rounded %.3f, stroke_rounded %.3f, draw_text %.3f, "
              "draw_text kept %.3f, draw_icon %.3f;\nan empty frame (clear, EndDraw, wait for the device) %.3f ms\n",
              fill, stroke, text, kept_text, icon, bench.empty_frame_ms());

  std::printf("\nsrows/irows: sidebar rows and item rows laid out and drawn in each frame of the case\n");
  for (std::size_t i = 0; i < kCases; ++i) {
    if (runs[i]->pointer_moves) {
      std::printf("%s: %zu pointer moves timed (frame ms = one on_mouse_move), %ld of them asked for a frame\n",
                  cases[i].label, runs[i]->samples[kFrame].size(), runs[i]->invalidations);
    }
  }
  return all_ok ? 0 : 1;
}
