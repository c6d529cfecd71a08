// Commands of the bench driver for large histories and memory: feeds many
// texts through the clipboard as fast as Quorvel reads them, fills a plain
// list box of the driver's own (what the list alone costs), asks a counted
// Quorvel for a summary of its heaps, and times F3 from a chosen line.
//   feed COUNT TAG CHARS CYCLE [WAIT]  COUNT texts of CHARS characters on
//                            one line, each set once Quorvel has taken the
//                            one before; CYCLE 0: all distinct (TAG and a
//                            number), else the same CYCLE texts in turn
//                            (nothing new once they are in the history).
//                            WAIT "render" (default): the text is rendered
//                            on demand, and the next set once Quorvel asked
//                            for it; "count": LB_GETCOUNT polled until the
//                            list grew (CYCLE 0 only); "counted": the counters
//                            of a counted Quorvel, until it added a line
//   listbox COUNT CHARS      COUNT distinct lines of CHARS characters in a
//                            list box of the driver's own, made as Quorvel's
//                            list is; marks FILE.ready before and FILE.added
//                            after, each time waiting for FILE.go / FILE.end,
//                            so that the caller reads the resident set
//   heap                     the heap summary of a counted Quorvel, and the
//                            time of one question for its list's count
//   stamps                   a counted Quorvel's count of such questions, the
//                            time from the last prompt answer and from the
//                            last command to the list's selection, and its
//                            list additions and clipboard reads with the
//                            total time spent in each
//   findnext FROM            selects line FROM of Quorvel's list, presses F3
//                            (SendInput) and times until the selection moves
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver.h"

namespace quorvel::bench {
namespace {

constexpr wchar_t kFeederClass[] = L"QuorvelBenchFeeder";
constexpr DWORD kQuorvelListStyle = 0x50330141;  // as Quorvel's list view makes its list box

// ---------------------------------------------------------------------------
// Texts.

// CHARS characters on one line: tag, a blank, then letters and digits. No two
// tags give the same text, and no text holds a line break.
std::wstring LineText(size_t chars, const std::wstring& tag) {
  static const wchar_t kFiller[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  std::wstring text = tag + L" ";
  while (text.size() < chars) text += kFiller[text.size() % (sizeof kFiller / sizeof kFiller[0] - 1)];
  return text;
}

std::wstring Numbered(const std::wstring& tag, long long number) {
  wchar_t digits[24];
  std::swprintf(digits, 24, L"%07lld", number);
  return tag + L" " + digits;
}

// ---------------------------------------------------------------------------
// Measuring from outside: the resident set of a Wine process is read by the
// caller from /proc (a Wine program that opens /proc/self reads the server's:
// the server opens files for it), so the driver hands over through files.

bool WriteMark(const std::wstring& path) {
  FILE* file = _wfopen(WindowsPath(path).c_str(), L"wb");
  if (!file) return false;
  std::fputs("mark\n", file);
  std::fclose(file);
  return true;
}

bool WaitForMark(const std::wstring& path, DWORD timeoutMs) {
  const std::wstring windowsPath = WindowsPath(path);
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (GetFileAttributesW(windowsPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount64() >= end) return false;
    Pause(5);
  }
  return true;
}

// Bytes and count of the allocated blocks of the process heap.
void ProcessHeapBusy(long long& bytes, long long& blocks) {
  bytes = 0;
  blocks = 0;
  HANDLE heap = GetProcessHeap();
  if (!HeapLock(heap)) return;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      bytes += static_cast<long long>(entry.cbData);
      ++blocks;
    }
  }
  HeapUnlock(heap);
}

// ---------------------------------------------------------------------------
// Feeding: the text goes on the clipboard to be rendered on demand, so the
// driver learns the moment Quorvel reads it (WM_RENDERFORMAT) and can put the
// next one there at once, without asking Quorvel's list anything.

struct Feeder {
  HWND window = nullptr;
  std::wstring text;   // what the next render hands over
  long long renders = 0;
};

Feeder g_feeder;

void Render() {
  HGLOBAL block = MakeBlock(g_feeder.text);
  // The clipboard owns the block once it took it.
  if (block && !SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  ++g_feeder.renders;
}

LRESULT CALLBACK FeederProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT && wParam == CF_UNICODETEXT) {
    Render();
    return 0;
  }
  if (message == WM_RENDERALLFORMATS) {
    // The driver ends with a text not yet read: it stays on the clipboard.
    if (OpenClipboard(window)) {
      if (GetClipboardOwner() == window) Render();
      CloseClipboard();
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND FeederWindow() {
  if (g_feeder.window) return g_feeder.window;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FeederProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kFeederClass;
  RegisterClassW(&windowClass);
  g_feeder.window = CreateWindowExW(0, kFeederClass, L"bench feeder", WS_OVERLAPPEDWINDOW, 0, 0,
                                    400, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  return g_feeder.window;
}

// Opens the clipboard with the feeder's window, retrying while Quorvel still
// holds it after its read (up to 5 s).
bool OpenFeeder() {
  const ULONGLONG end = GetTickCount64() + 5000;
  while (!OpenClipboard(FeederWindow())) {
    if (GetTickCount64() >= end) return false;
    PumpMessages();
    Sleep(0);
  }
  return true;
}

// Puts text on the clipboard, rendered when asked, and waits until it was.
bool FeedOne(const std::wstring& text) {
  g_feeder.text = text;
  const long long rendersBefore = g_feeder.renders;
  if (!OpenFeeder()) return false;
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, nullptr);
  CloseClipboard();
  const ULONGLONG end = GetTickCount64() + 10000;
  for (;;) {
    PumpMessages();
    if (g_feeder.renders != rendersBefore) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// The text of a line of another process's list box, or "" (at most 512 units).
std::wstring LineOf(HWND list, long long index) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 5000,
                           &length) ||
      static_cast<LRESULT>(length) < 0 || length > 512) {
    return {};
  }
  std::wstring line(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(line.data()), SMTO_NORMAL, 5000, &copied);
  line.resize(wcsnlen(line.c_str(), line.size()));
  return line;
}

// Sleeps for a tenth of a millisecond: waits finer than Sleep's milliseconds,
// without spinning on a core that Quorvel and the server need.
void Nap() {
  using DelayExecution = LONG(WINAPI*)(BOOLEAN, LARGE_INTEGER*);
  static const auto delay = reinterpret_cast<DelayExecution>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDelayExecution")));
  LARGE_INTEGER interval{};
  interval.QuadPart = -1000;  // relative, in units of 100 ns
  if (delay) {
    delay(FALSE, &interval);
  } else {
    Sleep(0);
  }
}

// Puts text on the clipboard at once and waits until a counted Quorvel added
// a list item after it (reading the shared counters: no message to it).
bool FeedCounted(const std::wstring& text, const Counters& counters) {
  const int64_t addsBefore = counters.listAdds;
  if (!SetText(text).ok) return false;
  const ULONGLONG end = GetTickCount64() + 10000;
  while (counters.listAdds == addsBefore) {
    if (GetTickCount64() >= end) return false;
    PumpMessages();
    Nap();
  }
  return true;
}

}  // namespace

bool CmdFeed(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 4 && args.size() != 5) return false;
  const long long count = _wtoi64(args[0].c_str());
  const std::wstring& tag = args[1];
  const size_t chars = static_cast<size_t>(_wtoi64(args[2].c_str()));
  const long long cycle = _wtoi64(args[3].c_str());
  const std::wstring wait = args.size() == 5 ? args[4] : L"render";
  const Counters* counters = wait == L"counted" ? OpenCounters() : nullptr;
  HWND list = QuorvelList();
  json.Bool("list", list != nullptr);
  if (!list || !FeederWindow() || (wait == L"counted" && !counters) ||
      (wait == L"count" && cycle > 0)) {
    return false;
  }
  const long long before = Ask(list, LB_GETCOUNT);
  const int64_t t0 = Ticks();
  long long done = 0;
  std::wstring last;
  for (; done < count; ++done) {
    last = LineText(chars, Numbered(tag, cycle > 0 ? done % cycle : done));
    const bool fed = wait == L"render"    ? FeedOne(last)
                     : wait == L"counted" ? FeedCounted(last, *counters)
                                          : SetText(last).ok &&
                                                WaitForListAbove(list, before + done, 0, 10000);
    if (!fed) break;
  }
  const int64_t fed = Ticks();
  // The last text was read; its line follows within a turn.
  long long after = -1;
  bool settled = false;
  const ULONGLONG end = GetTickCount64() + 10000;
  while (done > 0 && GetTickCount64() < end) {
    after = Ask(list, LB_GETCOUNT);
    settled = cycle > 0 ? LineOf(list, after - 1).compare(0, last.size(), last) == 0
                        : after >= before + done;
    if (settled || after < 0) break;
    Pause(2);
  }
  json.Int("done", done);
  json.Int("count_before", before);
  json.Int("count_after", after);
  json.Int("renders", g_feeder.renders);
  json.Int("elapsed_us", Micros(fed - t0));
  json.Bool("settled", settled);
  return done == count && settled && (cycle > 0 || after == before + count);
}

bool CmdListBox(const std::vector<std::wstring>& args, const std::wstring& out, Json& json) {
  if (args.size() != 2 || out.empty()) return false;
  const long long count = _wtoi64(args[0].c_str());
  const size_t chars = static_cast<size_t>(_wtoi64(args[1].c_str()));
  HWND parent = FeederWindow();
  HWND list = parent ? CreateWindowExW(0, L"ListBox", L"", kQuorvelListStyle, 0, 0, 400, 400,
                                       parent, nullptr, GetModuleHandleW(nullptr), nullptr)
                     : nullptr;
  json.Bool("list", list != nullptr);
  if (!list) return false;
  // The lines are made first, so that only the list's own copies are counted.
  std::vector<std::wstring> lines;
  lines.reserve(static_cast<size_t>(count));
  for (long long i = 0; i < count; ++i) lines.push_back(LineText(chars, Numbered(L"list line", i)));
  long long heapBefore = 0, blocksBefore = 0, heapAfter = 0, blocksAfter = 0;
  ProcessHeapBusy(heapBefore, blocksBefore);
  // The caller reads the resident set between FILE.ready and FILE.go, and
  // again between FILE.added and FILE.end.
  if (!WriteMark(out + L".ready") || !WaitForMark(out + L".go", 60000)) return false;
  const int64_t t0 = Ticks();
  for (const std::wstring& line : lines) {
    SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(line.c_str()));
  }
  const int64_t t1 = Ticks();
  if (!WriteMark(out + L".added") || !WaitForMark(out + L".end", 60000)) return false;
  ProcessHeapBusy(heapAfter, blocksAfter);
  json.Int("count", SendMessageW(list, LB_GETCOUNT, 0, 0));
  json.Int("heap_before", heapBefore);
  json.Int("heap_after", heapAfter);
  json.Int("blocks_before", blocksBefore);
  json.Int("blocks_after", blocksAfter);
  json.Int("elapsed_us", Micros(t1 - t0));
  return SendMessageW(list, LB_GETCOUNT, 0, 0) == count;
}

bool CmdHeap(const std::vector<std::wstring>& args, Json& json) {
  if (!args.empty()) return false;
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kCountersName);
  auto* counters = mapping ? static_cast<Counters*>(
                                 MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(Counters)))
                           : nullptr;
  if (mapping) CloseHandle(mapping);
  json.Bool("counted", counters != nullptr);
  if (!counters) return false;
  const int64_t asked = counters->heapAnswered + 1;
  counters->heapAsked = asked;
  const ULONGLONG end = GetTickCount64() + 60000;
  while (counters->heapAnswered != asked && GetTickCount64() < end) Pause(5);
  const bool answered = counters->heapAnswered == asked;
  static const char* const kNames[kHeapKinds] = {"runtime", "process", "other"};
  for (int kind = 0; kind < kHeapKinds && answered; ++kind) {
    const std::string name = kNames[kind];
    json.Int((name + "_bytes").c_str(), counters->heapBusyBytes[kind]);
    json.Int((name + "_blocks").c_str(), counters->heapBusyBlocks[kind]);
    json.Int((name + "_committed").c_str(), counters->heapCommitted[kind]);
    json.Int((name + "_free").c_str(), counters->heapFreeBytes[kind]);
    json.Int((name + "_free_blocks").c_str(), counters->heapFreeBlocks[kind]);
  }
  if (answered) {
    json.Int("walk_us", counters->heapWalkMicros);
    json.Int("item_count_ns", counters->itemCountNanos);
  }
  UnmapViewOfFile(counters);
  return answered;
}

bool CmdStamps(const std::vector<std::wstring>& args, Json& json) {
  if (!args.empty()) return false;
  const Counters* counters = OpenCounters();
  json.Bool("counted", counters != nullptr);
  if (!counters) return false;
  json.Int("item_count_calls", counters->itemCountCalls);
  // The last find answered through the prompt: from its answer to the selection.
  json.Int("prompt_to_select_us", Micros(counters->lastSelectTicks - counters->lastPromptTicks));
  json.Int("command_to_select_us", Micros(counters->lastSelectTicks - counters->lastCommandTicks));
  json.Int("list_adds", counters->listAdds);
  json.Int("list_add_us", Micros(counters->listAddTicks));
  json.Int("clipboard_reads", counters->clipboardReads);
  json.Int("clipboard_read_us", Micros(counters->clipboardReadTicks));
  UnmapViewOfFile(counters);
  return true;
}

bool CmdFindNext(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 1) return false;
  const long long from = _wtoi64(args[0].c_str());
  HWND list = QuorvelList();
  json.Bool("list", list != nullptr);
  if (!list) return false;
  // Selected as the user selects (the list takes no selection from another
  // program): Home for the first line, End and Up for the one before the last.
  const long long count = Ask(list, LB_GETCOUNT);
  std::vector<WORD> moves;
  if (from == 0) {
    moves = {VK_HOME};
  } else if (from == count - 2) {
    moves = {VK_END, VK_UP};
  } else {
    return false;
  }
  for (WORD vk : moves) {
    INPUT press[2] = {};
    for (INPUT& key : press) {
      key.type = INPUT_KEYBOARD;
      key.ki.wVk = vk;
      key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
      key.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    }
    press[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, press, sizeof(INPUT));
  }
  const ULONGLONG selectEnd = GetTickCount64() + 10000;
  while (Ask(list, LB_GETCURSEL) != from && GetTickCount64() < selectEnd) Pause(1);
  const long long before = Ask(list, LB_GETCURSEL);
  const Counters* counters = OpenCounters();
  const int64_t callsBefore = counters ? counters->itemCountCalls : 0;
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_F3;
    key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_F3, MAPVK_VK_TO_VSC));
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  const int64_t t0 = Ticks();
  const bool sent = SendInput(2, keys, sizeof(INPUT)) == 2;
  const bool moved = ReportSelectionMove(list, before, t0, sent ? 60000 : 0, json) && sent;
  if (counters) {
    // Inside Quorvel: the key's command taken from the loop, and the selection set.
    json.Int("command_us", Micros(counters->lastCommandTicks - t0));
    json.Int("selected_us", Micros(counters->lastSelectTicks - t0));
    json.Int("item_count_calls", counters->itemCountCalls - callsBefore);
    UnmapViewOfFile(counters);
  }
  return before == from && moved;
}

}  // namespace quorvel::bench
