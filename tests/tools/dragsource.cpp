// dragsource.exe: another program that drags data onto tolvik with OLE, for
// the end-to-end tests of dropping.
//
//   dragsource [window] [files PATH...] [url TEXT] [text TEXT] [snapshot FROM TO]
//
// Builds a data object holding a file list (CF_HDROP), a
// "UniformResourceLocatorW" text and/or a CF_UNICODETEXT text, then calls
// DoDragDrop: at once, which drops under the pointer straight away since no
// button is held; or, with "window", when the left button is pressed in a
// small window titled "dragsource" at the screen's top-left corner, as a drag
// from File Explorer starts: the drag then follows the mouse and drops where
// the button is released. With "snapshot", FROM is copied to TO as soon as
// DoDragDrop has returned (an empty TO when FROM is missing): what the target
// had written by the time it let the source go. Prints the effect ("copy" or
// "none") and exits 0;
// 1 when OLE fails, 2 when the window saw no press within 60 s, 64 on a usage
// error.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

HGLOBAL global_copy(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

HGLOBAL text_block(const std::wstring& text) { return global_copy(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }

HGLOBAL file_list_block(const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) {
    names += path;
    names += L'\0';
  }
  names += L'\0';
  std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof(header));
  std::memcpy(block.data() + sizeof(header), names.data(), names.size() * sizeof(wchar_t));
  return global_copy(block.data(), block.size());
}

class DataObject final : public IDataObject {
 public:
  void add(CLIPFORMAT format, HGLOBAL memory) { entries_.push_back({format, memory}); }
  // Copies `from` to `to` when the target lets go of the data it read: the
  // first release after a GetData, which comes as the target's Drop returns.
  void snapshot_when_let_go(std::wstring from, std::wstring to) {
    snapshot_from_ = std::move(from);
    snapshot_to_ = std::move(to);
  }
  ~DataObject() {
    for (const Entry& entry : entries_) GlobalFree(entry.memory);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (read_ && !snapshot_to_.empty()) {
      if (!CopyFileW(snapshot_from_.c_str(), snapshot_to_.c_str(), FALSE)) {
        CloseHandle(CreateFileW(snapshot_to_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      }
      snapshot_to_.clear();
    }
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    const Entry* entry = find(format);
    if (!entry) return DV_E_FORMATETC;
    read_ = true;
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = nullptr;
    medium->hGlobal = GlobalSize(entry->memory) ? copy(entry->memory) : nullptr;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override { return find(format) ? S_OK : DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (const Entry& entry : entries_) list.push_back({entry.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  struct Entry {
    CLIPFORMAT format;
    HGLOBAL memory;
  };
  const Entry* find(const FORMATETC* format) const {
    if (!format || !(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const Entry& entry : entries_) {
      if (entry.format == format->cfFormat) return &entry;
    }
    return nullptr;
  }
  static HGLOBAL copy(HGLOBAL memory) {
    const SIZE_T size = GlobalSize(memory);
    HGLOBAL out = global_copy(GlobalLock(memory), size);
    GlobalUnlock(memory);
    return out;
  }

  std::vector<Entry> entries_;
  ULONG references_ = 1;
  bool read_ = false;
  std::wstring snapshot_from_, snapshot_to_;
};

class DropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDropSource) {
      *object = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

LRESULT CALLBACK press_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_LBUTTONDOWN) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Shows the window and waits for a left-button press in it.
bool wait_for_press() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = press_window;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"dragsource";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"dragsource", L"dragsource", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80,
                                nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return false;
  SetTimer(window, 1, 60000, nullptr);
  MSG msg;
  bool pressed = false;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  pressed = msg.message == WM_QUIT;
  return pressed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  auto* data = new DataObject();
  std::vector<std::wstring> files;
  bool any = false;
  bool from_window = false;
  std::wstring snapshot_from, snapshot_to;
  for (int i = 1; i < argc; ++i) {
    if (i == 1 && std::wstring(argv[i]) == L"window") {
      from_window = true;
      continue;
    }
    const std::wstring word = argv[i];
    if (word == L"files") {
      while (i + 1 < argc && std::wstring(argv[i + 1]) != L"url" && std::wstring(argv[i + 1]) != L"text" &&
             std::wstring(argv[i + 1]) != L"snapshot") {
        files.push_back(argv[++i]);
      }
      data->add(CF_HDROP, file_list_block(files));
    } else if (word == L"url" && i + 1 < argc) {
      data->add(static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocatorW")), text_block(argv[++i]));
    } else if (word == L"text" && i + 1 < argc) {
      data->add(CF_UNICODETEXT, text_block(argv[++i]));
    } else if (word == L"snapshot" && i + 2 < argc) {
      snapshot_from = argv[++i];
      snapshot_to = argv[++i];
      continue;
    } else {
      std::fprintf(stderr, "usage: dragsource [window] [files PATH...] [url TEXT] [text TEXT] [snapshot FROM TO]\n");
      data->Release();
      return 64;
    }
    any = true;
  }
  if (!any || FAILED(OleInitialize(nullptr))) {
    data->Release();
    return any ? 1 : 64;
  }
  if (from_window && !wait_for_press()) {
    data->Release();
    OleUninitialize();
    return 2;
  }
  DropSource source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, &source, DROPEFFECT_COPY, &effect);
  if (!snapshot_to.empty() && !CopyFileW(snapshot_from.c_str(), snapshot_to.c_str(), FALSE)) {
    CloseHandle(CreateFileW(snapshot_to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  data->Release();
  std::printf("%s\n", hr == DRAGDROP_S_DROP && effect == DROPEFFECT_COPY ? "copy" : "none");
  std::fflush(stdout);
  OleUninitialize();
  return 0;
}
