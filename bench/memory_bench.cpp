// Heap held by 10^4 captured entries of 100 units against the bytes of text
// they hold. Measured with glibc's mallinfo2 (bytes in use, small and
// mmapped blocks alike, allocator overhead included), so nothing in the
// program or in the timed benchmarks is replaced or slowed down.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "bench/bench_texts.h"
#include "runtime/date.h"
#include "ui/null_platform.h"

namespace quorvel::bench {

namespace {

constexpr std::size_t kEntryUnits = 100;

int64_t HeapBytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

// The whole application on the portable platform: the history (text and
// stamp of each entry) and the list view's line of each entry. On Windows
// the list view control keeps the same copy of every line.
void BM_MemoryPerEntries(benchmark::State& state) {
  const int64_t entries = state.range(0);
  std::vector<std::u16string> texts;
  texts.reserve(static_cast<size_t>(entries));
  int64_t textBytes = 0;
  for (int64_t i = 0; i < entries; ++i) {
    texts.push_back(EntryText(i, kEntryUnits));
    textBytes += static_cast<int64_t>(texts.back().size() * sizeof(char16_t));
  }

  int64_t heldBytes = 0;
  for (auto _ : state) {
    NullPlatform platform;
    Application app(platform);
    platform.SetClock(DateFromParts(2024, 5, 1, 13, 45, 0));
    if (!app.Start()) {
      state.SkipWithError("start-up failed");
      return;
    }
    const int64_t before = HeapBytesInUse();
    for (const std::u16string& text : texts) {
      platform.CopyText(text);
      app.CaptureClipboard();
    }
    heldBytes = HeapBytesInUse() - before;
    if (static_cast<int64_t>(app.State().history.Size()) != entries) {
      state.SkipWithError("not every text was captured");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * entries);  // captures
  state.counters["heap_bytes"] = static_cast<double>(heldBytes);
  state.counters["text_bytes"] = static_cast<double>(textBytes);
  state.counters["heap_per_entry"] = static_cast<double>(heldBytes) / static_cast<double>(entries);
  state.counters["heap_per_text_byte"] =
      static_cast<double>(heldBytes) / static_cast<double>(textBytes);
}

BENCHMARK(BM_MemoryPerEntries)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace quorvel::bench
