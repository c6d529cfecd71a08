// The other programs of the Wine benchmarks (scripts/bench-wine.sh): puts
// texts on the clipboard and times until Quorvel's list shows them, holds the
// clipboard open in a loop and counts refusals, reads the counters that the
// counted variants publish, starts Quorvel and times its start-up, and answers
// the find prompt. The clipboard is opened with a window of the driver's own,
// as a real program would.
//   bench_driver [--out FILE] COMMAND ARGS
//   set CHARS TAG [LINE [FILLER]]  a text of CHARS characters starting with
//                            TAG, in lines of LINE characters with their CR LF
//                            (64 when not given; 0: one line without breaks; 2:
//                            the tag, then line breaks only), of words (a space
//                            every 37 characters), "digits" or "base64"; when
//                            Quorvel runs, waits for its list to grow
//   turns MS                 turns of a counted Quorvel over MS milliseconds;
//                            FILE.begin appears when the interval starts
//   interfere MS             OpenClipboard/CloseClipboard for MS milliseconds
//   latency COUNT TAG SOURCE [POLLMS]  COUNT new texts, each timed from
//                            SetClipboardData to its list item: SOURCE "list"
//                            polls LB_GETCOUNT (POLLMS apart), "stamp" takes
//                            the time of the addition from the counters
//   fill COUNT TAG           COUNT distinct texts, each once the list took the
//                            one before (LB_GETCOUNT polled without a pause)
//   respond COUNT            round trips of WM_NULL to the main window
//   startup EXE RUNS         starts EXE RUNS times: times to its window, to the
//                            first message it answers (its loop runs), and
//                            whether the hot key is then taken
//   find TEXT                answers the open find prompt with TEXT and times
//                            until the list selection moves
//   preview                  in the shown Quorvel: End selects the last entry,
//                            Alt+Return (SendInput) is timed until the editor
//                            is visible, painted and the loop answers; then
//                            round trips in the preview, and Alt+Return back
//                            timed until the list is visible and painted
//   feed, listbox, heap, stamps, findnext   large histories and memory: see
//                            driver_scale.cpp
// Results are one JSON object in FILE (times in microseconds). Exit code 0:
// done; 1: failed (the JSON says where); 2: bad command line.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "driver.h"

namespace quorvel::bench {

constexpr wchar_t kOwnerClass[] = L"QuorvelBenchDriver";
constexpr UINT kHotKeyModifiers = MOD_ALT | MOD_NOREPEAT;
constexpr UINT kHotKeyScanCode = 0x29;
constexpr int kRequesterEditId = 10;
constexpr int kRequesterOkId = 1000;

// ---------------------------------------------------------------------------
// Waiting.

// NOTE: under Wine, a program that asks about the clipboard's formats sends a
// message to the owner's window (at most every 2 s or so) and waits for it up
// to 5 s; an owner that does not answer stalls the asker. Whenever the driver
// may own the clipboard it waits here, answering messages.
void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void Pause(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    PumpMessages();
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// ---------------------------------------------------------------------------
// Quorvel's counters.

// The counters of a counted Quorvel, or null when none runs.
const quorvel::bench::Counters* OpenCounters() {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, quorvel::bench::kCountersName);
  if (!mapping) return nullptr;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(quorvel::bench::Counters));
  // The view keeps the block alive; no handle stays open to keep it past the
  // program that made it.
  CloseHandle(mapping);
  return static_cast<const quorvel::bench::Counters*>(view);
}

// ---------------------------------------------------------------------------
// The clipboard, through a window of the driver's own.

HWND g_owner = nullptr;

bool CreateOwner() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kOwnerClass;
  RegisterClassW(&windowClass);
  g_owner = CreateWindowExW(0, kOwnerClass, L"bench driver", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  return g_owner != nullptr;
}

// Opens the clipboard, retrying while another program holds it (up to 5 s).
bool OpenOwned() {
  const ULONGLONG end = GetTickCount64() + 5000;
  while (!OpenClipboard(g_owner)) {
    if (GetTickCount64() >= end) return false;
    PumpMessages();
    Sleep(0);
  }
  return true;
}

HGLOBAL MakeBlock(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return nullptr;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(p, text.c_str(), bytes);
  GlobalUnlock(block);
  return block;
}

// Replaces the clipboard with text; the block is ready before the clipboard
// opens, so it is held only for the transfer itself.
SetTimes SetText(const std::wstring& text) {
  SetTimes times;
  HGLOBAL block = MakeBlock(text);
  if (!block) return times;
  if (!OpenOwned()) {
    GlobalFree(block);
    return times;
  }
  EmptyClipboard();
  times.beforeSet = Ticks();
  times.ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!times.ok) GlobalFree(block);  // the clipboard owns it only once accepted
  CloseClipboard();
  times.afterClose = Ticks();
  return times;
}

// Waits until the list holds more than count items; the time it was seen, or 0.
int64_t WaitForListAbove(HWND list, long long count, DWORD pollMs, DWORD timeoutMs,
                         long long* seen) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    const long long now = Ask(list, LB_GETCOUNT);
    const int64_t at = Ticks();
    if (seen) *seen = now;
    if (now > count) return at;
    if (now < 0 || GetTickCount64() >= end) return 0;
    if (pollMs) Pause(pollMs);
  }
}

bool ReportSelectionMove(HWND list, long long before, int64_t t0, DWORD timeoutMs, Json& json) {
  long long selected = before;
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (selected == before && GetTickCount64() < end) {
    selected = Ask(list, LB_GETCURSEL, timeoutMs);
    if (selected == before) Pause(1);
  }
  json.Int("selected_before", before);
  json.Int("selected", selected);
  json.Int("count", Ask(list, LB_GETCOUNT));
  json.Int("find_us", Micros(Ticks() - t0));
  return selected != before;
}

// ---------------------------------------------------------------------------
// Commands. Each fills json and returns true when it did its thing.

bool CmdSet(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() < 2 || args.size() > 4) return false;
  const size_t lineChars = args.size() >= 3 ? static_cast<size_t>(_wtoi64(args[2].c_str())) : 64;
  const std::wstring text = FillerText(static_cast<size_t>(_wtoi64(args[0].c_str())), args[1],
                                       lineChars, FillerChars(args.size() == 4 ? args[3] : L"words"));
  HWND list = QuorvelList();
  const long long before = list ? Ask(list, LB_GETCOUNT) : -1;
  const SetTimes times = SetText(text);
  json.Bool("set", times.ok);
  json.Int("chars", static_cast<long long>(text.size()));
  json.Int("set_us", Micros(times.afterClose - times.beforeSet));
  if (!times.ok || !list) return times.ok;
  long long after = -1;
  const int64_t seen = WaitForListAbove(list, before, 1, 120000, &after);
  json.Int("count_before", before);
  json.Int("count_after", after);
  json.Bool("captured", seen != 0);
  if (seen) {
    json.Int("capture_us", Micros(seen - times.beforeSet));
    json.Int("capture_after_close_us", Micros(seen - times.afterClose));
  }
  return seen != 0;
}

bool CmdTurns(const std::vector<std::wstring>& args, const std::wstring& out, Json& json) {
  if (args.size() != 1) return false;
  const DWORD ms = static_cast<DWORD>(_wtoi(args[0].c_str()));
  const quorvel::bench::Counters* counters = OpenCounters();
  // Let this program's own start-up traffic with the server die down first.
  Pause(500);
  if (!out.empty() && !WriteTextFile(out + L".begin", "begin\n")) return false;
  const int64_t turns0 = counters ? counters->turns : 0;
  const int64_t t0 = Ticks();
  Pause(ms);
  const int64_t turns1 = counters ? counters->turns : 0;
  const int64_t t1 = Ticks();
  json.Bool("counted", counters != nullptr);
  json.Int("elapsed_us", Micros(t1 - t0));
  if (counters) json.Int("turns", turns1 - turns0);
  return true;
}

bool CmdInterfere(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 1) return false;
  const int64_t span = TicksPerSecond() * _wtoi(args[0].c_str()) / 1000;
  long long attempts = 0;
  long long failures = 0;
  const int64_t start = Ticks();
  int64_t now = start;
  while (now - start < span) {
    ++attempts;
    if (OpenClipboard(g_owner)) {
      CloseClipboard();
    } else {
      ++failures;
    }
    now = Ticks();
  }
  json.Int("attempts", attempts);
  json.Int("failures", failures);
  json.Int("elapsed_us", Micros(now - start));
  return true;
}

bool CmdLatency(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() < 3) return false;
  const int count = _wtoi(args[0].c_str());
  const std::wstring& tag = args[1];
  const bool stamped = args[2] == L"stamp";
  const DWORD pollMs = args.size() > 3 ? static_cast<DWORD>(_wtoi(args[3].c_str())) : 1;
  HWND list = QuorvelList();
  const quorvel::bench::Counters* counters = stamped ? OpenCounters() : nullptr;
  json.Bool("list", list != nullptr);
  if (!list || (stamped && !counters)) return false;

  std::vector<long long> latencies;
  std::vector<long long> setTimes;  // SetClipboardData to CloseClipboard returned
  uint32_t random = 12345;
  for (int i = 0; i < count; ++i) {
    const long long before = Ask(list, LB_GETCOUNT);
    const int64_t addsBefore = counters ? counters->listAdds : 0;
    const SetTimes times = SetText(tag + L" " + std::to_wstring(i));
    if (!times.ok) break;
    int64_t appeared = 0;
    if (stamped) {
      const ULONGLONG end = GetTickCount64() + 10000;
      while (counters->listAdds == addsBefore && GetTickCount64() < end) Pause(1);
      // The stamp is taken inside Quorvel once the item is in; the list is
      // then asked, once, that it really grew.
      if (counters->listAdds != addsBefore && Ask(list, LB_GETCOUNT) > before) {
        appeared = counters->lastAddTicks;
      }
    } else {
      appeared = WaitForListAbove(list, before, pollMs, 10000);
    }
    if (!appeared) break;
    latencies.push_back(Micros(appeared - times.beforeSet));
    setTimes.push_back(Micros(times.afterClose - times.beforeSet));
    // A pause of 1 to 4 ms, so that changes do not fall in step with the loop.
    random = random * 1103515245u + 12345u;
    Pause(1 + (random >> 16) % 4);
  }
  json.Int("done", static_cast<long long>(latencies.size()));
  json.Ints("latency_us", latencies);
  json.Ints("set_us", setTimes);
  return static_cast<int>(latencies.size()) == count;
}

bool CmdFill(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 2) return false;
  const int count = _wtoi(args[0].c_str());
  HWND list = QuorvelList();
  json.Bool("list", list != nullptr);
  if (!list) return false;
  const long long start = Ask(list, LB_GETCOUNT);
  const int64_t t0 = Ticks();
  int done = 0;
  long long seen = start;
  for (; done < count; ++done) {
    if (!SetText(args[1] + L" " + std::to_wstring(done)).ok) break;
    if (!WaitForListAbove(list, start + done, 0, 10000, &seen)) break;
  }
  json.Int("done", done);
  json.Int("count", seen);
  json.Int("elapsed_us", Micros(Ticks() - t0));
  return done == count;
}

bool CmdRespond(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 1) return false;
  HWND window = QuorvelWindow();
  json.Bool("window", window != nullptr);
  if (!window) return false;
  std::vector<long long> trips;
  long long timeouts = 0;
  for (int i = 0; i < _wtoi(args[0].c_str()); ++i) {
    const int64_t t0 = Ticks();
    if (Ask(window, WM_NULL, 5000) < 0) ++timeouts;
    trips.push_back(Micros(Ticks() - t0));
    Pause(10);
  }
  json.Ints("round_trip_us", trips);
  json.Int("timeouts", timeouts);
  return timeouts == 0;
}

// One start: process start to window 0, to the first message its loop
// answers, and (counted variants) to the first turn of its loop.
bool StartOnce(const std::wstring& exe, Json& json, std::vector<long long>& toWindow,
               std::vector<long long>& toAnswer, std::vector<long long>& toTurn,
               long long& hotKeyFree) {
  if (QuorvelWindow()) return false;  // an earlier one would be mistaken for it
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + exe + L"\"";
  const int64_t t0 = Ticks();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    json.Int("create_process_error", static_cast<long long>(GetLastError()));
    return false;
  }
  bool ok = false;
  HWND window = nullptr;
  const ULONGLONG end = GetTickCount64() + 20000;
  while (!(window = QuorvelWindow()) && GetTickCount64() < end) Pause(1);
  if (window) {
    toWindow.push_back(Micros(Ticks() - t0));
    // NOTE: nothing in Quorvel's start-up takes messages sent by other
    // threads; the first answer comes from the loop (or from the hot-key
    // error box), so only then is the hot key tried here, never racing it.
    if (Ask(window, WM_NULL, 20000) >= 0) {
      toAnswer.push_back(Micros(Ticks() - t0));
      if (const quorvel::bench::Counters* counters = OpenCounters()) {
        while (counters->turns == 0 && GetTickCount64() < end) Sleep(0);
        toTurn.push_back(Micros(Ticks() - t0));
        UnmapViewOfFile(counters);
      }
      const UINT key = MapVirtualKeyW(kHotKeyScanCode, MAPVK_VSC_TO_VK);
      if (RegisterHotKey(nullptr, 1, kHotKeyModifiers, key)) {
        UnregisterHotKey(nullptr, 1);
        ++hotKeyFree;
      }
      ok = true;
    }
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Its window goes with the process, a moment later under Wine.
  const ULONGLONG gone = GetTickCount64() + 5000;
  while (QuorvelWindow() && GetTickCount64() < gone) Pause(5);
  return ok;
}

bool CmdStartup(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 2) return false;
  std::vector<long long> toWindow, toAnswer, toTurn;
  long long hotKeyFree = 0;
  bool ok = true;
  for (int i = 0; i < _wtoi(args[1].c_str()) && ok; ++i) {
    ok = StartOnce(WindowsPath(args[0]), json, toWindow, toAnswer, toTurn, hotKeyFree);
    Pause(200);
  }
  json.Ints("window_us", toWindow);
  json.Ints("answer_us", toAnswer);
  json.Ints("first_turn_us", toTurn);
  json.Int("hot_key_free", hotKeyFree);
  return ok && hotKeyFree == 0;
}

bool CmdFind(const std::vector<std::wstring>& args, Json& json) {
  if (args.size() != 1) return false;
  HWND list = QuorvelList();
  HWND dialog = nullptr;
  const ULONGLONG end = GetTickCount64() + 10000;
  while (GetTickCount64() < end) {
    dialog = FindWindowW(L"InputRequester", nullptr);
    if (dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, kRequesterOkId)) break;
    dialog = nullptr;
    Pause(20);
  }
  json.Bool("prompt", dialog != nullptr);
  if (!dialog || !list) return false;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, kRequesterEditId), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(args[0].c_str()), SMTO_NORMAL, 5000, &ignored);
  const long long before = Ask(list, LB_GETCURSEL);
  const int64_t t0 = Ticks();
  SendMessageTimeoutW(GetDlgItem(dialog, kRequesterOkId), BM_CLICK, 0, 0, SMTO_NORMAL, 5000,
                      &ignored);
  return ReportSelectionMove(list, before, t0, 120000, json);
}

// Shown, with nothing left to paint, and its thread answering messages.
bool Painted(HWND window) {
  return IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE) &&
         Ask(window, WM_NULL, 60000) >= 0;
}

bool CmdPreview(Json& json) {
  HWND window = QuorvelWindow();
  HWND list = QuorvelList();
  HWND editor = QuorvelEditor();
  json.Bool("editor", editor != nullptr);
  if (!list || !editor || IsWindowVisible(editor)) return false;
  const long long count = Ask(list, LB_GETCOUNT);
  SendKeys({VK_END});
  if (!WaitUntil([&] { return Ask(list, LB_GETCURSEL) == count - 1; }, 10000)) return false;

  const int64_t t0 = Ticks();
  if (!SendKeys({VK_MENU, VK_RETURN})) return false;
  const int64_t visible = WaitUntil([&] { return IsWindowVisible(editor) != FALSE; }, 180000);
  json.Bool("shown", visible != 0);
  if (!visible) return false;
  json.Int("visible_us", Micros(visible - t0));
  const int64_t painted = WaitUntil([&] { return Painted(editor); }, 180000);
  if (!painted) return false;
  json.Int("painted_us", Micros(painted - t0));
  json.Int("editor_chars", Ask(editor, WM_GETTEXTLENGTH));
  std::vector<long long> trips;
  for (int i = 0; i < 5; ++i) {
    const int64_t t = Ticks();
    if (Ask(window, WM_NULL, 60000) < 0) return false;
    trips.push_back(Micros(Ticks() - t));
    Pause(20);
  }
  json.Ints("round_trip_us", trips);

  const int64_t t1 = Ticks();
  if (!SendKeys({VK_MENU, VK_RETURN})) return false;
  const int64_t back = WaitUntil([&] { return !IsWindowVisible(editor) && Painted(list); }, 180000);
  if (!back) return false;
  json.Int("back_us", Micros(back - t1));
  return true;
}

}  // namespace quorvel::bench

int wmain(int argc, wchar_t** argv) {
  using namespace quorvel::bench;
  std::wstring out;
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--out" && i + 1 < argc) {
      out = argv[++i];
    } else {
      args.emplace_back(argv[i]);
    }
  }
  if (args.empty() || !CreateOwner()) {
    std::fputs("usage: bench_driver [--out FILE] set|turns|interfere|latency|fill|respond|"
               "startup|find|preview|feed|listbox|heap|stamps|findnext ARGS\n",
               stderr);
    return 2;
  }
  const std::wstring command = args.front();
  args.erase(args.begin());
  using Args = std::vector<std::wstring>;
  using Command = bool (*)(const Args&, const std::wstring&, Json&);
  struct Named {
    const wchar_t* name;
    Command run;
  };
  static const Named kCommands[] = {
      {L"set", [](const Args& a, const std::wstring&, Json& j) { return CmdSet(a, j); }},
      {L"turns", CmdTurns},
      {L"interfere", [](const Args& a, const std::wstring&, Json& j) { return CmdInterfere(a, j); }},
      {L"latency", [](const Args& a, const std::wstring&, Json& j) { return CmdLatency(a, j); }},
      {L"fill", [](const Args& a, const std::wstring&, Json& j) { return CmdFill(a, j); }},
      {L"respond", [](const Args& a, const std::wstring&, Json& j) { return CmdRespond(a, j); }},
      {L"startup", [](const Args& a, const std::wstring&, Json& j) { return CmdStartup(a, j); }},
      {L"find", [](const Args& a, const std::wstring&, Json& j) { return CmdFind(a, j); }},
      {L"preview", [](const Args&, const std::wstring&, Json& j) { return CmdPreview(j); }},
      {L"feed", [](const Args& a, const std::wstring&, Json& j) { return CmdFeed(a, j); }},
      {L"listbox", CmdListBox},
      {L"heap", [](const Args& a, const std::wstring&, Json& j) { return CmdHeap(a, j); }},
      {L"stamps", [](const Args& a, const std::wstring&, Json& j) { return CmdStamps(a, j); }},
      {L"findnext", [](const Args& a, const std::wstring&, Json& j) { return CmdFindNext(a, j); }},
  };
  Command run = nullptr;
  for (const Named& c : kCommands) {
    if (command == c.name) run = c.run;
  }
  if (!run) return 2;
  Json json;
  const bool ok = run(args, out, json);
  json.Bool("ok", ok);
  if (!WriteTextFile(out, json.Finish())) return 1;
  // The caller takes the end of an interval from the result file's arrival;
  // this program's own shut-down then falls outside it.
  if (command == L"turns") Pause(300);
  return ok ? 0 : 1;
}
