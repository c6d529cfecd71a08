// What a counted Quorvel publishes for the bench driver: a block of shared
// memory, found by name, that the program writes and the driver reads; the
// driver writes only heapAsked, to ask for a heap summary.
#pragma once

#include <cstdint>

namespace quorvel::bench {

inline constexpr wchar_t kCountersName[] = L"Local\\QuorvelBenchCounters";

// The heaps of the process in a summary: the C runtime's (everything the
// program allocates with new and malloc), the process heap (where the system
// DLLs keep theirs: the list box's lines, the clipboard data a reader was
// handed) and any other.
enum HeapKind { kHeapRuntime, kHeapProcess, kHeapOther, kHeapKinds };

// One writer per field (the program's loop thread, or the driver for
// heapAsked); each field is an aligned 64-bit value, so a reader never sees
// half of a store.
struct Counters {
  volatile int64_t turns;        // calls of EventNext, one per turn of the loop
  volatile int64_t listAdds;     // items added to the history list
  volatile int64_t lastAddTicks; // QueryPerformanceCounter after the last addition
  volatile int64_t startTicks;   // QueryPerformanceCounter when the counters were created
  // A heap summary is taken at the start of the turn after heapAsked changed;
  // heapAnswered then takes heapAsked's value, once the figures are written.
  volatile int64_t heapAsked;
  volatile int64_t heapAnswered;
  volatile int64_t heapBusyBytes[kHeapKinds];   // bytes in allocated blocks
  volatile int64_t heapBusyBlocks[kHeapKinds];  // allocated blocks
  volatile int64_t heapCommitted[kHeapKinds];   // bytes the heaps' regions committed
  volatile int64_t heapFreeBytes[kHeapKinds];   // bytes in free blocks of the regions
  volatile int64_t heapFreeBlocks[kHeapKinds];  // free blocks
  volatile int64_t heapWalkMicros;              // time the summary took
  // Where a command's time goes (find steps through the list asking its count).
  volatile int64_t lastCommandTicks;  // QueryPerformanceCounter when EventNext returned a command
  volatile int64_t lastSelectTicks;   // QueryPerformanceCounter after the list's selection was set
  volatile int64_t lastPromptTicks;   // QueryPerformanceCounter when a prompt (InputDialog) returned
  volatile int64_t itemCountCalls;    // calls of GadgetItemCount on the list
  // With each heap summary: the time of one GadgetItemCount on the list, in
  // nanoseconds (the fastest of five rounds of 2,000 calls made for the purpose).
  volatile int64_t itemCountNanos;
  // Where a capture's time goes: totals over the run.
  volatile int64_t listAddTicks;        // ticks spent adding items to the list
  volatile int64_t clipboardReads;      // calls of ClipboardReadText
  volatile int64_t clipboardReadTicks;  // ticks spent in them
};

}  // namespace quorvel::bench
