// The posting window and its message. A record travels in the message's
// lParam. Any program can post or send the registered message to the posting
// window with any lParam, so the procedure raises only a record that this
// process posted and that has not been delivered yet: each post enters the
// set of outstanding records, and delivery takes it out before reading it.
#include "ui/win32_post.h"

#include <mutex>

#include "ui/layer.h"
#include "ui/win32_failure.h"
#include "ui/win32_foreign.h"
#include "ui/win32_state.h"

namespace quorvel {

namespace {

constexpr wchar_t kPostClass[] = L"PostEventClass";

struct PostedEventRecord {
  int32_t code;
  int64_t object;
  int64_t window;
  int64_t type;
};

PostingPart& Posting() { return Layer().posting; }

void FreeRecord(LPARAM record) {
  HeapFree(GetProcessHeap(), 0, reinterpret_cast<PostedEventRecord*>(record));
}

// True when value named an outstanding record, which now belongs to the caller.
bool TakeOutstanding(LPARAM value) {
  PostingPart& posting = Posting();
  std::lock_guard<std::mutex> guard(posting.lock);
  return posting.records.erase(value) != 0;
}

LRESULT CALLBACK PostEventProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const UINT posting = Posting().message.load(std::memory_order_relaxed);
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
  PostingPart& posting = Posting();
  if (posting.window.load() != nullptr) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = PostEventProcedure;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kPostClass;
  if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    Win32Failure("RegisterClassW");
  }
  const HWND window = CreateWindowExW(0, kPostClass, nullptr, WS_CAPTION, 0, 0, 1, 1, nullptr,
                                      nullptr, instance, nullptr);
  if (window == nullptr) Win32Failure("CreateWindowExW");
  posting.window.store(window);
  const UINT message = RegisterWindowMessageW(L"QV_PostEventMessage");
  if (message == 0) Win32Failure("RegisterWindowMessageW");
  posting.message.store(message);
}

void PostEventEnd() {
  PostingPart& posting = Posting();
  HWND window = posting.window.exchange(nullptr);
  if (window == nullptr) return;
  DestroyWindow(window);
  UnregisterClassW(kPostClass, GetModuleHandleW(nullptr));
  // The messages of posts never delivered went with the window.
  std::lock_guard<std::mutex> guard(posting.lock);
  for (LPARAM record : posting.records) FreeRecord(record);
  posting.records.clear();
}

int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) {
  // PostMessageW with a null window would post a thread message that no
  // procedure frees: without a posting window nothing is posted.
  PostingPart& posting = Posting();
  HWND target = posting.window.load();
  if (target == nullptr) return 0;
  auto* record = static_cast<PostedEventRecord*>(
      HeapAlloc(GetProcessHeap(), 0, sizeof(PostedEventRecord)));
  if (record == nullptr) {
    Win32Failure("HeapAlloc");
    return 0;
  }
  *record = {code, object, window, type};
  const auto value = reinterpret_cast<LPARAM>(record);
  {
    // Outstanding before the message exists: the loop's thread may take it at once.
    std::lock_guard<std::mutex> guard(posting.lock);
    posting.records.insert(value);
  }
  if (!PostMessageW(target, posting.message.load(), 0, value)) {
    Win32Failure("PostMessageW");
    // Unless PostEventEnd freed it meanwhile, the record is still ours to free.
    if (TakeOutstanding(value)) FreeRecord(value);
    return 0;
  }
  return 1;
}

UINT PostEventMessage() { return Posting().message.load(); }
HWND PostEventWindow() { return Posting().window.load(); }

}  // namespace quorvel
