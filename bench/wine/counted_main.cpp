// Entry point of the counted variants: the application on the Win32 platform,
// seen through a platform that forwards every operation unchanged and, on the
// way, counts the turns of the loop and stamps each addition to the history
// list in shared memory (bench_counters.h), and sums up the process's heaps
// when the driver asks. Built only for the benchmarks.
#include <malloc.h>  // _get_heap_handle: the C runtime's heap
#include <windows.h>
// NOTE: <windows.h> maps MapVirtualKey to MapVirtualKeyW, which would rename
// the platform operation of the same name here.
#undef MapVirtualKey

#include <algorithm>
#include <cstdint>

#include "app/application.h"
#include "bench_counters.h"
#include "ui/win32_platform.h"

namespace quorvel::bench {
namespace {

int64_t Ticks() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// A stand-in when the shared block cannot be made, so the program still runs.
Counters g_unshared{};

Counters& OpenCounters() {
  // The mapping lives as long as the process; the driver opens it by name.
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(Counters), kCountersName);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(Counters)) : nullptr;
  auto* counters = view ? static_cast<Counters*>(view) : &g_unshared;
  counters->turns = 0;
  counters->listAdds = 0;
  counters->lastAddTicks = 0;
  counters->startTicks = Ticks();
  counters->heapAsked = 0;
  counters->heapAnswered = 0;
  counters->lastCommandTicks = 0;
  counters->lastSelectTicks = 0;
  counters->lastPromptTicks = 0;
  counters->itemCountCalls = 0;
  counters->itemCountNanos = 0;
  counters->listAddTicks = 0;
  counters->clipboardReads = 0;
  counters->clipboardReadTicks = 0;
  return *counters;
}

// Walks every heap of the process and publishes what its allocated blocks
// hold, by kind of heap. Runs on the loop's thread between two turns, so the
// program's own heap use is at rest; the walk takes a while over 10^5 blocks
// and is not part of any timed interval.
void PublishHeapSummary(Counters& counters) {
  const int64_t asked = counters.heapAsked;
  const int64_t start = Ticks();
  int64_t bytes[kHeapKinds] = {};
  int64_t blocks[kHeapKinds] = {};
  int64_t committed[kHeapKinds] = {};
  int64_t freeBytes[kHeapKinds] = {};
  int64_t freeBlocks[kHeapKinds] = {};
  HANDLE heaps[64];
  const DWORD count = GetProcessHeaps(64, heaps);
  const auto runtime = reinterpret_cast<HANDLE>(_get_heap_handle());
  for (DWORD i = 0; i < count && i < 64; ++i) {
    const int kind = heaps[i] == runtime           ? kHeapRuntime
                     : heaps[i] == GetProcessHeap() ? kHeapProcess
                                                    : kHeapOther;
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        bytes[kind] += entry.cbData;
        ++blocks[kind];
      } else if (entry.wFlags & PROCESS_HEAP_REGION) {
        committed[kind] += entry.Region.dwCommittedSize;
      } else if (entry.wFlags == 0) {
        freeBytes[kind] += entry.cbData;
        ++freeBlocks[kind];
      }
    }
    HeapUnlock(heaps[i]);
  }
  for (int kind = 0; kind < kHeapKinds; ++kind) {
    counters.heapBusyBytes[kind] = bytes[kind];
    counters.heapBusyBlocks[kind] = blocks[kind];
    counters.heapCommitted[kind] = committed[kind];
    counters.heapFreeBytes[kind] = freeBytes[kind];
    counters.heapFreeBlocks[kind] = freeBlocks[kind];
  }
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  counters.heapWalkMicros = (Ticks() - start) * 1000000 / frequency.QuadPart;
  counters.heapAnswered = asked;
}

class CountingPlatform final : public Platform {
 public:
  CountingPlatform(Platform& inner, Counters& counters) : inner_(inner), counters_(counters) {}

  int64_t EventNext(int32_t timeout) override {
    if (counters_.heapAsked != counters_.heapAnswered) {
      TimeItemCount();
      PublishHeapSummary(counters_);
    }
    counters_.turns = counters_.turns + 1;
    const int64_t event = inner_.EventNext(timeout);
    if (event == EventMenuCommand) counters_.lastCommandTicks = Ticks();
    return event;
  }
  int64_t GadgetItemCount(int64_t gadget) override {
    if (gadget == kListView) counters_.itemCountCalls = counters_.itemCountCalls + 1;
    return inner_.GadgetItemCount(gadget);
  }
  void GadgetSetState(int64_t gadget, int64_t state) override {
    inner_.GadgetSetState(gadget, state);
    if (gadget == kListView) counters_.lastSelectTicks = Ticks();
  }
  int64_t GadgetAddItem(int64_t gadget, int64_t position, std::u16string_view text) override {
    const int64_t start = Ticks();
    const int64_t result = inner_.GadgetAddItem(gadget, position, text);
    if (gadget == kListView) {
      counters_.lastAddTicks = Ticks();
      counters_.listAddTicks = counters_.listAddTicks + (counters_.lastAddTicks - start);
      counters_.listAdds = counters_.listAdds + 1;
    }
    return result;
  }

  // Everything else passes straight through.
  void RuntimeStart() override { inner_.RuntimeStart(); }
  void RuntimeEnd() override { inner_.RuntimeEnd(); }
  int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     std::u16string_view title, uint32_t flags) override {
    return inner_.WindowOpen(number, x, y, width, height, title, flags);
  }
  int64_t WindowClientWidth(int64_t number) override { return inner_.WindowClientWidth(number); }
  int64_t WindowClientHeight(int64_t number) override {
    return inner_.WindowClientHeight(number);
  }
  WindowRef WindowHandle(int64_t number) override { return inner_.WindowHandle(number); }
  void WindowSetHidden(int64_t number, int32_t hidden) override {
    inner_.WindowSetHidden(number, hidden);
  }
  int64_t ActiveWindowNumber() override { return inner_.ActiveWindowNumber(); }
  int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                         int32_t height) override {
    return inner_.ListViewCreate(number, x, y, width, height);
  }
  int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                       int32_t height) override {
    return inner_.EditorCreate(number, x, y, width, height);
  }
  void GadgetSetHidden(int64_t gadget, int64_t hidden) override {
    inner_.GadgetSetHidden(gadget, hidden);
  }
  void GadgetFocus(int64_t gadget) override { inner_.GadgetFocus(gadget); }
  int64_t GadgetGetState(int64_t gadget) override { return inner_.GadgetGetState(gadget); }
  void GadgetRemoveItem(int64_t gadget, int64_t index) override {
    inner_.GadgetRemoveItem(gadget, index);
  }
  void GadgetClearItems(int64_t gadget) override { inner_.GadgetClearItems(gadget); }
  std::u16string GadgetItemText(int64_t gadget, int64_t index) override {
    return inner_.GadgetItemText(gadget, index);
  }
  void GadgetSetText(int64_t gadget, std::u16string_view text) override {
    inner_.GadgetSetText(gadget, text);
  }
  uintptr_t ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) override {
    return inner_.ShortcutAdd(window, shortcut, item);
  }
  int64_t CurrentEventItem() override { return inner_.CurrentEventItem(); }
  int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) override {
    return inner_.EventPost(code, window, object, type);
  }
  int64_t MessageDialog(std::u16string_view title, std::u16string_view text,
                        int64_t flags) override {
    return inner_.MessageDialog(title, text, flags);
  }
  std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                             std::u16string_view defaultText) override {
    std::u16string answer = inner_.InputDialog(title, message, defaultText);
    counters_.lastPromptTicks = Ticks();
    return answer;
  }
  std::u16string ClipboardGetText() override { return inner_.ClipboardGetText(); }
  int64_t ClipboardSetText(std::u16string_view text) override {
    return inner_.ClipboardSetText(text);
  }
  bool ClipboardReadText(std::u16string& text, uint32_t& sequence) override {
    const int64_t start = Ticks();
    const bool read = inner_.ClipboardReadText(text, sequence);
    counters_.clipboardReadTicks = counters_.clipboardReadTicks + (Ticks() - start);
    counters_.clipboardReads = counters_.clipboardReads + 1;
    return read;
  }
  uint32_t ClipboardSequenceNumber() override { return inner_.ClipboardSequenceNumber(); }
  int64_t DateNow() override { return inner_.DateNow(); }
  uint64_t TickNow() override { return inner_.TickNow(); }
  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override {
    return inner_.MapVirtualKey(code, mapType);
  }
  uint32_t ForegroundLayoutKey(uint32_t scanCode) override {
    return inner_.ForegroundLayoutKey(scanCode);
  }
  int32_t RegisterHotKey(WindowRef window, int32_t id, uint32_t modifiers,
                         uint32_t virtualKey) override {
    return inner_.RegisterHotKey(window, id, modifiers, virtualKey);
  }
  int32_t UnregisterHotKey(WindowRef window, int32_t id) override {
    return inner_.UnregisterHotKey(window, id);
  }
  int32_t SetForegroundWindow(WindowRef window) override {
    return inner_.SetForegroundWindow(window);
  }

 private:
  // The cost of one question for the list's count, as the find loop asks it:
  // the fastest of five rounds, so that a round the machine interrupted does
  // not count.
  void TimeItemCount() {
    constexpr int kCalls = 2000;
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    int64_t best = INT64_MAX;
    for (int round = 0; round < 5; ++round) {
      const int64_t start = Ticks();
      for (int i = 0; i < kCalls; ++i) inner_.GadgetItemCount(kListView);
      best = std::min(best, Ticks() - start);
    }
    counters_.itemCountNanos = best * 1000000000 / frequency.QuadPart / kCalls;
  }

  Platform& inner_;
  Counters& counters_;
};

}  // namespace
}  // namespace quorvel::bench

// The same start as the shipped program (app/win32_main.cpp).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const quorvel::Win32ProgramHeap heap;
  quorvel::bench::CountingPlatform platform(quorvel::Win32Platform(),
                                            quorvel::bench::OpenCounters());
  quorvel::Application application(platform);
  return application.Run();
}
