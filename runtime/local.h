// Internal to the runtime: the only two places where it touches the platform.
// Exactly one of posix_local.cpp (portable build) and win32_local.cpp
// (Windows) is linked in; everything else in runtime/ is plain arithmetic.
#pragma once

#include <cstdint>

namespace quorvel {

// One reading of the local wall-clock calendar: year (e.g. 2024), month 1-12,
// day 1-31, hour 0-23, minute 0-59, second 0-59 (the platform may say 60 in a
// leap second; DateFromParts then refuses the reading).
struct LocalTime {
  int32_t year, month, day, hour, minute, second;
};

// Reads the local clock now (Windows: GetLocalTime; POSIX: localtime_r).
LocalTime LocalClockRead();

// Fills table[u] with the lower-case form of every UTF-16 code unit u (65536
// entries); units without one, surrogates among them, map to themselves
// (Windows: CharLowerBuffW over every unit, the same mapping as CharLowerW on
// one character; POSIX: the simple Unicode mapping of lower_table.inc).
void LowerCaseTableFill(char16_t* table);

}  // namespace quorvel
