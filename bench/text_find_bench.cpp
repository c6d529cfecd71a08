// Text search ignoring case against the exact search, on the same 1 MiB of
// mixed-case text: once with a search text that is not there, once with one
// near the end. Bytes processed are the UTF-16 bytes passed over.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_texts.h"
#include "runtime/text.h"

namespace quorvel::bench {

namespace {

constexpr std::size_t kTextUnits = std::size_t{1} << 19;  // 1 MiB of UTF-16
constexpr int32_t kExact = 0;
constexpr int32_t kIgnoreCase = 1;

enum class Placement { kAbsent, kNearEnd };

void BM_TextFind(benchmark::State& state, int32_t mode, Placement placement) {
  std::u16string text = MixedCaseText(kTextUnits, 1);
  const std::u16string needle = kAbsentWord;
  int64_t expected = 0;
  if (placement == Placement::kNearEnd) {
    const std::size_t at = kTextUnits - kTextUnits / 100;
    text.replace(at, needle.size(), needle);
    expected = static_cast<int64_t>(at) + 1;
  }

  int64_t found = 0;
  for (auto _ : state) {
    found = TextFind(text, needle, 0, mode);
    benchmark::DoNotOptimize(found);
  }
  if (found != expected) {
    state.SkipWithError("the search found something else than the text holds");
    return;
  }
  const int64_t unitsScanned = found == 0 ? static_cast<int64_t>(text.size())
                                          : found - 1 + static_cast<int64_t>(needle.size());
  state.SetBytesProcessed(state.iterations() * unitsScanned *
                          static_cast<int64_t>(sizeof(char16_t)));
}

// A text of 50 million units that keeps almost matching a pattern of 1,001
// ("aaa…ab" in "AAA…A"): every unit starts a candidate.
void BM_TextFindAlmostMatching(benchmark::State& state) {
  const std::u16string text(50'000'000, u'A');
  const std::u16string pattern = std::u16string(1000, u'a') + u"b";
  int64_t found = -1;
  for (auto _ : state) {
    found = TextFind(text, pattern, 0, kIgnoreCase);
    benchmark::DoNotOptimize(found);
  }
  if (found != 0) state.SkipWithError("found a pattern that is not there");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_TextFindAlmostMatching)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_TextFind, exact_absent, kExact, Placement::kAbsent);
BENCHMARK_CAPTURE(BM_TextFind, ignore_case_absent, kIgnoreCase, Placement::kAbsent);
BENCHMARK_CAPTURE(BM_TextFind, exact_near_end, kExact, Placement::kNearEnd);
BENCHMARK_CAPTURE(BM_TextFind, ignore_case_near_end, kIgnoreCase, Placement::kNearEnd);

}  // namespace

}  // namespace quorvel::bench
