// What a counted Quorvel publishes for the bench driver: a block of shared
// memory, found by name, that the program writes and the driver only reads.
#pragma once

#include <cstdint>

namespace quorvel::bench {

inline constexpr wchar_t kCountersName[] = L"Local\\QuorvelBenchCounters";

// Single writer (the program's loop thread); each field is an aligned 64-bit
// value, so a reader never sees half of a store.
struct Counters {
  volatile int64_t turns;        // calls of EventNext, one per turn of the loop
  volatile int64_t listAdds;     // items added to the history list
  volatile int64_t lastAddTicks; // QueryPerformanceCounter after the last addition
  volatile int64_t startTicks;   // QueryPerformanceCounter when the counters were created
};

}  // namespace quorvel::bench
