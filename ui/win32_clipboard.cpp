// Clipboard text on Win32: reading and writing CF_UNICODETEXT through global
// memory blocks. A read opens the clipboard without a window; a write opens it
// with the program's message-only clipboard window, which then owns the data
// and also hears the system's change notification.
#include "ui/win32_clipboard.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "runtime/digest.h"
#include "runtime/text.h"
#include "ui/win32_failure.h"
#include "ui/win32_handle.h"
#include "ui/win32_state.h"
#include "ui/win32_text.h"

namespace quorvel {
namespace {

// Closes the clipboard when one transfer ends, whichever way it ends; false
// (recorded as a failure) when it could not be opened.
[[nodiscard]] bool OpenClipboardFor(HWND owner) {
  if (OpenClipboard(owner)) return true;
  Win32Failure("OpenClipboard");
  return false;
}

auto ClosingClipboard() {
  return ScopeGuard([] { CloseClipboard(); });
}

// Locks a block while its bytes are copied: the bytes, or null (recorded as a
// failure); the caller unlocks it with UnlockingGlobal.
void* LockGlobal(HGLOBAL block) {
  void* data = GlobalLock(block);
  if (data == nullptr) Win32Failure("GlobalLock");
  return data;
}

auto UnlockingGlobal(HGLOBAL block) {
  return ScopeGuard([block] { GlobalUnlock(block); });
}

// The text of a CF_UNICODETEXT block of the open clipboard.
std::u16string TextOfBlock(HANDLE data) {
  // The clipboard keeps this handle: it is never freed here, and its text is
  // copied before the clipboard closes.
  // NOTE: GlobalSize may exceed the size that was asked for (allocation
  // granularity); the block is still safe to read up to it. An odd last byte
  // is not a whole character and is ignored.
  const size_t units = GlobalSize(data) / sizeof(wchar_t);
  const void* locked = LockGlobal(data);
  if (!locked) return {};
  const auto unlock = UnlockingGlobal(data);
  const auto* chars = static_cast<const wchar_t*>(locked);
  size_t length = std::wstring_view(chars, units).find(L'\0');
  if (length == std::wstring_view::npos) length = units;
  std::u16string text;
  try {
    text.resize(length);
  } catch (const std::bad_alloc&) {
    return {};  // too large for the memory left: not taken
  }
  std::memcpy(text.data(), chars, length * sizeof(wchar_t));
  return text;
}

// The system may keep its own copy of the data another program put on the
// clipboard until this process next opens it (Wine does, in the process
// heap). Opening it again at once gives the copy back before the history and
// the list allocate the captured entry, instead of leaving a hole between
// their blocks on every capture. Holds the clipboard for one open and close;
// when another program has it open, the copy simply waits for the next read.
void ReleaseClipboardCopies() {
  if (OpenClipboard(nullptr)) CloseClipboard();
}

ClipboardPart& Watch() { return Layer().clipboard; }

constexpr wchar_t kWatchClass[] = L"QV_ClipboardWatch";

LRESULT CALLBACK WatchProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLIPBOARDUPDATE) {
    Watch().changed = true;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ClipboardPart& StartedWatch() {
  ClipboardPart& watch = Watch();
  if (watch.started) return watch;
  watch.started = true;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WatchProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWatchClass;
  // Fails harmlessly when it is registered already.
  if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    Win32Failure("RegisterClassW");
  }
  watch.window.reset(CreateWindowExW(0, kWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance, nullptr));
  if (!watch.window) Win32Failure("CreateWindowExW");
  watch.listening = watch.window && AddClipboardFormatListener(watch.window.get());
  if (watch.window && !watch.listening) Win32Failure("AddClipboardFormatListener");
  watch.changed = true;
  return watch;
}

// How the open clipboard's content is marked by the markers with which
// programs ask not to be recorded; markers holds their format numbers,
// registered here on first use.
enum class Marking { kNone, kAllowed, kPrivate, kUnreadable };

Marking ContentMarking(UINT (&markers)[3]) {
  static constexpr const wchar_t* kMarkers[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                                 L"Clipboard Viewer Ignore",
                                                 L"CanIncludeInClipboardHistory"};
  for (int i = 0; i < 3; ++i) {
    if (markers[i] == 0) markers[i] = RegisterClipboardFormatW(kMarkers[i]);
  }
  // Presence alone is the signal for the first two.
  for (int i = 0; i < 2; ++i) {
    if (markers[i] && IsClipboardFormatAvailable(markers[i])) return Marking::kPrivate;
  }
  // This one allows recording only when it holds a 32-bit value that is not
  // zero. Anything else that is there (an empty or shorter block, one that
  // cannot be fetched or locked) counts as private: a password stays out of
  // the history whenever its marker cannot be read.
  const UINT format = markers[2];
  if (!format) {
    Win32Failure("RegisterClipboardFormatW");
    return Marking::kUnreadable;
  }
  if (!IsClipboardFormatAvailable(format)) return Marking::kNone;
  HANDLE data = GetClipboardData(format);
  if (!data || GlobalSize(data) < sizeof(DWORD)) return Marking::kUnreadable;
  const void* locked = LockGlobal(data);
  if (!locked) return Marking::kUnreadable;
  const auto unlock = UnlockingGlobal(data);
  DWORD value = 0;
  std::memcpy(&value, locked, sizeof(value));
  return value == 0 ? Marking::kPrivate : Marking::kAllowed;
}

// Keeps a text whose marker could not be read out for as long as it stays on
// the clipboard: an owner that ends without rendering its marker takes the
// marker's format with it, and the same text is then there unmarked. Another
// text, or the text with a marker that allows it, ends that.
void KeepWithheldTextOut(ClipboardReadJob& job, Marking marking) {
  if (marking == Marking::kUnreadable) {
    job.withheld = DigestOf(job.text);
    job.hasWithheld = true;
    TextWipe(job.text);
  } else if (job.hasWithheld) {
    if (marking == Marking::kNone && DigestOf(job.text) == job.withheld) {
      TextWipe(job.text);
    } else {
      job.hasWithheld = false;
    }
  }
}

// One read into job, on whichever thread runs it; sets job.rendered once no
// call is left that waits for another program.
void ReadOnce(ClipboardReadJob& job) {
  job.opened = false;
  job.text = std::u16string();
  const auto rendered = ScopeGuard([&job] {
    if (job.rendered) SetEvent(job.rendered.get());
  });
  if (!OpenClipboardFor(nullptr)) return;
  {
    const auto close = ClosingClipboard();
    job.opened = true;
    // Taken before any data is asked for: if the content is rendered on
    // demand, that rendering may step the number, and is then read once more
    // at most.
    job.sequence = GetClipboardSequenceNumber();
    // NOTE: asking for data that its owner renders on demand sends it
    // WM_RENDERFORMAT and waits for the answer with the clipboard open (other
    // programs cannot open it meanwhile); Windows gives up after 30 s and
    // answers no data. A marker that never comes is a private marker.
    const Marking marking = ContentMarking(job.markers);
    HANDLE data = marking == Marking::kPrivate ? nullptr : GetClipboardData(CF_UNICODETEXT);
    if (job.rendered) SetEvent(job.rendered.get());
    if (data) job.text = TextOfBlock(data);
    KeepWithheldTextOut(job, marking);
  }
  ReleaseClipboardCopies();
}

// The reader thread: one read per ask, until the job's end is set. It holds
// its own reference to the job and touches nothing else of the layer.
DWORD WINAPI ReaderMain(void* parameter) {
  auto* handed = static_cast<std::shared_ptr<ClipboardReadJob>*>(parameter);
  const std::shared_ptr<ClipboardReadJob> job = std::move(*handed);
  delete handed;
  while (!job->end && WaitForSingleObject(job->ask.get(), INFINITE) == WAIT_OBJECT_0) {
    if (job->end) break;
    try {
      ReadOnce(*job);
    } catch (...) {
      job->text = std::u16string();  // out of memory: nothing taken this time
    }
    SetEvent(job->rendered.get());
    SetEvent(job->done.get());
  }
  return 0;
}

// The reader's job, its thread started on first use; null when no thread can
// be had (the read then runs on the calling thread).
ClipboardReadJob* StartedReader() {
  ClipboardPart& part = Watch();
  if (part.reader) return part.reader.get();
  std::shared_ptr<ClipboardReadJob> job;
  try {
    job = std::make_shared<ClipboardReadJob>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  job->ask.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  job->rendered.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  job->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!job->ask || !job->rendered || !job->done) {
    Win32Failure("CreateEventW");
    return nullptr;
  }
  auto* handed = new (std::nothrow) std::shared_ptr<ClipboardReadJob>(job);
  if (!handed) return nullptr;
  part.readerThread.reset(CreateThread(nullptr, 0, ReaderMain, handed, 0, nullptr));
  if (!part.readerThread) {
    Win32Failure("CreateThread");
    delete handed;
    return nullptr;
  }
  part.reader = std::move(job);
  part.reading = false;
  return part.reader.get();
}

// Waits up to ms for event, answering meanwhile the messages that other
// threads send to this thread's windows (and nothing else). A read may ask
// for data that this thread's own clipboard window is to render: that request
// is answered here rather than left waiting for the loop's next turn.
bool WaitAnswering(HANDLE event, DWORD ms) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const ULONGLONG spent = GetTickCount64() - start;
    const DWORD left = ms == INFINITE ? INFINITE : spent >= ms ? 0 : static_cast<DWORD>(ms - spent);
    const DWORD woken = MsgWaitForMultipleObjects(1, &event, FALSE, left, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Ends the reader thread. An idle reader ends at once and is waited for. One
// that still waits inside GetClipboardData for another program cannot be
// called back by any means Windows offers: it is given the render bound, then
// let go. It ends by itself when the call returns (Windows waits at most 30 s
// for a rendering; the owner's end also ends the wait), holding only its own
// reference to the job, or with the process.
void ClipboardReaderEnd() {
  ClipboardPart& part = Watch();
  if (!part.reader) return;
  part.reader->end = true;
  SetEvent(part.reader->ask.get());
  const DWORD wait = part.reading ? kClipboardRenderWaitMs : INFINITE;
  if (part.readerThread && WaitForSingleObject(part.readerThread.get(), wait) != WAIT_OBJECT_0) {
    Win32Failure("WaitForSingleObject");
  }
  part.readerThread.reset();
  part.reader.reset();
  part.reading = false;
}

}  // namespace

HWND ClipboardWindow() { return StartedWatch().window.get(); }

uint32_t ClipboardWatchedSequenceNumber() {
  ClipboardPart& watch = StartedWatch();
  const ULONGLONG now = GetTickCount64();
  if (watch.pausedAt != 0 && now - watch.pausedAt >= kClipboardRecheckMs) {
    watch.pausedAt = 0;
    watch.listening = AddClipboardFormatListener(watch.window.get()) != FALSE;
    if (!watch.listening) Win32Failure("AddClipboardFormatListener");
  }
  if (!watch.listening || watch.changed || now - watch.askedAt >= kClipboardRecheckMs) {
    // Cleared before asking: a notification handled later is not lost.
    watch.changed = false;
    watch.sequence = GetClipboardSequenceNumber();
    watch.askedAt = now;
  }
  return watch.sequence;
}

void ClipboardNotificationsFlooded() {
  ClipboardPart& watch = Watch();
  if (!watch.listening) return;
  RemoveClipboardFormatListener(watch.window.get());
  watch.listening = false;
  watch.changed = true;
  watch.pausedAt = GetTickCount64();
}

void ClipboardWatchEnd() {
  ClipboardPart& watch = Watch();
  ClipboardReaderEnd();
  if (watch.listening) RemoveClipboardFormatListener(watch.window.get());
  watch.window.reset();
  watch = ClipboardPart{};
}

std::u16string ClipboardGetText() {
  std::u16string text;
  (void)ClipboardReadText(text);
  return text;
}

bool ClipboardReadText(std::u16string& text, uint32_t* sequence) {
  text.clear();
  ClipboardPart& part = Watch();
  ClipboardReadJob* job = StartedReader();
  if (job == nullptr) {
    // No thread to wait on: read here, waiting as long as the data takes.
    static ClipboardReadJob direct;
    job = &direct;
    ReadOnce(*job);
  } else if (!part.reading) {
    ResetEvent(job->rendered.get());
    ResetEvent(job->done.get());
    SetEvent(job->ask.get());
    part.reading = true;
    // Only the calls that wait for another program are bounded; copying a
    // large text that is already there is this process's own work.
    if (!WaitAnswering(job->rendered.get(), kClipboardRenderWaitMs)) return false;
    (void)WaitAnswering(job->done.get(), INFINITE);
  } else if (WaitForSingleObject(job->done.get(), 0) != WAIT_OBJECT_0) {
    return false;  // the read asked for earlier still waits for its data
  }
  part.reading = false;
  if (!job->opened) return false;
  text = std::move(job->text);
  job->text = std::u16string();
  if (sequence) {
    *sequence = job->sequence;
    // The number kept by the watch may be older than the contents just read.
    if (part.started) part.sequence = *sequence;
  }
  return true;
}

int64_t ClipboardSetText(std::u16string_view text) {
  // Opened with the program's own window: emptied with no window, the
  // clipboard would have no owner, and Windows then refuses the data.
  if (!OpenClipboardFor(ClipboardWindow())) return 0;
  const auto close = ClosingClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes));
  if (!block) {
    Win32Failure("GlobalAlloc");
    return 0;  // nothing changed yet
  }
  if (!EmptyClipboard()) Win32Failure("EmptyClipboard");
  {
    // The clipboard is empty from here on; a block that cannot be locked is
    // freed by its wrapper rather than leaked.
    void* locked = LockGlobal(block.get());
    if (!locked) return 0;
    const auto unlock = UnlockingGlobal(block.get());
    auto* dest = static_cast<unsigned char*>(locked);
    if (!text.empty()) std::memcpy(dest, text.data(), text.size() * sizeof(char16_t));
    std::memset(dest + text.size() * sizeof(char16_t), 0, sizeof(char16_t));
  }
  HANDLE accepted = SetClipboardData(CF_UNICODETEXT, block.get());
  if (!accepted) {
    Win32Failure("SetClipboardData");
    return 0;  // refused: the block is still ours and is freed
  }
  // The clipboard owns the block from now on. The capture step of this turn
  // reads what was written: the number kept is stale.
  (void)block.release();
  Watch().changed = true;
  return static_cast<int64_t>(reinterpret_cast<intptr_t>(accepted));
}

}  // namespace quorvel
