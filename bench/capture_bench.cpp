// The cost of one capture step while the clipboard does not change, the
// per-turn cost of an idle program, with 1 KiB and 1 MiB of clipboard text.
// This file is built twice: with the shipped capture step, which reads the
// clipboard only when its sequence number moved, and with
// QUORVEL_CAPTURE_EVERY_TURN=1, which reads and compares it on every turn.
#include <benchmark/benchmark.h>

#include "app/application.h"
#include "bench/bench_texts.h"
#include "ui/null_platform.h"

#ifndef QUORVEL_CAPTURE_EVERY_TURN
#define QUORVEL_CAPTURE_EVERY_TURN 0
#endif

namespace quorvel::bench {

namespace {

constexpr const char* kName = QUORVEL_CAPTURE_EVERY_TURN ? "CaptureUnchanged/read_every_turn"
                                                         : "CaptureUnchanged/read_on_change";

void BM_CaptureUnchanged(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  NullPlatform platform;
  Application app(platform);
  if (!app.Start()) {
    state.SkipWithError("start-up failed");
    return;
  }
  platform.CopyText(MixedCaseText(bytes / sizeof(char16_t), 2));
  app.CaptureClipboard();  // the text becomes the only entry; later turns see no change

  const int64_t readsBefore = platform.ClipboardReads();
  for (auto _ : state) {
    app.CaptureClipboard();
  }
  const int64_t reads = platform.ClipboardReads() - readsBefore;

  if (app.State().history.Size() != 1) {
    state.SkipWithError("an unchanged clipboard changed the history");
    return;
  }
  state.SetItemsProcessed(state.iterations());  // turns
  if (reads > 0) state.SetBytesProcessed(reads * static_cast<int64_t>(bytes));
  state.counters["reads_per_turn"] =
      static_cast<double>(reads) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_CaptureUnchanged)->Name(kName)->Arg(1 << 10)->Arg(1 << 20);

}  // namespace

}  // namespace quorvel::bench
