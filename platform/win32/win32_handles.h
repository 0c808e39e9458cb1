// Owners for the Win32 handle kinds the program uses: each closes its handle exactly
// once, when it goes out of scope, with the function that handle kind needs.
#pragma once

#include <utility>

#include "platform/win32/windows_include.h"

namespace zorvane::win32 {

// Owns one handle of type `Handle`; `Traits::kInvalid()` is the "no handle" value and
// `Traits::Close(h)` releases a valid one.
template <typename Handle, typename Traits>
class UniqueHandle final {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::kInvalid(); }
  explicit operator bool() const { return valid(); }
  // For out-parameters of the functions that open the handle.
  Handle* out() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Traits::kInvalid()); }
  void reset(Handle handle = Traits::kInvalid()) {
    if (valid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::kInvalid();
};

struct RegKeyTraits {
  static HKEY kInvalid() { return nullptr; }
  static void Close(HKEY key) { ::RegCloseKey(key); }
};
// A file or other kernel object from CreateFileA and the like (invalid: INVALID_HANDLE_VALUE).
struct FileHandleTraits {
  static HANDLE kInvalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
// A process or thread handle (invalid: null).
struct KernelHandleTraits {
  static HANDLE kInvalid() { return nullptr; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
struct FindHandleTraits {
  static HANDLE kInvalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { ::FindClose(handle); }
};
struct UrlCacheFindTraits {
  static HANDLE kInvalid() { return nullptr; }
  static void Close(HANDLE handle) { ::FindCloseUrlCache(handle); }
};
struct LocalMemoryTraits {
  static HLOCAL kInvalid() { return nullptr; }
  static void Close(HLOCAL memory) { ::LocalFree(memory); }
};

using UniqueHkey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using UniqueUrlCacheFind = UniqueHandle<HANDLE, UrlCacheFindTraits>;
using UniqueLocalMemory = UniqueHandle<HLOCAL, LocalMemoryTraits>;

}  // namespace zorvane::win32
