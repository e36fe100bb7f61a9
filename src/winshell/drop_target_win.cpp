#include "winshell/drop_target_win.h"

#include <shellapi.h>

#include <atomic>
#include <cwchar>

#include "base/unicode.h"
#include "base/utf.h"

namespace winshell {
namespace {

CLIPFORMAT url_format() { return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocatorW")); }

FORMATETC format_of(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// GetData as a global memory block, released with the medium.
class GlobalData {
 public:
  GlobalData(IDataObject& data, CLIPFORMAT format) {
    FORMATETC wanted = format_of(format);
    ok_ = SUCCEEDED(data.GetData(&wanted, &medium_));
  }
  GlobalData(const GlobalData&) = delete;
  GlobalData& operator=(const GlobalData&) = delete;
  ~GlobalData() {
    if (ok_) ReleaseStgMedium(&medium_);
  }
  HGLOBAL get() const { return ok_ && medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

 private:
  STGMEDIUM medium_{};
  bool ok_ = false;
};

bool has_format(IDataObject& data, CLIPFORMAT format) {
  FORMATETC wanted = format_of(format);
  return data.QueryGetData(&wanted) == S_OK;
}

class DropTarget final : public IDropTarget {
 public:
  DropTarget(HWND window, DropHandler& handler) : window_(window), handler_(handler) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    accept_ = data && offers_droppable_data(*data);
    return answer(point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override { return answer(point, effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    handler_.drag_leave();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    const POINT client = to_client(point);
    detect::DropPayload payload;
    if (data) payload = read_data_object(*data);
    const bool usable = !payload.paths.empty() || !base::trim(payload.text).empty();
    if (effect) *effect = usable ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    handler_.drag_leave();
    if (usable) handler_.drop(static_cast<float>(client.x), static_cast<float>(client.y), payload);
    return S_OK;
  }

 private:
  POINT to_client(POINTL point) const {
    POINT client{point.x, point.y};
    ScreenToClient(window_, &client);
    return client;
  }
  HRESULT answer(POINTL point, DWORD* effect) {
    const POINT client = to_client(point);
    // The highlight follows the pointer whether or not the data is usable.
    const bool here = handler_.drag_over(static_cast<float>(client.x), static_cast<float>(client.y));
    if (effect) *effect = accept_ && here ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  HWND window_;
  DropHandler& handler_;
  std::atomic<ULONG> references_{1};
  bool accept_ = false;
};

}  // namespace

std::vector<std::string> read_drop_paths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(wcsnlen(path.c_str(), path.size()));
    if (!path.empty()) paths.push_back(base::narrow(path));
  }
  return paths;
}

std::string read_global_text(HGLOBAL memory) {
  const auto* units = static_cast<const wchar_t*>(GlobalLock(memory));
  if (!units) return {};
  const std::size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
  std::string text = base::narrow(std::wstring_view(units, wcsnlen(units, capacity)));
  GlobalUnlock(memory);
  return text;
}

bool offers_droppable_data(IDataObject& data) {
  return has_format(data, CF_HDROP) || has_format(data, url_format()) || has_format(data, CF_UNICODETEXT);
}

detect::DropPayload read_data_object(IDataObject& data) {
  detect::DropPayload payload;
  {
    GlobalData files(data, CF_HDROP);
    if (HGLOBAL memory = files.get()) payload.paths = read_drop_paths(static_cast<HDROP>(memory));
  }
  if (!payload.paths.empty()) return payload;
  for (const CLIPFORMAT format : {url_format(), static_cast<CLIPFORMAT>(CF_UNICODETEXT)}) {
    GlobalData text(data, format);
    if (HGLOBAL memory = text.get()) {
      payload.text = read_global_text(memory);
      if (!base::trim(payload.text).empty()) break;
    }
  }
  return payload;
}

bool register_drop_target(HWND window, DropHandler& handler) {
  auto* target = new DropTarget(window, handler);
  const bool registered = SUCCEEDED(RegisterDragDrop(window, target));
  target->Release();  // OLE holds its own reference while registered
  return registered;
}

}  // namespace winshell
