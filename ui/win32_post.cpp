// The posting window and its message. A record travels in the message's
// lParam. Any program can post or send the registered message to the posting
// window with any lParam, so the procedure raises only a record that this
// process posted and that has not been delivered yet: each post enters the
// set of outstanding records, and delivery takes it out before reading it.
#include "ui/win32_post.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

#include "ui/layer.h"
#include "ui/win32_foreign.h"

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

// The records posted and not yet delivered (or freed by a failed post or at
// the end). EventPost runs on any thread, so the set has a lock; it is never
// held while an event is raised.
struct Outstanding {
  std::mutex lock;
  std::unordered_set<LPARAM> records;
};

Outstanding& Posted() {
  static Outstanding& outstanding = *new Outstanding;  // posts may come during exit
  return outstanding;
}

void FreeRecord(LPARAM record) {
  HeapFree(GetProcessHeap(), 0, reinterpret_cast<PostedEventRecord*>(record));
}

// True when value named an outstanding record, which now belongs to the caller.
bool TakeOutstanding(LPARAM value) {
  Outstanding& posted = Posted();
  std::lock_guard<std::mutex> guard(posted.lock);
  return posted.records.erase(value) != 0;
}

LRESULT CALLBACK PostEventProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const UINT posting = gPostMessage.load(std::memory_order_relaxed);
  // Ours are posted (never sent), with wParam 0, and name an outstanding record.
  if (message == posting && posting != 0 && wParam == 0 && !SentByAnotherThread() &&
      TakeOutstanding(lParam)) {
    const PostedEventRecord record = *reinterpret_cast<const PostedEventRecord*>(lParam);
    FreeRecord(lParam);
    LayerEvents().EventRaise(record.code, record.object, record.window, record.type,
                             EventFlagUnsuppressed);
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
  // The messages of posts never delivered went with the window.
  Outstanding& posted = Posted();
  std::lock_guard<std::mutex> guard(posted.lock);
  for (LPARAM record : posted.records) FreeRecord(record);
  posted.records.clear();
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
  const auto value = reinterpret_cast<LPARAM>(record);
  {
    // Outstanding before the message exists: the loop's thread may take it at once.
    Outstanding& posted = Posted();
    std::lock_guard<std::mutex> guard(posted.lock);
    posted.records.insert(value);
  }
  if (!PostMessageW(target, gPostMessage.load(), 0, value)) {
    // Unless PostEventEnd freed it meanwhile, the record is still ours to free.
    if (TakeOutstanding(value)) FreeRecord(value);
    return 0;
  }
  return 1;
}

UINT PostEventMessage() { return gPostMessage.load(); }
HWND PostEventWindow() { return gPostWindow.load(); }

}  // namespace quorvel
