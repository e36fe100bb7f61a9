#include "winshell/drop_target_win.h"

#include <shellapi.h>
#include <wrl/client.h>

#include <atomic>
#include <cwchar>

#include "base/handle_win.h"
#include "base/unicode.h"
#include "base/utf.h"
#include "winshell/failure_win.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

CLIPFORMAT url_format() {
  const UINT format = RegisterClipboardFormatW(L"UniformResourceLocatorW");
  if (format == 0) trace_last_error("RegisterClipboardFormatW");
  return static_cast<CLIPFORMAT>(format);
}

FORMATETC format_of(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// GetData in that format, as a medium that is released with its owner; an
// empty one when the data object does not give it.
base::StgMedium global_data(IDataObject& data, CLIPFORMAT format) {
  FORMATETC wanted = format_of(format);
  STGMEDIUM filled{};
  const HRESULT got = data.GetData(&wanted, &filled);
  // A data object without that format answers so; that is no failure.
  if (got == DV_E_FORMATETC || got == DV_E_TYMED || failed("IDataObject::GetData", got)) return {};
  return base::StgMedium(filled);
}

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
  const base::GlobalMemoryLock lock(memory);
  const auto* units = static_cast<const wchar_t*>(lock.data());
  if (!units) {
    trace_last_error("GlobalLock");
    return {};
  }
  const std::size_t capacity = lock.size() / sizeof(wchar_t);
  return base::narrow(std::wstring_view(units, wcsnlen(units, capacity)));
}

bool offers_droppable_data(IDataObject& data) {
  return has_format(data, CF_HDROP) || has_format(data, url_format()) || has_format(data, CF_UNICODETEXT);
}

detect::DropPayload read_data_object(IDataObject& data) {
  detect::DropPayload payload;
  {
    const base::StgMedium files = global_data(data, CF_HDROP);
    if (HGLOBAL memory = files.global()) payload.paths = read_drop_paths(static_cast<HDROP>(memory));
  }
  if (!payload.paths.empty()) return payload;
  for (const CLIPFORMAT format : {url_format(), static_cast<CLIPFORMAT>(CF_UNICODETEXT)}) {
    const base::StgMedium text = global_data(data, format);
    if (HGLOBAL memory = text.global()) {
      payload.text = read_global_text(memory);
      if (!base::trim(payload.text).empty()) break;
    }
  }
  return payload;
}

bool register_drop_target(HWND window, DropHandler& handler) {
  // The target is made with one reference, which this owner holds; OLE takes
  // its own while the window is registered.
  ComPtr<DropTarget> target;
  target.Attach(new DropTarget(window, handler));
  return !failed("RegisterDragDrop", RegisterDragDrop(window, target.Get()));
}

}  // namespace winshell
