// Owners of Win32 resources: each closes what it holds exactly once, when it
// goes out of scope. Move-only, so ownership can be returned from a function.
#pragma once
#include <windows.h>

#include <objbase.h>
#include <utility>

// The owner of one raw resource value; Traits says what "none" is and how to close it.
template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() = default;
  explicit UniqueResource(Value v) : value_(v) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { Reset(); }

  Value Get() const { return value_; }
  bool Valid() const { return Traits::Valid(value_); }
  explicit operator bool() const { return Valid(); }

  // Gives up ownership without closing.
  Value Release() {
    Value v = value_;
    value_ = Traits::None();
    return v;
  }
  void Reset(Value v = Traits::None()) {
    if (Traits::Valid(value_)) Traits::Close(value_);
    value_ = v;
  }
  // For out-parameters of creating calls: closes what is held first.
  Value* Receive() {
    Reset();
    return &value_;
  }

 private:
  Value value_ = Traits::None();
};

// Kernel handles. Some calls report failure with null, others (CreateFile) with
// INVALID_HANDLE_VALUE: neither is ever closed.
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value None() { return nullptr; }
  static bool Valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void Close(Value v) { CloseHandle(v); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

// Search handles of FindFirstFile, closed with FindClose.
struct FindHandleTraits {
  using Value = HANDLE;
  static Value None() { return INVALID_HANDLE_VALUE; }
  static bool Valid(Value v) { return v != INVALID_HANDLE_VALUE; }
  static void Close(Value v) { FindClose(v); }
};
using FindHandle = UniqueResource<FindHandleTraits>;

struct RegKeyTraits {
  using Value = HKEY;
  static Value None() { return nullptr; }
  static bool Valid(Value v) { return v != nullptr; }
  static void Close(Value v) { RegCloseKey(v); }
};
using UniqueRegKey = UniqueResource<RegKeyTraits>;

// Buffers the system allocates for us (FormatMessage).
struct LocalMemoryTraits {
  using Value = HLOCAL;
  static Value None() { return nullptr; }
  static bool Valid(Value v) { return v != nullptr; }
  static void Close(Value v) { LocalFree(v); }
};
using LocalMemory = UniqueResource<LocalMemoryTraits>;

// A COM interface pointer, released once.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  // For the void** out-parameter of CoCreateInstance and QueryInterface.
  void** ReceiveVoid() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }

 private:
  T* p_ = nullptr;
};

// One initialisation of the component object library on this thread, undone
// when it succeeded (S_FALSE, already initialised, counts too).
class ComScope {
 public:
  ComScope() : hr_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

// The clipboard, open for the lifetime of the object when Opened() is true.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  bool Opened() const { return open_; }

 private:
  bool open_;
};

// A locked global memory block (clipboard data), unlocked at scope end.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL block) : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(block_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  const void* Data() const { return data_; }
  SIZE_T Size() const { return data_ ? GlobalSize(block_) : 0; }

 private:
  HGLOBAL block_;
  void* data_;
};
