#pragma once
// The UI Automation pattern interfaces the view's provider implements, in the
// SDK's vtable order. The MinGW headers declare only the element interfaces.
// Kept outside any unnamed namespace: the provider implements them and its
// test calls them as a client does.

#include <windows.h>
#include <oleauto.h>
#include <uiautomationcore.h>

namespace app::uia {

struct InvokePattern : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
struct SelectionPattern : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* result) = 0;
};
struct SelectionItemPattern : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** result) = 0;
};

// IInvokeProvider, ISelectionProvider, ISelectionItemProvider.
inline constexpr IID kIidInvoke = {0x54fcb24b, 0xe18e, 0x47a2, {0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2}};
inline constexpr IID kIidSelection = {0xfb8b03af, 0x3bdf, 0x48d4, {0xbd, 0x36, 0x1a, 0x65, 0x79, 0x3b, 0xe1, 0x68}};
inline constexpr IID kIidSelectionItem = {0x2acad808, 0xb2d4, 0x452d,
                                          {0xa4, 0x07, 0x91, 0xff, 0x1a, 0xd1, 0x67, 0xb2}};

}  // namespace app::uia
