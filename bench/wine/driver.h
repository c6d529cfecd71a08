// What the commands of the bench driver share (bench_driver.cpp) beyond the
// helper programs' tools: Quorvel's counters, and the clipboard set through a
// window of the driver's own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_counters.h"
#include "tests/e2e/desktop_tools.h"  // and Json, the result of a command

namespace quorvel::bench {

// Files, windows, asking with a time limit, the clock, keys and filler texts.
using namespace quorvel::tools;

// Waiting that keeps answering messages (see PumpMessages in bench_driver.cpp).
void PumpMessages();
void Pause(DWORD ms);

// The counters of a counted Quorvel, or null when none runs.
const Counters* OpenCounters();

// The driver's own window, which opens the clipboard.
extern HWND g_owner;

struct SetTimes {
  bool ok = false;
  int64_t beforeSet = 0;   // just before SetClipboardData
  int64_t afterClose = 0;  // just after CloseClipboard
};

HGLOBAL MakeBlock(const std::wstring& text);
SetTimes SetText(const std::wstring& text);
// Waits until the list holds more than count items; the time it was seen, or 0.
int64_t WaitForListAbove(HWND list, long long count, DWORD pollMs, DWORD timeoutMs,
                         long long* seen = nullptr);

// Waits until the list's selection leaves before (or timeoutMs passed), then
// writes the selection before and after, the count and the time since t0;
// true when the selection moved.
bool ReportSelectionMove(HWND list, long long before, int64_t t0, DWORD timeoutMs, Json& json);

// The commands of driver_scale.cpp (memory, large histories, find, a huge
// text); each fills json and returns true when it did its thing.
bool CmdFeed(const std::vector<std::wstring>& args, Json& json);
bool CmdListBox(const std::vector<std::wstring>& args, const std::wstring& out, Json& json);
bool CmdHeap(const std::vector<std::wstring>& args, Json& json);
bool CmdStamps(const std::vector<std::wstring>& args, Json& json);
bool CmdFindNext(const std::vector<std::wstring>& args, Json& json);

}  // namespace quorvel::bench
