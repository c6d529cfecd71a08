// The queue filter and the sent-message test behind win32_foreign.h.
#include "ui/win32_foreign.h"

#include <optional>

#include "ui/win32_failure.h"
#include "ui/win32_gadget.h"
#include "ui/win32_state.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

// How deep this thread is in DestroyOwnWindow calls: state of each thread,
// not of the process.
thread_local int gDestroying = 0;

constexpr UINT kWmSysTimer = 0x0118;  // the system's own timer message

// The kind of window the program made that window is, or none for a window
// it did not make. The registries know the numbered windows and the gadgets.
std::optional<ForeignTarget> OwnWindowKind(HWND window) {
  Win32Layer& layer = Layer();
  if (window == layer.posting.window.load() || window == layer.clipboard.window.get() ||
      WindowNumberOfHandle(window) != -1 || GadgetFromHandle(window) != nullptr) {
    return ForeignTarget::Window;
  }
  if (HWND dialog = layer.requester.dialog.get();
      dialog != nullptr && (window == dialog || IsChild(dialog, window))) {
    return ForeignTarget::Dialog;
  }
  return std::nullopt;
}

// NOTE: a WH_GETMESSAGE hook may change the message that GetMessage or
// PeekMessage is about to return; a refused one becomes WM_NULL, which every
// procedure ignores. It runs for PM_NOREMOVE peeks too, and again when the
// message is finally removed.
LRESULT CALLBACK FilterQueuedMessage(int code, WPARAM removal, LPARAM lParam) {
  if (code == HC_ACTION && lParam != 0) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    // The program's windows refuse the most; most messages are let through
    // before their window is looked up.
    if (msg->hwnd != nullptr &&
        ForeignMessageRefused(msg->message, msg->lParam, ForeignRoute::Posted,
                              ForeignTarget::Window)) {
      const std::optional<ForeignTarget> kind = OwnWindowKind(msg->hwnd);
      if (kind && ForeignMessageRefused(msg->message, msg->lParam, ForeignRoute::Posted, *kind)) {
        msg->message = WM_NULL;
        msg->wParam = 0;
        msg->lParam = 0;
      }
    }
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

// The filter is touched only by the thread that started it.
void ForeignMessageFilterStart() {
  UniqueHook& filter = Layer().filter;
  if (filter) return;
  filter.reset(
      SetWindowsHookExW(WH_GETMESSAGE, FilterQueuedMessage, nullptr, GetCurrentThreadId()));
  if (!filter) Win32Failure("SetWindowsHookExW");
}

void ForeignMessageFilterEnd() { Layer().filter.reset(); }

bool SentByAnotherThread() {
  return (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0;
}

bool ForeignSendRefused(UINT message, LPARAM lParam, ForeignTarget target) {
  if (gDestroying > 0 && (message == WM_DESTROY || message == WM_NCDESTROY)) return false;
  return ForeignMessageRefused(message, static_cast<int64_t>(lParam), ForeignRoute::Sent,
                               target) &&
         SentByAnotherThread();
}

bool ForeignThreadTimer(const MSG& msg) {
  return msg.hwnd == nullptr && (msg.message == WM_TIMER || msg.message == kWmSysTimer) &&
         msg.lParam != 0;
}

BOOL DestroyOwnWindow(HWND window) {
  ++gDestroying;
  const BOOL destroyed = DestroyWindow(window);
  --gDestroying;
  return destroyed;
}

}  // namespace quorvel
