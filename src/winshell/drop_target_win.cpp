#include "winshell/drop_target_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <utility>

#include "base/failure_trace.h"
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

  // Each call answers a failure (a throw of the handler, no memory for the
  // data) with its HRESULT and no drop effect; the drag source goes on.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    return boundary("IDropTarget::DragEnter", effect, [&] {
      accept_ = data && offers_droppable_data(*data);
      return answer(point, effect);
    });
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override {
    return boundary("IDropTarget::DragOver", effect, [&] { return answer(point, effect); });
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    return boundary("IDropTarget::DragLeave", nullptr, [&] {
      handler_.drag_leave();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    // The source (File Explorer, a browser) is stuck until this returns, so
    // only the data is copied here; the window does the work from its queue.
    return boundary("IDropTarget::Drop", effect, [&] {
      handler_.drag_leave();
      const DWORD offered = data && effect ? drop_effect_for(*effect) : DROPEFFECT_NONE;
      detect::DropPayload payload;
      if (offered != DROPEFFECT_NONE) payload = read_data_object(*data);
      const bool refused = payload.text_too_large;
      const bool usable = refused || !payload.paths.empty() || !base::trim(payload.text).empty();
      const POINT client = to_client(point);
      const bool kept = usable && handler_.drop(window_, static_cast<float>(client.x), static_cast<float>(client.y),
                                                std::move(payload));
      // Refused text is still handed on, for the window to say why.
      if (effect) *effect = kept && !refused ? offered : DROPEFFECT_NONE;
      return S_OK;
    });
  }

 private:
  POINT to_client(POINTL point) const {
    POINT client{point.x, point.y};
    ScreenToClient(window_, &client);
    return client;
  }
  template <class Body>
  static HRESULT boundary(std::string_view step, DWORD* effect, Body&& body) noexcept {
    const HRESULT hr = base::com_boundary(step, body);
    if (FAILED(hr) && effect) *effect = DROPEFFECT_NONE;
    return hr;
  }
  HRESULT answer(POINTL point, DWORD* effect) {
    const DWORD offered = accept_ && effect ? drop_effect_for(*effect) : DROPEFFECT_NONE;
    // A drag the window cannot take outlines nothing.
    if (offered == DROPEFFECT_NONE) {
      handler_.drag_leave();
    } else {
      const POINT client = to_client(point);
      if (!handler_.drag_over(static_cast<float>(client.x), static_cast<float>(client.y))) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
      }
    }
    if (effect) *effect = offered;
    return S_OK;
  }

  HWND window_;
  DropHandler& handler_;
  std::atomic<ULONG> references_{1};
  bool accept_ = false;
};

}  // namespace

DWORD drop_effect_for(DWORD allowed) {
  if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
  return DROPEFFECT_NONE;
}

std::vector<std::string> read_drop_paths(HDROP drop) {
  // The block comes from another program: DragQueryFileW trusts its offset
  // and reads names until an empty one, so both are checked against the
  // block's size before it is asked.
  {
    const base::GlobalMemoryLock lock(drop);
    const auto* bytes = static_cast<const unsigned char*>(lock.data());
    if (!bytes) {
      trace_last_error("GlobalLock");
      return {};
    }
    const std::size_t size = lock.size();
    if (size < sizeof(DROPFILES)) return {};
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= size) return {};
    const std::size_t unit = header.fWide ? sizeof(wchar_t) : 1;
    const std::size_t units = (size - header.pFiles) / unit;
    bool ended = false;
    bool previous_nul = false;
    for (std::size_t i = 0; i < units && !ended; ++i) {
      const unsigned char* at = bytes + header.pFiles + i * unit;
      const bool nul = unit == 1 ? *at == 0 : (at[0] == 0 && at[1] == 0);
      // The list ends with an empty name: a NUL right after a NUL (even an
      // empty list has two, as the shell reads a name before it looks further).
      ended = nul && previous_nul;
      previous_nul = nul;
    }
    if (!ended) return {};
  }
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

std::optional<std::string> read_global_text(HGLOBAL memory) {
  const base::GlobalMemoryLock lock(memory);
  const auto* units = static_cast<const wchar_t*>(lock.data());
  if (!units) {
    trace_last_error("GlobalLock");
    return std::string();
  }
  const std::size_t capacity = lock.size() / sizeof(wchar_t);
  // Every UTF-16 unit is at least one UTF-8 byte, so a longer text is refused
  // before anything is converted; a shorter one is measured once converted.
  const std::size_t length = wcsnlen(units, std::min(capacity, detect::kMaxInputTextBytes + 1));
  if (length > detect::kMaxInputTextBytes) return std::nullopt;
  std::string text = base::narrow(std::wstring_view(units, length));
  if (text.size() > detect::kMaxInputTextBytes) return std::nullopt;
  return text;
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
      std::optional<std::string> read = read_global_text(memory);
      if (!read) {
        payload.text_too_large = true;
        break;
      }
      payload.text = std::move(*read);
      if (!base::trim(payload.text).empty()) break;
    }
  }
  return payload;
}

ComPtr<IDropTarget> make_drop_target(HWND window, DropHandler& handler) {
  ComPtr<IDropTarget> target;
  target.Attach(new DropTarget(window, handler));
  return target;
}

bool register_drop_target(HWND window, DropHandler& handler) {
  // The target is made with one reference, which this owner holds; OLE takes
  // its own while the window is registered.
  const ComPtr<IDropTarget> target = make_drop_target(window, handler);
  return !failed("RegisterDragDrop", RegisterDragDrop(window, target.Get()));
}

}  // namespace winshell
