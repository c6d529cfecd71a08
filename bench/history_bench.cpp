// The history at 10^3 to 10^5 entries of about 100 units (10^6 for a new
// text): capturing a new text, capturing a known one (it moves to the end),
// and a search step that finds nothing. Items processed are history entries, so items/s is the
// rate at which a step goes through the history.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/find.h"
#include "bench/bench_texts.h"
#include "runtime/date.h"
#include "ui/null_platform.h"

namespace quorvel::bench {

namespace {

// One running application whose history holds exactly size entries between
// benchmark runs. Filling it goes through the capture step like any other
// text, once per size and process.
struct HistoryWorld {
  explicit HistoryWorld(int64_t size) : size(size) {
    // A fixed clock: stamps of one length, and no time spent in the C
    // library's local-time conversion, which the Windows program does not use.
    platform.SetClock(DateFromParts(2024, 5, 1, 13, 45, 0));
    started = app.Start();
    for (int64_t i = 0; i < size; ++i) {
      platform.CopyText(HistoryEntryText(i));
      app.CaptureClipboard();
    }
  }

  [[nodiscard]] bool Intact() const {
    return started && static_cast<int64_t>(app.State().history.Size()) == size &&
           static_cast<int64_t>(platform.ListItems().size()) == size;
  }

  int64_t size;
  NullPlatform platform;
  Application app{platform};
  bool started = false;
  int64_t nextNewText = 0;  // texts numbered from size up are not in the history
};

HistoryWorld& WorldOfSize(int64_t size) {
  static std::map<int64_t, std::unique_ptr<HistoryWorld>> worlds;
  std::unique_ptr<HistoryWorld>& world = worlds[size];
  if (!world) world = std::make_unique<HistoryWorld>(size);
  return *world;
}

void BM_CaptureNew(benchmark::State& state) {
  HistoryWorld& world = WorldOfSize(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    world.platform.CopyText(HistoryEntryText(world.size + world.nextNewText++));
    state.ResumeTiming();

    world.app.CaptureClipboard();

    // Back to size entries: the new entry is the last one.
    state.PauseTiming();
    world.platform.GadgetSetState(kListView, world.size);
    world.app.DeleteEntry();
    state.ResumeTiming();
  }
  if (!world.Intact()) state.SkipWithError("the history did not keep its size");
  state.SetItemsProcessed(state.iterations() * world.size);
}

// The known text is the entry in the middle of the history: the scan passes
// half the entries and the move shifts the other half.
void BM_CaptureKnownMiddle(benchmark::State& state) {
  HistoryWorld& world = WorldOfSize(state.range(0));
  const HistoryList& history = world.app.State().history;
  const auto middle = static_cast<size_t>(world.size / 2);
  std::u16string moved;
  for (auto _ : state) {
    state.PauseTiming();
    moved = history.At(middle).text();
    world.platform.CopyText(moved);
    state.ResumeTiming();

    world.app.CaptureClipboard();
  }
  if (!world.Intact() || history.At(history.Size() - 1).text() != moved) {
    state.SkipWithError("the known text did not move to the end");
  }
  state.SetItemsProcessed(state.iterations() * world.size);
}

// Ctrl+F with a text that no line holds, answered at the find prompt, then
// the same search step again and again. Every line is read and searched.
void BM_FindStepNoMatch(benchmark::State& state) {
  HistoryWorld& world = WorldOfSize(state.range(0));
  const int64_t selected = world.size / 3;
  world.platform.GadgetSetState(kListView, selected);
  world.platform.AnswerInput(kAbsentWord);
  world.app.RunCommand(kItemFind);
  if (world.app.State().searchText != kAbsentWord) {
    state.SkipWithError("the find prompt did not set the search text");
    return;
  }

  int64_t lineBytes = 0;
  for (const std::u16string& line : world.platform.ListItems()) {
    lineBytes += static_cast<int64_t>(line.size() * sizeof(char16_t));
  }

  for (auto _ : state) {
    benchmark::DoNotOptimize(world.app.FindStep(0));
  }
  if (world.platform.ListSelection() != selected) {
    state.SkipWithError("a search without a match moved the selection");
  }
  state.SetItemsProcessed(state.iterations() * world.size);
  state.SetBytesProcessed(state.iterations() * lineBytes);
}

// One entry of 50 million units that keeps almost matching a pattern of
// 1,001 units, in each form the history holds a text in: one byte a unit
// (Latin-1 letters), one byte a unit beyond Latin-1 (Cyrillic letters, read
// out in stretches) and two bytes a unit (both alphabets).
void BM_LineSearchAlmostMatching(benchmark::State& state) {
  const char16_t letter = state.range(0) == 0 ? u'\u00C0' : u'\u0416';
  std::u16string text(50'000'000, letter);
  if (state.range(0) == 2) text[0] = u'\u00C0';
  HistoryList history;
  if (!history.Append(text, DigestOf(text), StampTime{})) {
    state.SkipWithError("no memory for the entry");
    return;
  }
  const std::u16string pattern = std::u16string(1000, text.back()) + u"b";
  TextWipe(text);
  bool found = true;
  for (auto _ : state) {
    LineSearch search(pattern);
    found = search.Contains(history.At(0));
    benchmark::DoNotOptimize(found);
  }
  if (found) state.SkipWithError("found a pattern that is not there");
  state.counters["bytes_per_unit"] = static_cast<double>(history.At(0).BytesPerUnit());
  state.SetItemsProcessed(state.iterations() * 50'000'000);
}

BENCHMARK(BM_CaptureNew)->RangeMultiplier(10)->Range(1000, 1000000);
BENCHMARK(BM_CaptureKnownMiddle)->RangeMultiplier(10)->Range(1000, 100000);
BENCHMARK(BM_FindStepNoMatch)->RangeMultiplier(10)->Range(1000, 100000);
BENCHMARK(BM_LineSearchAlmostMatching)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace quorvel::bench
