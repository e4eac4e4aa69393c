// Move-only owners of Win32 resources. Each alias names the value that means
// "no resource" and the function that releases one, so that a CreateFileW
// result (INVALID_HANDLE_VALUE) cannot be mixed up with an OpenProcess result
// (NULL).
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <utility>

namespace orvelle::platform {

template <typename T, T Invalid, auto Close>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(T value) noexcept : value_(value) {}
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Invalid; }

  // Gives up ownership; the caller releases the resource.
  T release() noexcept { return std::exchange(value_, Invalid); }

  void reset(T value = Invalid) noexcept {
    T old = std::exchange(value_, value);
    if (old != Invalid) Close(old);
  }

  // For APIs that return the resource through an out parameter.
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = Invalid;
};

namespace detail {
inline void CloseHandleOf(HANDLE h) noexcept { ::CloseHandle(h); }
inline void FindCloseOf(HANDLE h) noexcept { ::FindClose(h); }
inline void DestroyIconOf(HICON h) noexcept { ::DestroyIcon(h); }
inline void FreeLibraryOf(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void RegCloseKeyOf(HKEY h) noexcept { ::RegCloseKey(h); }
inline void DestroyWindowOf(HWND h) noexcept { ::DestroyWindow(h); }
}  // namespace detail

// INVALID_HANDLE_VALUE is not a constant expression; the traits compare by value.
inline const HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;

template <auto Close>
class unique_file_handle {
 public:
  unique_file_handle() noexcept = default;
  explicit unique_file_handle(HANDLE value) noexcept : value_(value) {}
  unique_file_handle(const unique_file_handle&) = delete;
  unique_file_handle& operator=(const unique_file_handle&) = delete;
  unique_file_handle(unique_file_handle&& other) noexcept : value_(other.release()) {}
  unique_file_handle& operator=(unique_file_handle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_file_handle() { reset(); }

  HANDLE get() const noexcept { return value_; }
  explicit operator bool() const noexcept {
    return value_ != INVALID_HANDLE_VALUE && value_ != nullptr;
  }
  HANDLE release() noexcept { return std::exchange(value_, INVALID_HANDLE_VALUE); }
  void reset(HANDLE value = INVALID_HANDLE_VALUE) noexcept {
    HANDLE old = std::exchange(value_, value);
    if (old != INVALID_HANDLE_VALUE && old != nullptr) Close(old);
  }

 private:
  HANDLE value_ = INVALID_HANDLE_VALUE;
};

// CreateFileW, CreateToolhelp32Snapshot: INVALID_HANDLE_VALUE on failure.
using unique_hfile = unique_file_handle<detail::CloseHandleOf>;
using unique_snapshot = unique_file_handle<detail::CloseHandleOf>;
// FindFirstFileW: INVALID_HANDLE_VALUE on failure, released with FindClose.
using unique_hfind = unique_file_handle<detail::FindCloseOf>;
// OpenProcess, CreateEventW, CreateThread: NULL on failure.
using unique_handle = unique_any<HANDLE, nullptr, detail::CloseHandleOf>;
using unique_process = unique_handle;
using unique_hicon = unique_any<HICON, nullptr, detail::DestroyIconOf>;
using unique_hmodule = unique_any<HMODULE, nullptr, detail::FreeLibraryOf>;
using unique_hkey = unique_any<HKEY, nullptr, detail::RegCloseKeyOf>;
using unique_hwnd = unique_any<HWND, nullptr, detail::DestroyWindowOf>;

// Runs a function when the scope ends unless release() was called: the
// "roll back unless committed" of operations that change files.
template <typename F>
class scope_exit {
 public:
  explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
  scope_exit(const scope_exit&) = delete;
  scope_exit& operator=(const scope_exit&) = delete;
  ~scope_exit() {
    if (active_) f_();
  }
  void release() noexcept { active_ = false; }

 private:
  F f_;
  bool active_ = true;
};

}  // namespace orvelle::platform
