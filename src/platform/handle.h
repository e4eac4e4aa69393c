// Move-only owners of Win32 resources. Each alias names the value that means
// "no resource" and the function that releases one, so that a CreateFileW
// result (INVALID_HANDLE_VALUE) cannot be mixed up with an OpenProcess result
// (NULL).
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <utility>

namespace orvelle::platform {

// Traits name the resource type, the value that means "none", how to tell a
// valid value, and how to release one.
template <typename Traits>
class unique_any {
 public:
  using value_type = typename Traits::type;

  unique_any() noexcept = default;
  explicit unique_any(value_type value) noexcept : value_(value) {}
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  value_type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::valid(value_); }

  // Gives up ownership; the caller releases the resource.
  value_type release() noexcept { return std::exchange(value_, Traits::invalid()); }

  void reset(value_type value = Traits::invalid()) noexcept {
    value_type old = std::exchange(value_, value);
    if (Traits::valid(old)) Traits::close(old);
  }

  // For APIs that return the resource through an out parameter.
  value_type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  value_type value_ = Traits::invalid();
};

// Handles whose failure value is NULL (OpenProcess, CreateEventW, icons...).
template <typename T, void (*Close)(T)>
struct null_traits {
  using type = T;
  static T invalid() noexcept { return nullptr; }
  static bool valid(T value) noexcept { return value != nullptr; }
  static void close(T value) noexcept { Close(value); }
};

// Handles whose failure value is INVALID_HANDLE_VALUE (CreateFileW,
// FindFirstFileW, CreateToolhelp32Snapshot); NULL is never valid either.
template <void (*Close)(HANDLE)>
struct invalid_handle_traits {
  using type = HANDLE;
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool valid(HANDLE value) noexcept {
    return value != INVALID_HANDLE_VALUE && value != nullptr;
  }
  static void close(HANDLE value) noexcept { Close(value); }
};

namespace detail {
inline void CloseHandleOf(HANDLE h) noexcept { ::CloseHandle(h); }
inline void FindCloseOf(HANDLE h) noexcept { ::FindClose(h); }
inline void DestroyIconOf(HICON h) noexcept { ::DestroyIcon(h); }
inline void FreeLibraryOf(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void RegCloseKeyOf(HKEY h) noexcept { ::RegCloseKey(h); }
inline void DestroyWindowOf(HWND h) noexcept { ::DestroyWindow(h); }
}  // namespace detail

using unique_hfile = unique_any<invalid_handle_traits<detail::CloseHandleOf>>;
using unique_snapshot = unique_hfile;
using unique_hfind = unique_any<invalid_handle_traits<detail::FindCloseOf>>;
using unique_handle = unique_any<null_traits<HANDLE, detail::CloseHandleOf>>;
using unique_process = unique_handle;
using unique_hicon = unique_any<null_traits<HICON, detail::DestroyIconOf>>;
using unique_hmodule = unique_any<null_traits<HMODULE, detail::FreeLibraryOf>>;
using unique_hkey = unique_any<null_traits<HKEY, detail::RegCloseKeyOf>>;
using unique_hwnd = unique_any<null_traits<HWND, detail::DestroyWindowOf>>;

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
