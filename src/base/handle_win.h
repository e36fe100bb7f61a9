#pragma once
// One owner type per kind of Win32 resource; nothing is released by hand.

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <utility>

namespace base {

template <class Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;
  UniqueResource() = default;
  explicit UniqueResource(Type value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(std::exchange(other.value_, Traits::invalid())) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Traits::invalid()));
    return *this;
  }
  ~UniqueResource() { reset(); }

  Type get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::invalid(); }
  void reset(Type value = Traits::invalid()) {
    if (value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }
  Type release() { return std::exchange(value_, Traits::invalid()); }

 private:
  Type value_ = Traits::invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type invalid() { return nullptr; }
  static void close(Type h) { CloseHandle(h); }
};
// Handles whose "no handle" value is INVALID_HANDLE_VALUE (CreateFileW).
struct FileHandleTraits {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Type h) { CloseHandle(h); }
};
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type invalid() { return nullptr; }
  static void close(Type h) { DeleteObject(h); }
};
struct RegistryKeyTraits {
  using Type = HKEY;
  static Type invalid() { return nullptr; }
  static void close(Type h) { RegCloseKey(h); }
};

struct MenuTraits {
  using Type = HMENU;
  static Type invalid() { return nullptr; }
  static void close(Type menu) { DestroyMenu(menu); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueRegistryKey = UniqueResource<RegistryKeyTraits>;
using UniqueMenu = UniqueResource<MenuTraits>;

// CoInitializeEx / CoUninitialize for one thread.
class ComScope {
 public:
  explicit ComScope(DWORD model) : ok_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (ok_) CoUninitialize();
  }

 private:
  bool ok_;
};

// OleInitialize / OleUninitialize for one thread (drag and drop, clipboard, shell).
class OleScope {
 public:
  OleScope() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;
  ~OleScope() {
    if (ok_) OleUninitialize();
  }

 private:
  bool ok_;
};

}  // namespace base
