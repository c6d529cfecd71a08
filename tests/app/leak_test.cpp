// Memory over a long session: captures, moves, deletes and a clear give back
// everything they took. The sanitizer build also checks for leaks at exit.
#include <cstdlib>  // first, so that __GLIBC__ is known below

#include "app_harness.h"
#include "runtime/text.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_TEST_ASAN 1
#endif
#endif

#if defined(QUORVEL_TEST_ASAN)
// From the sanitizer runtime's allocator interface; g++ ships the runtime
// but not that header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quorvel::testing {
namespace {

// Bytes the program holds on the heap right now; -1 where it cannot be told
// (the Windows build under Wine).
int64_t HeapBytesInUse() {
#if defined(QUORVEL_TEST_ASAN)
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#elif defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
#else
  return -1;
#endif
}

constexpr int kCaptures = 1000;

// Long enough that neither the text nor its line fits in a string's own
// buffer: a text kept by mistake shows as heap that is not given back.
std::u16string ClipText(int i) {
  return u"clipboard text number " + NumberToText(i) + u" " +
         std::u16string(static_cast<size_t>(i % 40), u'x');
}

class Memory : public AppTest {
 protected:
  // A thousand clipboard changes: new texts, every tenth one a text copied
  // again (it moves to the end), every fiftieth followed by a delete of the
  // selected entry; then Alt+Delete clears the history.
  void Session() {
    size_t expected = 0;
    for (int i = 0; i < kCaptures; ++i) {
      if (i % 10 == 9) {
        Copy(ClipText(i - 5));
      } else {
        Copy(ClipText(i));
        ++expected;
      }
      if (i % 50 == 49) {
        GadgetSelect(0);
        Press(ShortcutShift | KeyDelete);
        --expected;
      }
    }
    ASSERT_EQ(app.State().history.Size(), expected);
    ExpectListInStep();
    Press(ShortcutAlt | KeyDelete);
    ASSERT_TRUE(app.State().history.Empty());
    ASSERT_TRUE(platform.ListItems().empty());
  }

  void GadgetSelect(int64_t index) { platform.GadgetSetState(kListView, index); }
};

TEST_F(Memory, AThousandCapturesAndAClearGiveBackTheirMemory) {
  Start();
  ShowWindow();
  // The first session lets the containers reach their working capacity,
  // which a clear keeps; later sessions must not hold more than that.
  Session();
  const int64_t afterFirst = HeapBytesInUse();
  Session();
  Session();
  const int64_t afterThird = HeapBytesInUse();

  // The history works as before after all that.
  Copy(u"after the sessions");
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"after the sessions"});
  EXPECT_EQ(platform.ListSelection(), 0);

  if (afterFirst < 0) return;  // nothing to measure on this platform
  // One lost text or line per capture would be tens of kilobytes per session.
  EXPECT_LT(afterThird - afterFirst, 4096)
      << "heap after the first session: " << afterFirst << " bytes, after the third: " << afterThird;
}

}  // namespace
}  // namespace quorvel::testing
