// The posting window and its message. A record travels in the message's
// lParam: it belongs to the message once PostMessageW accepted it, and the
// posting window's procedure frees it after raising the event.
#include "ui/win32_post.h"

#include <atomic>

#include "ui/layer.h"

namespace quorvel {

namespace {

constexpr wchar_t kPostClass[] = L"PostEventClass";

struct PostedEventRecord {
  int32_t code;
  int64_t object;
  int64_t window;
  int64_t type;
};

// Written on the loop's thread at start and end, read by posting threads.
std::atomic<HWND> gPostWindow{nullptr};
std::atomic<UINT> gPostMessage{0};

LRESULT CALLBACK PostEventProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == gPostMessage.load(std::memory_order_relaxed) && message != 0 && lParam != 0) {
    auto* record = reinterpret_cast<PostedEventRecord*>(lParam);
    LayerEvents().EventRaise(record->code, record->object, record->window, record->type,
                             EventFlagUnsuppressed);
    HeapFree(GetProcessHeap(), 0, record);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void PostEventStart() {
  if (gPostWindow.load() != nullptr) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = PostEventProcedure;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kPostClass;
  RegisterClassW(&wc);
  gPostWindow.store(CreateWindowExW(0, kPostClass, nullptr, WS_CAPTION, 0, 0, 1, 1, nullptr,
                                    nullptr, instance, nullptr));
  gPostMessage.store(RegisterWindowMessageW(L"QV_PostEventMessage"));
}

void PostEventEnd() {
  HWND window = gPostWindow.exchange(nullptr);
  if (window == nullptr) return;
  DestroyWindow(window);
  UnregisterClassW(kPostClass, GetModuleHandleW(nullptr));
}

int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) {
  // PostMessageW with a null window would post a thread message that no
  // procedure frees: without a posting window nothing is posted.
  HWND target = gPostWindow.load();
  if (target == nullptr) return 0;
  auto* record = static_cast<PostedEventRecord*>(
      HeapAlloc(GetProcessHeap(), 0, sizeof(PostedEventRecord)));
  if (record == nullptr) return 0;
  *record = {code, object, window, type};
  if (!PostMessageW(target, gPostMessage.load(), 0, reinterpret_cast<LPARAM>(record))) {
    HeapFree(GetProcessHeap(), 0, record);
    return 0;
  }
  return 1;
}

UINT PostEventMessage() { return gPostMessage.load(); }
HWND PostEventWindow() { return gPostWindow.load(); }

}  // namespace quorvel
