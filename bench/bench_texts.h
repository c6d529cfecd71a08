// Texts the benchmarks search and capture: mixed-case prose with some
// non-ASCII letters, and distinct history entries of a chosen length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvel::bench {

// A search text that the generated prose never contains, in any letter case,
// though many of its words begin the way it does ("the", "there", "theory").
inline constexpr char16_t kAbsentWord[] = u"Thermostat";

// Words of random case separated by blanks, exactly units code units long.
// The same seed gives the same text.
std::u16string MixedCaseText(std::size_t units, uint32_t seed);

// The text of history entry number index: words of random case ending in
// " #index", exactly length units long (length must leave room for the tag).
// Distinct indexes give distinct texts.
std::u16string EntryText(int64_t index, std::size_t length);

// The entries of the history benchmarks: about 100 units, 90 to 110 so that
// not every comparison of two texts gets past their lengths.
std::u16string HistoryEntryText(int64_t index);

}  // namespace quorvel::bench
