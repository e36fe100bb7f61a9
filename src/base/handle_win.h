#pragma once
// One owner type per kind of Win32 resource; nothing is released by hand.

#include <windows.h>
#include <bcrypt.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <propidl.h>

#include <cstddef>
#include <memory>
#include <new>
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
// A directory search of FindFirstFileExW.
struct FindTraits {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Type h) { FindClose(h); }
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

// A library of LoadLibraryExW, for the calls taken from it with GetProcAddress.
struct ModuleTraits {
  using Type = HMODULE;
  static Type invalid() { return nullptr; }
  static void close(Type module) { FreeLibrary(module); }
};

struct IconTraits {
  using Type = HICON;
  static Type invalid() { return nullptr; }
  static void close(Type icon) { DestroyIcon(icon); }
};

// A device context of CreateCompatibleDC (not one of GetDC, which is released).
struct MemoryDcTraits {
  using Type = HDC;
  static Type invalid() { return nullptr; }
  static void close(Type dc) { DeleteDC(dc); }
};

// Memory the system allocated for the caller with LocalAlloc (FormatMessageW).
struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type invalid() { return nullptr; }
  static void close(Type memory) { LocalFree(memory); }
};

// A string of SysAllocString, for a COM call or a VARIANT.
struct BstrTraits {
  using Type = BSTR;
  static Type invalid() { return nullptr; }
  static void close(Type text) { SysFreeString(text); }
};

struct BcryptAlgorithmTraits {
  using Type = BCRYPT_ALG_HANDLE;
  static Type invalid() { return nullptr; }
  static void close(Type algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct BcryptHashTraits {
  using Type = BCRYPT_HASH_HANDLE;
  static Type invalid() { return nullptr; }
  static void close(Type hash) { BCryptDestroyHash(hash); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueRegistryKey = UniqueResource<RegistryKeyTraits>;
using UniqueMenu = UniqueResource<MenuTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;
using UniqueBstr = UniqueResource<BstrTraits>;
using UniqueBcryptAlgorithm = UniqueResource<BcryptAlgorithmTraits>;
using UniqueBcryptHash = UniqueResource<BcryptHashTraits>;

// Memory a COM or shell call allocated for the caller (a PWSTR of
// SHGetKnownFolderPath, an item id list), freed with CoTaskMemFree.
template <class T>
class CoTaskMem {
 public:
  CoTaskMem() = default;
  CoTaskMem(const CoTaskMem&) = delete;
  CoTaskMem& operator=(const CoTaskMem&) = delete;
  ~CoTaskMem() { CoTaskMemFree(value_); }

  T* get() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  // For the call's out parameter; frees what was held before.
  T** put() {
    CoTaskMemFree(std::exchange(value_, nullptr));
    return &value_;
  }

 private:
  T* value_ = nullptr;
};

struct PropVariantTraits {
  using Type = PROPVARIANT;
  static void init(Type* value) { PropVariantInit(value); }
  static void clear(Type* value) { PropVariantClear(value); }
};
struct VariantTraits {
  using Type = VARIANT;
  static void init(Type* value) { VariantInit(value); }
  static void clear(Type* value) { VariantClear(value); }
};

// A PROPVARIANT or VARIANT, cleared (with whatever it holds) when it goes.
template <class Traits>
class ClearedValue {
 public:
  using Type = typename Traits::Type;
  ClearedValue() { Traits::init(&value_); }
  ClearedValue(const ClearedValue&) = delete;
  ClearedValue& operator=(const ClearedValue&) = delete;
  ~ClearedValue() { Traits::clear(&value_); }

  const Type& get() const { return value_; }
  // For the call's out parameter; clears what was held before.
  Type* put() {
    Traits::clear(&value_);
    return &value_;
  }

 protected:
  Type value_;
};

using PropVariant = ClearedValue<PropVariantTraits>;

class Variant : public ClearedValue<VariantTraits> {
 public:
  Variant() = default;
  // Holds the string, which it frees.
  explicit Variant(UniqueBstr text) {
    value_.vt = VT_BSTR;
    value_.bstrVal = text.release();
  }
};

// A storage medium that IDataObject::GetData filled; ReleaseStgMedium frees
// its memory (or leaves it to the data object when pUnkForRelease says so).
class StgMedium {
 public:
  StgMedium() = default;
  explicit StgMedium(const STGMEDIUM& filled) : medium_(filled) {}
  StgMedium(const StgMedium&) = delete;
  StgMedium& operator=(const StgMedium&) = delete;
  StgMedium(StgMedium&& other) noexcept : medium_(std::exchange(other.medium_, STGMEDIUM{})) {}
  StgMedium& operator=(StgMedium&& other) noexcept {
    if (this != &other) {
      reset();
      medium_ = std::exchange(other.medium_, STGMEDIUM{});
    }
    return *this;
  }
  ~StgMedium() { reset(); }

  // The memory block of a TYMED_HGLOBAL medium; null for any other kind.
  HGLOBAL global() const { return medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

 private:
  void reset() {
    if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
    medium_ = STGMEDIUM{};
  }

  STGMEDIUM medium_{};
};

// GlobalLock / GlobalUnlock of a memory block for as long as it is read.
class GlobalMemoryLock {
 public:
  explicit GlobalMemoryLock(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  GlobalMemoryLock(const GlobalMemoryLock&) = delete;
  GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;
  ~GlobalMemoryLock() {
    if (data_ != nullptr) GlobalUnlock(memory_);
  }

  // Null when the block could not be locked (GetLastError says why).
  const void* data() const { return data_; }
  std::size_t size() const { return GlobalSize(memory_); }

 private:
  HGLOBAL memory_;
  void* data_;
};

// OpenClipboard / CloseClipboard: the clipboard is the whole desktop's, so it
// is held no longer than one read.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }

  // False when another program holds the clipboard (GetLastError says why).
  bool is_open() const { return open_; }

 private:
  bool open_;
};

// A process start's attribute list (InitializeProcThreadAttributeList) in
// memory of its own, deleted with DeleteProcThreadAttributeList.
class ProcThreadAttributeList {
 public:
  ProcThreadAttributeList() = default;
  ProcThreadAttributeList(const ProcThreadAttributeList&) = delete;
  ProcThreadAttributeList& operator=(const ProcThreadAttributeList&) = delete;
  ~ProcThreadAttributeList() {
    if (ready_) DeleteProcThreadAttributeList(get());
  }

  // Room for `count` attributes; false when the system refused (GetLastError says why).
  bool init(DWORD count) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, count, 0, &size);
    if (size == 0) return false;
    storage_.reset(new (std::nothrow) std::byte[size]);
    if (!storage_) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    ready_ = InitializeProcThreadAttributeList(get(), count, 0, &size) != FALSE;
    return ready_;
  }
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.get()); }

 private:
  std::unique_ptr<std::byte[]> storage_;
  bool ready_ = false;
};

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

// A named mutex, owned from a successful wait until ReleaseMutex.
class HeldMutex {
 public:
  // Waits up to `timeout_ms` for the mutex of that name (created when none
  // exists); held() tells whether it was won (an abandoned one counts).
  HeldMutex(const wchar_t* name, DWORD timeout_ms) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
    if (!mutex_) return;
    const DWORD waited = WaitForSingleObject(mutex_.get(), timeout_ms);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  HeldMutex(const HeldMutex&) = delete;
  HeldMutex& operator=(const HeldMutex&) = delete;
  ~HeldMutex() {
    if (held_) ReleaseMutex(mutex_.get());
  }
  bool held() const { return held_; }

 private:
  UniqueHandle mutex_;
  bool held_ = false;
};

}  // namespace base
