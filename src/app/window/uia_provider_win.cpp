#include "app/window/uia_provider_win.h"

#include <oleauto.h>
#include <uiautomationclient.h>

#include <wrl/client.h>

#include <atomic>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/state/messages_win.h"
#include "app/window/uia_patterns_win.h"
#include "base/failure_trace.h"
#include "base/handle_win.h"
#include "base/utf.h"

namespace app {
namespace {

using uia::InvokePattern;
using uia::kIidInvoke;
using uia::kIidSelection;
using uia::kIidSelectionItem;
using uia::SelectionItemPattern;
using uia::SelectionPattern;

// Identifiers of uiautomationcoreapi.h, whose MinGW copy does not compile as C++.
constexpr LPARAM kRootObjectId = -25;  // UiaRootObjectId
constexpr int kAppendRuntimeId = 3;    // kAppendRuntimeId
constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);
// Identifiers the MinGW headers lack.
constexpr CONTROLTYPEID kButton = 50000, kEdit = 50004, kListItem = 50007, kList = 50008, kText = 50020,
                        kWindow = 50032;
constexpr EVENTID kStructureChangedEvent = 20002, kFocusChangedEvent = 20005, kElementSelectedEvent = 20012,
                  kLiveRegionChangedEvent = 20024;
constexpr PROPERTYID kIsSelectedProperty = 30079;
constexpr long kLiveSettingPolite = 1;
constexpr int kChildrenInvalidated = 2;       // StructureChangeType
constexpr int kNotificationActionCompleted = 2;  // NotificationKind
constexpr int kNotificationMostRecent = 1;       // NotificationProcessing_ImportantMostRecent

// uiautomationcore.dll's calls, taken by name: MinGW has no import library
// for it, and a system without a call (Wine has no notifications) still
// gets the rest.
class UiaCalls {
 public:
  // Loaded once for the process and never freed: the library holds the
  // provider objects it was given and releases them when it sees fit, from
  // its own code, after the window and its host are gone. Unloading it then
  // would pull the code from under that release.
  UiaCalls() : module_(LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!module_) return;
    take(return_provider, "UiaReturnRawElementProvider");
    take(host_provider, "UiaHostProviderFromHwnd");
    take(raise_event, "UiaRaiseAutomationEvent");
    take(raise_property, "UiaRaiseAutomationPropertyChangedEvent");
    take(raise_structure, "UiaRaiseStructureChangedEvent");
    take(raise_notification, "UiaRaiseNotificationEvent");
    take(clients_listening, "UiaClientsAreListening");
    take(disconnect, "UiaDisconnectProvider");
  }

  LRESULT(WINAPI* return_provider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*) = nullptr;
  HRESULT(WINAPI* host_provider)(HWND, IRawElementProviderSimple**) = nullptr;
  HRESULT(WINAPI* raise_event)(IRawElementProviderSimple*, EVENTID) = nullptr;
  HRESULT(WINAPI* raise_property)(IRawElementProviderSimple*, PROPERTYID, VARIANT, VARIANT) = nullptr;
  HRESULT(WINAPI* raise_structure)(IRawElementProviderSimple*, int, int*, int) = nullptr;
  HRESULT(WINAPI* raise_notification)(IRawElementProviderSimple*, int, int, BSTR, BSTR) = nullptr;
  BOOL(WINAPI* clients_listening)() = nullptr;
  HRESULT(WINAPI* disconnect)(IRawElementProviderSimple*) = nullptr;

  bool listening() const { return clients_listening && clients_listening(); }

 private:
  template <class F>
  void take(F& call, const char* name) {
    call = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_;
};

const UiaCalls& uia_calls() {
  static const UiaCalls calls;
  return calls;
}

base::UniqueBstr bstr(std::string_view text) {
  const std::wstring wide = base::widen(text);
  base::UniqueBstr owned(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
  if (!owned) throw std::bad_alloc();
  return owned;
}

// An identifier safe for AutomationId: the key's separators as slashes.
std::string automation_id(std::string key) {
  for (char& c : key) {
    if (c == '\x1f') c = '/';
  }
  return key;
}

CONTROLTYPEID control_type(AccessRole role) {
  switch (role) {
    case AccessRole::window: return kWindow;
    case AccessRole::button: return kButton;
    case AccessRole::edit: return kEdit;
    case AccessRole::list: return kList;
    case AccessRole::list_item: return kListItem;
    case AccessRole::text: break;
  }
  return kText;
}

class Element;

}  // namespace

// What the window and the provider objects share: the window, the snapshot
// and the queue. UI Automation calls the objects on the window's thread (see
// get_ProviderOptions), so none of it needs a lock.
class AccessHost {
 public:
  explicit AccessHost(HWND window) : window(window) {}

  HWND window;  // null once the window is gone
  const UiaCalls& calls = uia_calls();
  // The root as WM_GETOBJECT hands it out, kept to be disconnected when the
  // window goes (it holds this host: the window's end breaks the cycle).
  Microsoft::WRL::ComPtr<IRawElementProviderSimple> root;
  AccessTree tree;
  std::deque<AccessRequest> requests;

  const AccessElement* find(const std::string& key, std::size_t* index = nullptr) const {
    if (!window) return nullptr;
    const std::optional<std::size_t> found = tree.find(key);
    if (!found) return nullptr;
    if (index) *index = *found;
    return &tree.elements[*found];
  }

  HRESULT request(AccessRequest::Kind kind, const std::string& key) {
    if (!find(key)) return kElementNotAvailable;
    requests.push_back({kind, key});
    PostMessageW(window, kMsgAccessRequest, 0, 0);
    return S_OK;
  }
};

namespace {

class Element final : public IRawElementProviderSimple,
                      public IRawElementProviderFragment,
                      public IRawElementProviderFragmentRoot,
                      public InvokePattern,
                      public SelectionPattern,
                      public SelectionItemPattern {
 public:
  Element(std::shared_ptr<AccessHost> host, std::string key) : host_(std::move(host)), key_(std::move(key)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return base::com_boundary("IUnknown::QueryInterface", [&]() -> HRESULT {
      if (!out) return E_POINTER;
      *out = nullptr;
      const AccessElement* e = host_->find(key_);
      if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple)) {
        *out = static_cast<IRawElementProviderSimple*>(this);
      } else if (iid == __uuidof(IRawElementProviderFragment)) {
        *out = static_cast<IRawElementProviderFragment*>(this);
      } else if (iid == __uuidof(IRawElementProviderFragmentRoot) && is_root()) {
        *out = static_cast<IRawElementProviderFragmentRoot*>(this);
      } else if (iid == kIidInvoke && e && e->invokable) {
        *out = static_cast<InvokePattern*>(this);
      } else if (iid == kIidSelection && e && e->role == AccessRole::list) {
        *out = static_cast<SelectionPattern*>(this);
      } else if (iid == kIidSelectionItem && e && e->selectable) {
        *out = static_cast<SelectionItemPattern*>(this);
      }
      if (!*out) return E_NOINTERFACE;
      AddRef();
      return S_OK;
    });
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* result) override {
    if (!result) return E_POINTER;
    // COM's threading: a reader's calls, which UI Automation receives on
    // threads of its own, reach these objects on the thread they were made
    // on, the window's (an STA, as OleInitialize made it), between its
    // messages. The snapshot and the queue they read and fill are the
    // window's, so they need no lock; without this option the calls would
    // come on UI Automation's threads while the window replaces the snapshot.
    *result = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider | ProviderOptions_UseComThreading);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** result) override {
    return base::com_boundary("IRawElementProviderSimple::GetPatternProvider", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      if (!host_->find(key_)) return kElementNotAvailable;
      const IID* iid = pattern == UIA_InvokePatternId          ? &kIidInvoke
                       : pattern == UIA_SelectionPatternId     ? &kIidSelection
                       : pattern == UIA_SelectionItemPatternId ? &kIidSelectionItem
                                                               : nullptr;
      if (iid) QueryInterface(*iid, reinterpret_cast<void**>(result));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* result) override {
    return base::com_boundary("IRawElementProviderSimple::GetPropertyValue", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      VariantInit(result);
      std::size_t index = 0;
      const AccessElement* e = host_->find(key_, &index);
      if (!e) return kElementNotAvailable;
      auto text = [&](std::string_view value) {
        if (value.empty()) return;
        result->bstrVal = bstr(value).release();
        result->vt = VT_BSTR;
      };
      auto flag = [&](bool value) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
      };
      switch (property) {
        case UIA_ControlTypePropertyId:
          result->vt = VT_I4;
          result->lVal = control_type(e->role);
          break;
        case UIA_NamePropertyId: text(e->name); break;
        case UIA_HelpTextPropertyId: text(e->help); break;
        case UIA_ItemStatusPropertyId: text(e->status); break;
        case UIA_AutomationIdPropertyId:
          if (!is_root()) text(automation_id(e->key));
          break;
        case UIA_FrameworkIdPropertyId: text("tolvik"); break;
        case UIA_IsEnabledPropertyId: flag(true); break;
        case UIA_IsKeyboardFocusablePropertyId: flag(e->invokable || e->selectable); break;
        case UIA_HasKeyboardFocusPropertyId:
          flag(host_->tree.focus == index && ::GetFocus() == host_->window);
          break;
        case UIA_LiveSettingPropertyId:
          if (e->live) {
            result->vt = VT_I4;
            result->lVal = kLiveSettingPolite;
          }
          break;
        case kIsSelectedProperty:
          if (e->selectable) flag(e->selected);
          break;
        default: break;
      }
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** result) override {
    return base::com_boundary("IRawElementProviderSimple::get_HostRawElementProvider", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      // Only the root stands for the window; UI Automation takes the window's
      // own properties (title, position, process) from this host.
      if (!is_root() || !host_->window || !host_->calls.host_provider) return S_OK;
      return host_->calls.host_provider(host_->window, result);
    });
  }

  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** result) override {
    return base::com_boundary("IRawElementProviderFragment::Navigate", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      std::size_t index = 0;
      const AccessElement* e = host_->find(key_, &index);
      if (!e) return kElementNotAvailable;
      const AccessTree& tree = host_->tree;
      std::optional<std::size_t> target;
      switch (direction) {
        case NavigateDirection_Parent:
          target = e->parent;
          break;
        case NavigateDirection_FirstChild:
        case NavigateDirection_LastChild: {
          const std::vector<std::size_t> children = reachable_children(index);
          if (!children.empty()) target = direction == NavigateDirection_FirstChild ? children.front() : children.back();
          break;
        }
        case NavigateDirection_NextSibling:
        case NavigateDirection_PreviousSibling: {
          if (!e->parent) break;
          const std::vector<std::size_t> siblings = reachable_children(*e->parent);
          for (std::size_t i = 0; i < siblings.size(); ++i) {
            if (siblings[i] != index) continue;
            if (direction == NavigateDirection_NextSibling && i + 1 < siblings.size()) target = siblings[i + 1];
            if (direction == NavigateDirection_PreviousSibling && i > 0) target = siblings[i - 1];
          }
          break;
        }
      }
      if (target) *result = fragment(tree.elements[*target].key);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** result) override {
    return base::com_boundary("IRawElementProviderFragment::GetRuntimeId", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      if (!host_->find(key_)) return kElementNotAvailable;
      if (is_root()) return S_OK;  // the window's host gives the root its id
      const std::array<int, 2> id = access_runtime_id(key_);
      const int parts[] = {kAppendRuntimeId, id[0], id[1]};
      SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 3);
      if (!array) return E_OUTOFMEMORY;
      for (LONG i = 0; i < 3; ++i) SafeArrayPutElement(array, &i, const_cast<int*>(&parts[i]));
      *result = array;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* result) override {
    return base::com_boundary("IRawElementProviderFragment::get_BoundingRectangle", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = {};
      const AccessElement* e = host_->find(key_);
      if (!e) return kElementNotAvailable;
      if (is_root()) return S_OK;  // the window's host has the window's rectangle
      // The layout is in pixels of the client area at the window's DPI, which
      // are the screen's pixels: only the origin moves.
      POINT origin{0, 0};
      ClientToScreen(host_->window, &origin);
      *result = {origin.x + static_cast<double>(e->rect.x), origin.y + static_cast<double>(e->rect.y),
                 static_cast<double>(e->rect.w), static_cast<double>(e->rect.h)};
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFocus() override { return request("IRawElementProviderFragment::SetFocus", AccessRequest::Kind::focus); }
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** result) override {
    return base::com_boundary("IRawElementProviderFragment::get_FragmentRoot", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      if (!host_->find(key_)) return kElementNotAvailable;
      *result = new Element(host_, host_->tree.elements.front().key);
      return S_OK;
    });
  }

  // IRawElementProviderFragmentRoot
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment** result) override {
    return base::com_boundary("IRawElementProviderFragmentRoot::ElementProviderFromPoint", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      if (!host_->find(key_)) return kElementNotAvailable;
      POINT point{static_cast<LONG>(x), static_cast<LONG>(y)};
      ScreenToClient(host_->window, &point);
      // The deepest element there: children come after their parents.
      const AccessTree& tree = host_->tree;
      std::size_t hit = 0;
      for (std::size_t i = 1; i < tree.elements.size(); ++i) {
        const AccessElement& e = tree.elements[i];
        if (!e.native && e.rect.contains(static_cast<float>(point.x), static_cast<float>(point.y))) hit = i;
      }
      *result = fragment(tree.elements[hit].key);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** result) override {
    return base::com_boundary("IRawElementProviderFragmentRoot::GetFocus", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      if (!host_->find(key_)) return kElementNotAvailable;
      const AccessTree& tree = host_->tree;
      if (tree.focus && *tree.focus != 0 && !tree.elements[*tree.focus].native) {
        *result = fragment(tree.elements[*tree.focus].key);
      }
      return S_OK;
    });
  }

  // Invoke
  HRESULT STDMETHODCALLTYPE Invoke() override { return request("IInvokeProvider::Invoke", AccessRequest::Kind::invoke); }

  // Selection (a list)
  HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** result) override {
    return base::com_boundary("ISelectionProvider::GetSelection", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      std::size_t index = 0;
      if (!host_->find(key_, &index)) return kElementNotAvailable;
      std::vector<std::size_t> selected;
      for (std::size_t child : host_->tree.children(index)) {
        if (host_->tree.elements[child].selected) selected.push_back(child);
      }
      SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, static_cast<ULONG>(selected.size()));
      if (!array) return E_OUTOFMEMORY;
      for (LONG i = 0; i < static_cast<LONG>(selected.size()); ++i) {
        IRawElementProviderSimple* item = new Element(host_, host_->tree.elements[selected[i]].key);
        SafeArrayPutElement(array, &i, static_cast<IUnknown*>(item));  // takes its own reference
        item->Release();
      }
      *result = array;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* result) override {
    if (!result) return E_POINTER;
    *result = FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* result) override {
    if (!result) return E_POINTER;
    *result = FALSE;
    return S_OK;
  }

  // SelectionItem (a row)
  HRESULT STDMETHODCALLTYPE Select() override { return request("ISelectionItemProvider::Select", AccessRequest::Kind::select); }
  HRESULT STDMETHODCALLTYPE AddToSelection() override {
    // One row at a time: adding is selecting.
    return request("ISelectionItemProvider::AddToSelection", AccessRequest::Kind::select);
  }
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override {
    return base::com_boundary("ISelectionItemProvider::RemoveFromSelection", [&]() -> HRESULT {
      const AccessElement* e = host_->find(key_);
      if (!e) return kElementNotAvailable;
      return e->selected ? kInvalidOperation : S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* result) override {
    return base::com_boundary("ISelectionItemProvider::get_IsSelected", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      const AccessElement* e = host_->find(key_);
      if (!e) return kElementNotAvailable;
      *result = e->selected;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** result) override {
    return base::com_boundary("ISelectionItemProvider::get_SelectionContainer", [&]() -> HRESULT {
      if (!result) return E_POINTER;
      *result = nullptr;
      const AccessElement* e = host_->find(key_);
      if (!e) return kElementNotAvailable;
      if (e->parent) *result = new Element(host_, host_->tree.elements[*e->parent].key);
      return S_OK;
    });
  }

 private:
  bool is_root() const { return key_ == "window"; }

  // What a reader asks the element to do, queued for the window.
  HRESULT request(std::string_view step, AccessRequest::Kind kind) {
    return base::com_boundary(step, [&] { return host_->request(kind, key_); });
  }

  // The children a client walks to: a native field is reached through its
  // own window, which UI Automation adds as a child of this one by itself.
  std::vector<std::size_t> reachable_children(std::size_t parent) const {
    std::vector<std::size_t> children = host_->tree.children(parent);
    std::erase_if(children, [&](std::size_t i) { return host_->tree.elements[i].native; });
    return children;
  }

  IRawElementProviderFragment* fragment(const std::string& key) const { return new Element(host_, key); }

  std::shared_ptr<AccessHost> host_;
  std::string key_;
  std::atomic<ULONG> references_{1};
};

// A provider for an element of the snapshot, for raising an event about it.
Microsoft::WRL::ComPtr<IRawElementProviderSimple> event_source(const std::shared_ptr<AccessHost>& host,
                                                               const std::string& key) {
  Microsoft::WRL::ComPtr<IRawElementProviderSimple> source;
  source.Attach(new Element(host, key));
  return source;
}

}  // namespace

UiaProvider::UiaProvider(HWND window) : host_(std::make_shared<AccessHost>(window)) {
  AccessElement root;
  root.role = AccessRole::window;
  root.key = "window";
  host_->tree.elements.push_back(std::move(root));
}

UiaProvider::~UiaProvider() {
  HWND window = std::exchange(host_->window, nullptr);
  // Clients still holding objects get "not available"; the system forgets the root.
  if (host_->calls.return_provider && window) host_->calls.return_provider(window, 0, 0, nullptr);
  if (const Microsoft::WRL::ComPtr<IRawElementProviderSimple> root = std::move(host_->root)) {
    if (host_->calls.disconnect) host_->calls.disconnect(root.Get());
  }
  host_->requests.clear();
}

Microsoft::WRL::ComPtr<IRawElementProviderSimple> UiaProvider::root() {
  if (!host_->root) host_->root.Attach(new Element(host_, "window"));
  return host_->root;
}

const AccessTree& UiaProvider::snapshot() const { return host_->tree; }

LRESULT UiaProvider::answer_get_object(WPARAM wparam, LPARAM lparam) {
  const auto object = static_cast<LONG>(lparam);
  if (!host_->window || !host_->calls.return_provider) return 0;
  if (object != kRootObjectId && object != OBJID_CLIENT) return 0;
  return host_->calls.return_provider(host_->window, wparam, lparam, root().Get());
}

std::deque<AccessRequest> UiaProvider::take_requests() { return std::exchange(host_->requests, {}); }

void UiaProvider::refresh(AccessTree tree) {
  if (tree == host_->tree) return;
  AccessTree old = std::exchange(host_->tree, std::move(tree));
  // Told against the tree clients last heard of, when several frames come before the events go.
  if (!told_) told_ = std::move(old);
}

void UiaProvider::raise_events() {
  if (!told_) return;
  const AccessTree old = std::move(*told_);
  told_.reset();
  const UiaCalls& calls = host_->calls;
  if (!host_->window || !calls.listening()) return;
  for (const AccessEvent& event : access_events(old, host_->tree)) {
    const Microsoft::WRL::ComPtr<IRawElementProviderSimple> source = event_source(host_, event.key);
    switch (event.kind) {
      case AccessEvent::Kind::children_changed:
        if (calls.raise_structure) {
          const std::array<int, 2> id = access_runtime_id(event.key);
          int parts[] = {kAppendRuntimeId, id[0], id[1]};
          calls.raise_structure(source.Get(), kChildrenInvalidated, parts, 3);
        }
        break;
      case AccessEvent::Kind::name_changed:
      case AccessEvent::Kind::status_changed:
        if (calls.raise_property) {
          const base::Variant old_value(bstr(event.before)), new_value(bstr(event.after));
          calls.raise_property(source.Get(),
                               event.kind == AccessEvent::Kind::name_changed ? UIA_NamePropertyId
                                                                             : UIA_ItemStatusPropertyId,
                               old_value.get(), new_value.get());
        }
        break;
      case AccessEvent::Kind::selected:
        if (calls.raise_event) calls.raise_event(source.Get(), kElementSelectedEvent);
        break;
      case AccessEvent::Kind::announced:
        if (calls.raise_notification) {
          const base::UniqueBstr text = bstr(event.after), activity = bstr("tolvik.toast");
          calls.raise_notification(source.Get(), kNotificationActionCompleted, kNotificationMostRecent, text.get(),
                                   activity.get());
        } else if (calls.raise_event) {
          // Where Windows has no notification event, the toast is a live region that changed.
          calls.raise_event(source.Get(), kLiveRegionChangedEvent);
        }
        break;
      case AccessEvent::Kind::focus_moved:
        // Only while the view itself has the keyboard, not a field or another program.
        if (::GetFocus() == host_->window && calls.raise_event) calls.raise_event(source.Get(), kFocusChangedEvent);
        break;
    }
  }
}

}  // namespace app
