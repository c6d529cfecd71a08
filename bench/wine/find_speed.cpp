// Text search ignoring case against the exact search in the Windows build,
// where the case mapping comes from the system: the same 1 MiB of mixed-case
// text as the native benchmark, a search text absent from it and one near its
// end, each timed over repeated runs. Prints one JSON object: bytes per
// second of each search.
//   find_speed [SECONDS_PER_CASE]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/bench_texts.h"
#include "runtime/text.h"

namespace {

double Seconds() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Bytes per second of TextFind(text, pattern, 0, mode) over about seconds;
// -1 when it found something else than expected.
double Rate(const std::u16string& text, const std::u16string& pattern, int32_t mode,
            int64_t expected, double seconds) {
  const int64_t scanned = expected == 0 ? static_cast<int64_t>(text.size())
                                        : expected - 1 + static_cast<int64_t>(pattern.size());
  int64_t runs = 0;
  const double start = Seconds();
  double now = start;
  while (now - start < seconds) {
    if (quorvel::TextFind(text, pattern, 0, mode) != expected) return -1;
    ++runs;
    now = Seconds();
  }
  return static_cast<double>(runs * scanned * 2) / (now - start);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::wcstod(argv[1], nullptr) : 1.0;
  quorvel::TextStart();
  const size_t units = size_t{1} << 19;
  std::u16string text = quorvel::bench::MixedCaseText(units, 1);
  const std::u16string needle = quorvel::bench::kAbsentWord;
  const double exactAbsent = Rate(text, needle, 0, 0, seconds);
  const double foldAbsent = Rate(text, needle, 1, 0, seconds);
  const size_t at = units - units / 100;
  text.replace(at, needle.size(), needle);
  const auto expected = static_cast<int64_t>(at) + 1;
  const double exactNear = Rate(text, needle, 0, expected, seconds);
  const double foldNear = Rate(text, needle, 1, expected, seconds);
  std::printf("{\"exact_absent\": %.0f, \"ignore_case_absent\": %.0f, "
              "\"exact_near_end\": %.0f, \"ignore_case_near_end\": %.0f}\n",
              exactAbsent, foldAbsent, exactNear, foldNear);
  return exactAbsent < 0 || foldAbsent < 0 || exactNear < 0 || foldNear < 0 ? 1 : 0;
}
