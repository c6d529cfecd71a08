// Owned Win32 handles: one move-only template with one alias per kind of
// handle, and a scope guard for unwinds of several steps.
#pragma once

#include <windows.h>

#include <utility>

#include "ui/win32_foreign.h"

namespace quorvel {

// Owns one handle and frees it with Free when it goes. A null handle is
// never freed. Copying is deleted: one owner per handle.
template <typename Handle, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  // Gives up ownership: the caller (or the system) frees the handle now.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, nullptr); }
  // Frees the handle held, if any, and takes the new one. The old handle is
  // let go before it is freed, so a window's own procedure may reset it.
  void reset(Handle handle = nullptr) noexcept {
    if (Handle old = std::exchange(handle_, handle); old != nullptr) Free(old);
  }

 private:
  Handle handle_ = nullptr;
};

namespace handle_free {
inline void Window(HWND window) { DestroyOwnWindow(window); }
inline void Accelerator(HACCEL table) { DestroyAcceleratorTable(table); }
inline void GdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void Icon(HICON icon) { DestroyIcon(icon); }
inline void Global(HGLOBAL block) { GlobalFree(block); }
inline void Module(HMODULE module) { FreeLibrary(module); }
inline void Hook(HHOOK hook) { UnhookWindowsHookEx(hook); }
inline void Kernel(HANDLE object) { CloseHandle(object); }
}  // namespace handle_free

// Windows of this thread, destroyed with DestroyOwnWindow.
using UniqueWindow = UniqueHandle<HWND, handle_free::Window>;
using UniqueAccelerator = UniqueHandle<HACCEL, handle_free::Accelerator>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, handle_free::GdiObject>;
using UniqueIcon = UniqueHandle<HICON, handle_free::Icon>;
// A global memory block this program still owns: released to the clipboard
// once SetClipboardData accepted it, freed otherwise.
using UniqueGlobal = UniqueHandle<HGLOBAL, handle_free::Global>;
using UniqueModule = UniqueHandle<HMODULE, handle_free::Module>;
using UniqueHook = UniqueHandle<HHOOK, handle_free::Hook>;
// Kernel objects (events, threads): closing a thread's handle does not end it.
using UniqueKernel = UniqueHandle<HANDLE, handle_free::Kernel>;

// Runs an undo step when the scope ends, unless dismissed: for unwinds of
// several steps (an owner enabled again, a clipboard closed, a block unlocked).
template <typename Undo>
class ScopeGuard {
 public:
  explicit ScopeGuard(Undo undo) noexcept : undo_(std::move(undo)) {}
  ~ScopeGuard() {
    if (armed_) undo_();
  }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;
  void Dismiss() noexcept { armed_ = false; }

 private:
  Undo undo_;
  bool armed_ = true;
};

}  // namespace quorvel
