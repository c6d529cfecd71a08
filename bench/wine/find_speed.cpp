// Text search ignoring case against the exact search in the Windows build,
// where the case mapping comes from the system: the same 1 MiB of mixed-case
// text as the native benchmark, a search text absent from it and one near its
// end, each timed over repeated runs, and a search that keeps almost
// matching over 50 million units. Prints one JSON object: bytes per second of
// each search, milliseconds of the long one.
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
  // 50 million units that keep almost matching a pattern of 1,001, as an
  // entry holds them in two bytes a unit and in one: milliseconds per search.
  const std::u16string almost(50'000'000, u'A');
  const std::string almostLatin1(almost.size(), 'A');
  const quorvel::FoldedPattern pattern(std::u16string(1000, u'a') + u"b");
  double start = Seconds();
  const bool wideFound = pattern.FindIn(almost) != std::u16string_view::npos;
  const double wideMs = (Seconds() - start) * 1000;
  start = Seconds();
  const bool latin1Found = pattern.FindInLatin1(almostLatin1) != std::u16string_view::npos;
  const double latin1Ms = (Seconds() - start) * 1000;
  std::printf("{\"exact_absent\": %.0f, \"ignore_case_absent\": %.0f, "
              "\"exact_near_end\": %.0f, \"ignore_case_near_end\": %.0f, "
              "\"almost_matching_50m_ms\": %.1f, \"almost_matching_50m_one_byte_ms\": %.1f}\n",
              exactAbsent, foldAbsent, exactNear, foldNear, wideMs, latin1Ms);
  return exactAbsent < 0 || foldAbsent < 0 || exactNear < 0 || foldNear < 0 || wideFound ||
                 latin1Found
             ? 1
             : 0;
}
