// What another program hands the window in a drag: shell file lists that lie
// about where their names are or where they end, texts too long to take, and
// a drop that comes while the window's state is in use.

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/state/messages_win.h"
#include "app/state/program_names_win.h"
#include "app/window/state_slot_win.h"
#include "app/window/window_win.h"
#include "detect/detect.h"
#include "support_win.h"
#include "winshell/drop_target_win.h"

namespace {

using testing_support::TempFolder;

// A fixed global block holding these bytes; freed with the object.
class Block {
 public:
  explicit Block(const std::vector<char>& bytes) : memory_(GlobalAlloc(GMEM_FIXED, bytes.size())) {
    std::memcpy(memory_, bytes.data(), bytes.size());
  }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  ~Block() { GlobalFree(memory_); }
  HGLOBAL get() const { return memory_; }
  HDROP drop() const { return static_cast<HDROP>(memory_); }
  // Makes the block shorter in place: the bytes after the new end stay in
  // memory, as they would in a block whose sender gave a wrong size.
  void shrink_to(std::size_t size) { ASSERT_EQ(GlobalReAlloc(memory_, size, 0), memory_); }

 private:
  HGLOBAL memory_;
};

std::vector<char> header(DWORD files_at, bool wide) {
  DROPFILES head{};
  head.pFiles = files_at, head.fWide = wide;
  return {reinterpret_cast<const char*>(&head), reinterpret_cast<const char*>(&head + 1)};
}

// A wide file list: each name ended by a NUL, and an empty name after the last.
std::vector<char> wide_list(const std::vector<std::wstring>& names) {
  std::vector<char> block = header(sizeof(DROPFILES), true);
  std::wstring all;
  for (const std::wstring& name : names) all += name + L'\0';
  all += L'\0';
  const auto* bytes = reinterpret_cast<const char*>(all.data());
  block.insert(block.end(), bytes, bytes + all.size() * sizeof(wchar_t));
  return block;
}

TEST(MalformedFileList, WellFormedListsInEitherWidthAreRead) {
  const Block wide(wide_list({L"C:\\데이터\\a.txt", L"D:\\b"}));
  EXPECT_EQ(winshell::read_drop_paths(wide.drop()), (std::vector<std::string>{"C:\\데이터\\a.txt", "D:\\b"}));
  std::vector<char> narrow = header(sizeof(DROPFILES), false);
  for (const char c : std::string("C:\\one.txt\0C:\\two\0\0", 19)) narrow.push_back(c);
  const Block ansi(narrow);
  EXPECT_EQ(winshell::read_drop_paths(ansi.drop()), (std::vector<std::string>{"C:\\one.txt", "C:\\two"}));
}

TEST(MalformedFileList, AListThatStartsOutsideTheBlockGivesNothing) {
  std::vector<char> past = wide_list({L"C:\\a.txt"});
  reinterpret_cast<DROPFILES*>(past.data())->pFiles = 1 << 20;
  const Block far_past(past);
  EXPECT_TRUE(winshell::read_drop_paths(far_past.drop()).empty());

  std::vector<char> at_end = wide_list({L"C:\\a.txt"});
  reinterpret_cast<DROPFILES*>(at_end.data())->pFiles = static_cast<DWORD>(at_end.size());
  const Block just_past(at_end);
  EXPECT_TRUE(winshell::read_drop_paths(just_past.drop()).empty());

  // An offset into the header itself, and a block shorter than a header.
  std::vector<char> inside = wide_list({L"C:\\a.txt"});
  reinterpret_cast<DROPFILES*>(inside.data())->pFiles = 4;
  const Block in_header(inside);
  EXPECT_TRUE(winshell::read_drop_paths(in_header.drop()).empty());
  const Block tiny(std::vector<char>(6, '\0'));
  EXPECT_TRUE(winshell::read_drop_paths(tiny.drop()).empty());
}

TEST(MalformedFileList, AListWithoutItsClosingEmptyNameInsideTheBlockGivesNothing) {
  const std::vector<char> whole = wide_list({L"C:\\one.txt", L"C:\\two.txt"});
  Block cut(whole);
  // The block ends in the second name; what the sender wrote after it is
  // still there, where the shell's reader would find it.
  const std::size_t cut_at = sizeof(DROPFILES) + (std::wstring(L"C:\\one.txt").size() + 1 + 4) * sizeof(wchar_t);
  cut.shrink_to(cut_at);
  ASSERT_EQ(GlobalSize(cut.get()), cut_at);
  EXPECT_TRUE(winshell::read_drop_paths(cut.drop()).empty());

  // Names that fill the block to its last byte with no NUL at all.
  std::vector<char> unended = header(sizeof(DROPFILES), true);
  for (int i = 0; i < 64; ++i) unended.insert(unended.end(), {'A', '\0'});
  const Block filled(unended);
  EXPECT_TRUE(winshell::read_drop_paths(filled.drop()).empty());

  // One NUL is a name's end, not the list's.
  std::vector<char> single = header(sizeof(DROPFILES), true);
  single.insert(single.end(), {'A', '\0', '\0', '\0'});
  const Block half(single);
  EXPECT_TRUE(winshell::read_drop_paths(half.drop()).empty());
}

std::vector<char> text_bytes(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const char*>(text.c_str());
  return {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)};
}

TEST(OversizedText, TextUpToTheLimitIsReadAndLongerTextIsRefused) {
  const Block at_limit(text_bytes(std::wstring(detect::kMaxInputTextBytes, L'a')));
  const std::optional<std::string> read = winshell::read_global_text(at_limit.get());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->size(), detect::kMaxInputTextBytes);

  const Block one_more(text_bytes(std::wstring(detect::kMaxInputTextBytes + 1, L'a')));
  EXPECT_FALSE(winshell::read_global_text(one_more.get()));
  // Fewer UTF-16 units than the limit, but three UTF-8 bytes each.
  const Block korean(text_bytes(std::wstring(detect::kMaxInputTextBytes / 2, L'월')));
  EXPECT_FALSE(winshell::read_global_text(korean.get()));
  // A block without a NUL, longer than the limit.
  std::vector<char> unended = text_bytes(std::wstring(detect::kMaxInputTextBytes + 8, L'b'));
  unended.resize(unended.size() - sizeof(wchar_t));
  const Block no_nul(unended);
  EXPECT_FALSE(winshell::read_global_text(no_nul.get()));
}

// A data object that offers one text, as a browser or an editor does: Unicode
// unless told otherwise.
class TextData final : public IDataObject {
 public:
  explicit TextData(std::wstring text, CLIPFORMAT format = CF_UNICODETEXT) : text_(std::move(text)), format_(format) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == IID_IDataObject ? static_cast<IDataObject*>(this) : nullptr;
    return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    const std::vector<char> bytes = text_bytes(text_);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    *medium = {};
    medium->tymed = TYMED_HGLOBAL, medium->hGlobal = block;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
    return wanted->cfFormat == format_ && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  std::wstring text_;
  CLIPFORMAT format_;
  ULONG refs_ = 1;
};

TEST(OversizedText, ADataObjectsLongTextIsMarkedRefusedAndNotCopied) {
  TextData long_text(std::wstring(detect::kMaxInputTextBytes + 1, L'x'));
  const detect::DropPayload payload = winshell::read_data_object(long_text);
  EXPECT_TRUE(payload.text_too_large);
  EXPECT_TRUE(payload.text.empty());
  TextData short_text(L"https://example.com/a");
  const detect::DropPayload fine = winshell::read_data_object(short_text);
  EXPECT_FALSE(fine.text_too_large);
  EXPECT_EQ(fine.text, "https://example.com/a");
}

TEST(DropEffect, FollowsWhatTheSourceAllows) {
  EXPECT_EQ(winshell::drop_effect_for(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK), DROPEFFECT_COPY);
  EXPECT_EQ(winshell::drop_effect_for(DROPEFFECT_MOVE | DROPEFFECT_LINK), DROPEFFECT_LINK);
  EXPECT_EQ(winshell::drop_effect_for(DROPEFFECT_MOVE), DROPEFFECT_NONE);
}

// A window whose drop work throws: no room for the highlight, a full queue.
struct ThrowingHandler final : winshell::DropHandler {
  bool drag_over(float, float) override { throw std::bad_alloc(); }
  void drag_leave() override {}
  bool drop(HWND, float, float, detect::DropPayload) override { throw std::length_error("the queue is full"); }
};

TEST(DropTargetFailure, AHandlerThatThrowsIsTracedAndTheDragIsAnsweredWithNoEffect) {
  testing_support::DebugOutput output;
  testing_support::TestWindow window(200, 100);
  ThrowingHandler handler;
  const Microsoft::WRL::ComPtr<IDropTarget> target = winshell::make_drop_target(window.handle(), handler);
  TextData address(L"https://example.com/a");
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragEnter(&address, 0, POINTL{10, 10}, &effect), E_OUTOFMEMORY);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(&address, 0, POINTL{10, 10}, &effect), E_FAIL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_NE(output.text().find("tolvik: IDropTarget::DragEnter failed with HRESULT 0x8007000E\n"), std::string::npos)
      << output.text();
  EXPECT_NE(output.text().find("tolvik: IDropTarget::Drop (the queue is full) failed with HRESULT 0x80004005\n"),
            std::string::npos);
}

// The real window and its drop target, with a state installed as at start.
class WindowDrop : public testing::Test {
 protected:
  void SetUp() override {
    app::register_main_window_class(GetModuleHandleW(nullptr));  // false when an earlier test registered it
    window = CreateWindowExW(0, app::kWindowClass, L"drop test", WS_OVERLAPPEDWINDOW, 40, 40, 900, 600, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    auto main = std::make_unique<app::MainWindow>(window);
    main->state.dpi = 96;
    main->state.store_path = temp.path("bundles.json");
    main->state.store.bundles = {bundle::Bundle{"b1", "Inbox", {}}};
    main->apply_client_size(880, 560);  // as on WM_SIZE, which came before there was a state
    app::install_main_window(std::move(main));
    target = app::make_drop_target(window);
  }
  void TearDown() override {
    target.Reset();
    if (window) DestroyWindow(window);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static app::MainWindow& main() { return *app::state_slot().main; }
  // Dispatches the window's messages, as any message loop does, until
  // `done` or two seconds have passed.
  template <class Done>
  void pump_until(Done done) {
    for (int round = 0; round < 200 && !done(); ++round) {
      MSG msg;
      while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      if (!done()) Sleep(10);
    }
  }
  // The middle of the sidebar's first row, "Inbox", on the screen.
  static POINTL on_screen(HWND window) {
    POINT screen{52, 145};
    ClientToScreen(window, &screen);
    return {screen.x, screen.y};
  }
  DWORD enter(IDataObject& data, DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(target->DragEnter(&data, 0, on_screen(window), &effect), S_OK);
    return effect;
  }
  DWORD drop(IDataObject& data, DWORD allowed) {
    const POINTL screen = on_screen(window);
    DWORD effect = allowed;
    EXPECT_EQ(target->Drop(&data, 0, POINTL{screen.x, screen.y}, &effect), S_OK);
    return effect;
  }
  std::string saved() const {
    std::ifstream in(std::filesystem::path(base::widen(temp.path("bundles.json"))), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  TempFolder temp;
  HWND window = nullptr;
  Microsoft::WRL::ComPtr<IDropTarget> target;
};

TEST_F(WindowDrop, ADropReturnsBeforeItsWorkAndOneMadeWhileTheStateIsInUseIsKept) {
  TextData address(L"https://example.com/dropped");
  {
    app::Borrow handler;  // a handler is running; Windows pumps the drag's calls meanwhile
    ASSERT_TRUE(handler.get());
    EXPECT_EQ(drop(address, DROPEFFECT_COPY | DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_COPY));
    // Drop has returned and nothing has been done yet.
    EXPECT_TRUE(handler.get()->state.store.bundles[0].items.empty());
    EXPECT_TRUE(saved().empty());
    // Its message arrives while the state is still in use, and is kept with the drop.
    pump_until([] { return !app::state_slot().deferred.replays.empty(); });
    ASSERT_EQ(app::state_slot().deferred.replays.size(), 1u);
    EXPECT_EQ(app::state_slot().deferred.replays[0].id, app::kMsgDropped);
    EXPECT_EQ(app::state_slot().dropped.size(), 1u);
    EXPECT_TRUE(handler.get()->state.store.bundles[0].items.empty());
  }
  app::with_main_window([](app::MainWindow&) {});  // what the end of any message does
  EXPECT_TRUE(app::state_slot().deferred.empty());
  EXPECT_TRUE(app::state_slot().dropped.empty());
  ASSERT_EQ(main().state.store.bundles.size(), 1u);
  ASSERT_EQ(main().state.store.bundles[0].items.size(), 1u);
  EXPECT_EQ(main().state.store.bundles[0].items[0].target, "https://example.com/dropped");
  EXPECT_NE(saved().find("https://example.com/dropped"), std::string::npos);
}

TEST_F(WindowDrop, TheEffectFollowsTheSourceAndARefusedTextOnlySaysWhy) {
  TextData address(L"https://example.com/linked");
  EXPECT_EQ(drop(address, DROPEFFECT_LINK), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(drop(address, DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_NONE));
  pump_until([] { return !main().state.store.bundles[0].items.empty(); });
  EXPECT_EQ(main().state.store.bundles[0].items.size(), 1u);

  TextData long_text(std::wstring(detect::kMaxInputTextBytes + 1, L'x'));
  EXPECT_EQ(drop(long_text, DROPEFFECT_COPY), static_cast<DWORD>(DROPEFFECT_NONE));
  main().state.toast.reset();
  pump_until([] { return main().state.toast.has_value(); });
  EXPECT_EQ(main().state.store.bundles[0].items.size(), 1u);
  ASSERT_TRUE(main().state.toast);
  EXPECT_NE(main().state.toast->text.find("1 MiB"), std::string::npos) << main().state.toast->text;
  EXPECT_TRUE(app::state_slot().dropped.empty());
}

TEST_F(WindowDrop, NothingIsOutlinedForADragTheWindowCannotTake) {
  TextData ansi_only(L"https://example.com/a", CF_TEXT), address(L"https://example.com/a");
  EXPECT_EQ(enter(ansi_only, DROPEFFECT_COPY), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_FALSE(main().state.drop_target);
  EXPECT_EQ(enter(address, DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_FALSE(main().state.drop_target);
  EXPECT_EQ(enter(address, DROPEFFECT_MOVE | DROPEFFECT_LINK), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_TRUE(main().state.drop_target);
  // Over the same point, a source that stops offering anything takes the outline away.
  DWORD effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragOver(0, on_screen(window), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_FALSE(main().state.drop_target);
  EXPECT_EQ(target->DragLeave(), S_OK);
}

}  // namespace
