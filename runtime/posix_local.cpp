// Platform hooks of the portable (non-Windows) build: the local clock through
// the C library, the lower-case mapping through a table generated from the
// Unicode Character Database (see gen_lower_table.py).
#include <time.h>

#include <cstddef>
#include <cstdlib>
#include <cstdint>

#include "runtime/local.h"
#include "runtime/text.h"

namespace quorvel {
namespace {

// One run of the generated table: every unit c with first <= c <= last and
// (c - first) % stride == 0 lowers to c + delta.
struct LowerRun {
  uint16_t first;
  uint16_t last;
  int32_t delta;
  uint16_t stride;
};

#include "runtime/lower_table.inc"

}  // namespace

LocalTime LocalClockRead() {
  time_t now = time(nullptr);
  struct tm parts {};
  if (now == static_cast<time_t>(-1) || localtime_r(&now, &parts) == nullptr) {
    return LocalTime{0, 0, 0, 0, 0, 0};  // not a date: DateFromParts gives -1
  }
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

namespace {

char16_t LowerCaseUnit(char16_t unit) {
  // Most text is ASCII: fold it without the search.
  if (unit < 0x80) return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
  // Binary search for the last run whose first unit is <= unit.
  std::size_t lo = 0;
  std::size_t hi = sizeof kLowerRuns / sizeof kLowerRuns[0];
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    if (kLowerRuns[mid].first <= unit) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == 0) return unit;
  const LowerRun& run = kLowerRuns[lo - 1];
  if (unit > run.last || (unit - run.first) % run.stride != 0) return unit;
  return static_cast<char16_t>(static_cast<int32_t>(unit) + run.delta);
}

}  // namespace

void* TextBlockAllocate(std::size_t bytes) { return std::malloc(bytes); }

void TextBlockFree(void* block) { std::free(block); }

void LowerCaseTableFill(char16_t* table) {
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    table[unit] = LowerCaseUnit(static_cast<char16_t>(unit));
  }
}

}  // namespace quorvel
