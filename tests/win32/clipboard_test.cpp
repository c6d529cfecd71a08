// Clipboard text against the real (Wine) clipboard: the block written, missing
// zeros, non-text contents, private markers and watching for changes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "ui/win32_clipboard.h"
#include "win32/win32_bench.h"

namespace quorvel {
namespace {

// Puts a block of raw bytes on the clipboard as one format, as another program
// would, bypassing ClipboardSetText, so that malformed text can be tried.
bool PutRawBlock(UINT format, const void* bytes, size_t size) {
  return ClipboardPutElsewhere({{format, std::string(static_cast<const char*>(bytes), size)}});
}

// The raw byte size of the clipboard's CF_UNICODETEXT block, or -1.
int64_t UnicodeTextBytes() {
  if (!OpenClipboard(nullptr)) return -1;
  int64_t size = -1;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) size = static_cast<int64_t>(GlobalSize(data));
  CloseClipboard();
  return size;
}

TEST(ClipboardText, EmptyTextLeavesOneZeroCharacter) {
  ASSERT_NE(ClipboardSetText(u"something first"), 0);
  EXPECT_NE(ClipboardSetText(u""), 0);
  EXPECT_EQ(ClipboardGetText(), u"");
  // NOTE: GlobalSize may round a block up on Windows; Wine reports the size asked for.
  const int64_t bytes = UnicodeTextBytes();
  EXPECT_GE(bytes, 2);
  EXPECT_LT(bytes, 16);
}

TEST(ClipboardText, BlockWithoutZeroIsBoundedBySize) {
  // Seven bytes: three whole characters and half of a fourth, no zero at all.
  const unsigned char bytes[] = {'a', 0, 'b', 0, 'c', 0, 'd'};
  ASSERT_TRUE(PutRawBlock(CF_UNICODETEXT, bytes, sizeof(bytes)));
  const std::u16string read = ClipboardGetText();
  // NOTE: Wine hands readers a copy whose last whole character became a zero
  // ("ab"); Windows hands over the block itself ("abc"). Either way nothing
  // from beyond the block may appear.
  EXPECT_TRUE(read == u"abc" || read == u"ab") << "read " << read.size() << " characters";

  const char16_t even[] = {u'x', u'y', u'z', u'w'};
  ASSERT_TRUE(PutRawBlock(CF_UNICODETEXT, even, sizeof(even)));
  const std::u16string evenRead = ClipboardGetText();
  EXPECT_TRUE(evenRead == u"xyzw" || evenRead == u"xyz") << "read " << evenRead.size();
}

// Puts a text on the clipboard together with a block of another, registered
// format, as a program that marks its content would.
bool PutTextWithMarker(std::u16string_view text, const wchar_t* marker, const void* bytes,
                       size_t size) {
  if (ClipboardSetText(text) == 0 || !OpenClipboard(nullptr)) return false;
  bool ok = false;
  if (bytes == nullptr) {
    SetClipboardData(RegisterClipboardFormatW(marker), nullptr);
    ok = IsClipboardFormatAvailable(RegisterClipboardFormatW(marker)) != FALSE;
  } else if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size)) {
    if (void* p = GlobalLock(block)) {
      std::memcpy(p, bytes, size);
      GlobalUnlock(block);
      ok = SetClipboardData(RegisterClipboardFormatW(marker), block) != nullptr;
    }
    if (!ok) GlobalFree(block);
  }
  CloseClipboard();
  return ok;
}

TEST(ClipboardText, ContentMarkedPrivateReadsAsNoText) {
  const DWORD zero = 0;
  const DWORD one = 1;
  const unsigned char threeBytes[3] = {1, 1, 1};
  struct Case {
    const wchar_t* marker;
    const void* bytes;
    size_t size;
    bool isPrivate;
  };
  const Case cases[] = {
      {L"ExcludeClipboardContentFromMonitorProcessing", &one, sizeof(one), true},
      {L"Clipboard Viewer Ignore", &one, sizeof(one), true},
      {L"CanIncludeInClipboardHistory", &zero, sizeof(zero), true},
      {L"CanIncludeInClipboardHistory", &one, sizeof(one), false},
      // Too short to say "may be recorded": private, whatever it holds.
      {L"CanIncludeInClipboardHistory", threeBytes, 1, true},
      {L"CanIncludeInClipboardHistory", threeBytes, 3, true},
      // Present but without data to fetch (rendered on demand by no one).
      {L"CanIncludeInClipboardHistory", nullptr, 0, true},
      // About cloud upload only.
      {L"CanUploadToCloudClipboard", &zero, sizeof(zero), false},
  };
  char16_t number = u'0';
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.marker, c.marker + wcslen(c.marker))
                                    << " of " << c.size << " bytes");
    const std::u16string secret = std::u16string(u"pa55word ") + number++;
    ASSERT_TRUE(PutTextWithMarker(secret, c.marker, c.bytes, c.size));
    std::u16string text = u"stale";
    EXPECT_TRUE(ClipboardReadText(text));
    EXPECT_EQ(text, c.isPrivate ? u"" : secret);
    // No way of reading skips the markers.
    EXPECT_EQ(ClipboardGetText(), c.isPrivate ? u"" : secret);
  }
  // A text whose marker could not be read stays out when it is there again
  // unmarked (an owner that ends takes its unrendered marker with it), until
  // another text has been read.
  ASSERT_TRUE(PutTextWithMarker(u"withheld", L"CanIncludeInClipboardHistory", nullptr, 0));
  EXPECT_EQ(ClipboardGetText(), u"");
  ASSERT_TRUE(PutRawBlock(CF_UNICODETEXT, u"withheld", sizeof(u"withheld")));
  EXPECT_EQ(ClipboardGetText(), u"");
  ASSERT_TRUE(PutRawBlock(CF_UNICODETEXT, u"other", sizeof(u"other")));
  EXPECT_EQ(ClipboardGetText(), u"other");
  ASSERT_TRUE(PutRawBlock(CF_UNICODETEXT, u"withheld", sizeof(u"withheld")));
  EXPECT_EQ(ClipboardGetText(), u"withheld");
}

TEST(ClipboardText, WritesReplaceAnImageAndAreOwnedByTheProgramsWindow) {
  Win32Bench::CopyImage();
  ASSERT_NE(ClipboardSetText(u"owned"), 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
  EXPECT_NE(ClipboardWindow(), nullptr);
  EXPECT_EQ(GetClipboardOwner(), ClipboardWindow());
  EXPECT_EQ(ClipboardGetText(), u"owned");
}

// Handles this thread's messages until done() holds or ms have passed; the
// milliseconds it took.
template <typename Done>
ULONGLONG PumpUntil(Done done, ULONGLONG ms) {
  const ULONGLONG start = GetTickCount64();
  while (!done() && GetTickCount64() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(1);
  }
  return GetTickCount64() - start;
}

// A change made by another thread, as another program would make it.
void ChangeElsewhere(std::u16string_view text) {
  std::thread([text] {
    const std::u16string terminated(text);
    EXPECT_TRUE(PutRawBlock(CF_UNICODETEXT, terminated.c_str(), (text.size() + 1) * 2));
  }).join();
}

TEST(ClipboardWatch, SeesChangesThroughTheNotification) {
  ClipboardWatchEnd();
  const uint32_t first = ClipboardWatchedSequenceNumber();
  EXPECT_EQ(first, GetClipboardSequenceNumber());
  ChangeElsewhere(u"watched");
  const uint32_t changed = GetClipboardSequenceNumber();
  ASSERT_NE(changed, first);
  const ULONGLONG took =
      PumpUntil([&] { return ClipboardWatchedSequenceNumber() == changed; }, 2000);
  EXPECT_EQ(ClipboardWatchedSequenceNumber(), changed);
  EXPECT_LT(took, kClipboardRecheckMs) << "seen through the notification, not the recheck";
  ClipboardWatchEnd();
}

TEST(ClipboardWatch, AsksAgainAfterTheRecheckWithoutMessages) {
  ClipboardWatchEnd();
  const uint32_t first = ClipboardWatchedSequenceNumber();
  ChangeElsewhere(u"unheard");
  Sleep(kClipboardRecheckMs + 50);  // no message is handled meanwhile
  EXPECT_EQ(ClipboardWatchedSequenceNumber(), GetClipboardSequenceNumber());
  EXPECT_NE(ClipboardWatchedSequenceNumber(), first);
  ClipboardWatchEnd();
}

// A clipboard owner on its own thread that offers text to be rendered on
// request and renders it only once released.
class SlowOwner {
 public:
  SlowOwner() {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return offered_; });
  }
  ~SlowOwner() {
    Release();
    thread_.join();
    CloseHandle(release_);
  }
  void Release() { SetEvent(release_); }
  int asked() {
    std::lock_guard<std::mutex> lock(mutex_);
    return asked_;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SlowOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_RENDERFORMAT || !self) return DefWindowProcW(window, message, wParam, lParam);
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      ++self->asked_;
    }
    // Renders by itself after 5 s, so that a read that waits for it fails
    // the test instead of hanging it.
    WaitForSingleObject(self->release_, 5000);
    // The asking thread holds the clipboard open: set without opening it.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(L"late"));
    std::memcpy(GlobalLock(block), L"late", sizeof(L"late"));
    GlobalUnlock(block);
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    PostQuitMessage(0);
    return 0;
  }
  void Run() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure));
    EXPECT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      offered_ = true;
    }
    changed_.notify_all();
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &release_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    DestroyWindow(window);
  }

  HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::mutex mutex_;
  std::condition_variable changed_;
  bool offered_ = false;
  int asked_ = 0;
  std::thread thread_;
};

TEST(ClipboardRead, AnOwnerThatRendersLateHoldsAReadOnlyForTheBound) {
  ClipboardWatchEnd();
  SlowOwner owner;
  std::u16string text = u"stale";
  uint32_t sequence = 0;
  ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(ClipboardReadText(text, &sequence)) << "a read still waiting is a busy clipboard";
  EXPECT_LT(GetTickCount64() - start, kClipboardRenderWaitMs + 500u);
  EXPECT_EQ(text, u"");
  // Later turns neither wait nor ask again while the first read waits; writing
  // finds the clipboard busy.
  start = GetTickCount64();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(ClipboardReadText(text, &sequence));
  EXPECT_EQ(ClipboardGetText(), u"");
  EXPECT_EQ(ClipboardSetText(u"mine"), 0);
  EXPECT_LT(GetTickCount64() - start, 200u);
  EXPECT_EQ(owner.asked(), 1);
  // Once rendered, the text is there for the next call.
  owner.Release();
  PumpUntil([&] { return ClipboardReadText(text, &sequence); }, 5000);
  EXPECT_EQ(text, u"late");
  EXPECT_EQ(owner.asked(), 1);
  ClipboardWatchEnd();
}

TEST(ClipboardRead, TheEndDoesNotWaitForAnOwnerThatNeverRenders) {
  ClipboardWatchEnd();
  SlowOwner owner;
  std::u16string text;
  ASSERT_FALSE(ClipboardReadText(text));
  const ULONGLONG start = GetTickCount64();
  ClipboardWatchEnd();
  EXPECT_LT(GetTickCount64() - start, kClipboardRenderWaitMs + 500u);
  // The owner renders after the end: the reader, let go, closes the clipboard.
  owner.Release();
  EXPECT_LT(PumpUntil([] { return ClipboardSetText(u"after") != 0; }, 5000), 5000u);
  EXPECT_EQ(ClipboardGetText(), u"after");
  ClipboardWatchEnd();
}

}  // namespace
}  // namespace quorvel
