// Another program that writes the clipboard in the ways the end-to-end tests
// need and ordinary tools cannot: with privacy markers, holding it open, with
// malformed or huge text, or as fast as it can.
//   clip_source.exe marked MARKER BYTES TEXT  TEXT plus the registered format
//                                     MARKER holding BYTES (hex, e.g. 00000000;
//                                     "empty" for a block of no bytes at all)
//   clip_source.exe hold MS FIRST SECOND  opens the clipboard, sets FIRST, holds
//                                     it MS milliseconds, sets SECOND, closes
//   clip_source.exe big MEGACHARS TAG a text of MEGACHARS million characters
//                                     that starts with TAG
//   clip_source.exe flood COUNT TAG [CHARS]  COUNT distinct texts "TAG i" in
//                                     a row, each padded with "x" to CHARS
//                                     characters; prints the count set
//   clip_source.exe storm MS TAG      texts "TAG i" in a row, as fast as it
//                                     can, for MS milliseconds; prints
//                                     "count N" and the changes per second
//   clip_source.exe render WHAT HOW MS TEXT  TEXT, with the text itself (WHAT
//                                     "text") or a "CanIncludeInClipboardHistory"
//                                     marker of 0 beside it ("marker") left to
//                                     be rendered on request. When asked
//                                     (prints "asked"), HOW "late" renders it
//                                     after MS ms, "never" ends without
//                                     answering after MS ms, "dies" is
//                                     terminated at once
//   clip_source.exe listinfo          prints "count N lastlength L" of the
//                                     list of Quorvel's window (no item text,
//                                     so that huge items are cheap to check)
// The clipboard is opened with a window of this program's own, as a real
// program would. Exit code 0 when everything was written.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/e2e/desktop_tools.h"

namespace {

HWND g_owner = nullptr;

// Opens the clipboard, retrying briefly while another program holds it.
bool OpenWithRetry() {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (OpenClipboard(g_owner)) return true;
    Sleep(5);
  }
  return false;
}

// Puts bytes on the open clipboard as one format; with emptyBlock, a block of
// no bytes at all.
bool PutBlock(UINT format, const void* bytes, size_t size, bool emptyBlock = false) {
  if (emptyBlock) {
    // NOTE: Wine refuses a moveable block of no bytes (it is discarded
    // memory); a fixed one is taken.
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, 0);
    if (block && SetClipboardData(format, block)) return true;
    if (block) GlobalFree(block);
    return false;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!block) return false;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return false;
  }
  if (size) std::memcpy(p, bytes, size);
  GlobalUnlock(block);
  if (SetClipboardData(format, block)) return true;
  GlobalFree(block);
  return false;
}

bool PutText(const std::wstring& text) {
  return PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool ReplaceText(const std::wstring& text) {
  if (!OpenWithRetry()) return false;
  EmptyClipboard();
  const bool ok = PutText(text);
  CloseClipboard();
  return ok;
}

std::vector<unsigned char> FromHex(const wchar_t* hex) {
  std::vector<unsigned char> bytes;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    const wchar_t pair[3] = {hex[i], hex[i + 1], 0};
    bytes.push_back(static_cast<unsigned char>(std::wcstoul(pair, nullptr, 16)));
  }
  return bytes;
}

int Marked(const wchar_t* marker, const wchar_t* hex, const wchar_t* text) {
  const bool empty = std::wstring(hex) == L"empty";
  const std::vector<unsigned char> bytes = FromHex(empty ? L"" : hex);
  if (!OpenWithRetry()) return 1;
  EmptyClipboard();
  const bool ok = PutText(text) &&
                  PutBlock(RegisterClipboardFormatW(marker), bytes.data(), bytes.size(), empty);
  CloseClipboard();
  return ok ? 0 : 1;
}

int Hold(int ms, const wchar_t* first, const wchar_t* second) {
  if (!OpenWithRetry()) return 1;
  EmptyClipboard();
  bool ok = PutText(first);
  std::puts("holding");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(ms));
  EmptyClipboard();
  ok = PutText(second) && ok;
  CloseClipboard();
  return ok ? 0 : 1;
}

int Big(int megaChars, const wchar_t* tag) {
  std::wstring text(static_cast<size_t>(megaChars) * 1000000, L'x');
  for (size_t i = 80; i < text.size(); i += 81) text[i] = L'\n';
  std::wmemcpy(text.data(), tag, std::min(std::wcslen(tag), text.size()));
  return ReplaceText(text) ? 0 : 1;
}

int Flood(int count, const wchar_t* tag, size_t chars) {
  int set = 0;
  for (int i = 0; i < count; ++i) {
    std::wstring text = std::wstring(tag) + L" " + std::to_wstring(i);
    if (text.size() < chars) text.resize(chars, L'x');
    if (ReplaceText(text)) ++set;
  }
  std::printf("%d\n", set);
  return set == count ? 0 : 1;
}

int Storm(int ms, const wchar_t* tag) {
  const ULONGLONG start = GetTickCount64();
  int set = 0;
  int failed = 0;
  while (GetTickCount64() - start < static_cast<ULONGLONG>(ms)) {
    if (ReplaceText(std::wstring(tag) + L" " + std::to_wstring(set))) {
      ++set;
    } else {
      ++failed;
    }
  }
  const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  std::printf("count %d failed %d rate %.0f/s\n", set, failed, set / seconds);
  return failed == 0 ? 0 : 1;
}

// A clipboard owner that renders on request, late, never or not at all.
struct Renderer {
  bool marker = false;  // what is held back: the marker, or else the text
  std::wstring how;
  DWORD ms = 0;
  std::wstring text;
};
Renderer g_renderer;

UINT MarkerFormat() { return RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"); }

LRESULT CALLBACK RendererProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT) {
    std::printf("asked %u\n", static_cast<unsigned>(wParam));
    std::fflush(stdout);
    if (g_renderer.how == L"dies") TerminateProcess(GetCurrentProcess(), 3);
    Sleep(g_renderer.ms);
    if (g_renderer.how == L"never") ExitProcess(0);
    const DWORD notInHistories = 0;
    // The requester holds the clipboard open: the data is set without opening it.
    const bool ok = g_renderer.marker ? PutBlock(MarkerFormat(), &notInHistories, sizeof(DWORD))
                                      : PutText(g_renderer.text);
    std::printf("rendered %d\n", ok ? 1 : 0);
    std::fflush(stdout);
    PostQuitMessage(ok ? 0 : 1);
    return 0;
  }
  if (message == WM_RENDERALLFORMATS) return 0;  // ending: nothing more is offered
  return DefWindowProcW(window, message, wParam, lParam);
}

int Render(const wchar_t* what, const wchar_t* how, int ms, const wchar_t* text) {
  g_renderer = {std::wstring(what) == L"marker", how, static_cast<DWORD>(ms), text};
  if (!g_renderer.marker && std::wstring(what) != L"text") return 2;
  SetWindowLongPtrW(g_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RendererProcedure));
  if (!OpenWithRetry()) return 1;
  EmptyClipboard();
  // A null handle offers the format and leaves it to be rendered on request
  // (SetClipboardData's result is null then, failed or not).
  const UINT held = g_renderer.marker ? MarkerFormat() : CF_UNICODETEXT;
  bool ok = !g_renderer.marker || PutText(text);
  SetClipboardData(held, nullptr);
  ok = ok && IsClipboardFormatAvailable(held);
  CloseClipboard();
  std::puts(ok ? "ready" : "not set");
  std::fflush(stdout);
  // Ends by itself after a minute if nobody asks.
  SetTimer(g_owner, 1, 60000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) return 4;
    DispatchMessageW(&msg);
  }
  return ok ? static_cast<int>(msg.wParam) : 1;
}

int ListInfo() {
  HWND list = quorvel::tools::QuorvelList();
  if (!list) return 1;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  const LRESULT last =
      count > 0 ? SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(count - 1), 0) : -1;
  std::printf("count %ld lastlength %ld\n", static_cast<long>(count), static_cast<long>(last));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_owner = CreateWindowExW(0, L"STATIC", L"clip source", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"marked" && argc == 5) return Marked(argv[2], argv[3], argv[4]);
  if (command == L"hold" && argc == 5) return Hold(_wtoi(argv[2]), argv[3], argv[4]);
  if (command == L"big" && argc == 4) return Big(_wtoi(argv[2]), argv[3]);
  if (command == L"listinfo") return ListInfo();
  if (command == L"storm" && argc == 4) return Storm(_wtoi(argv[2]), argv[3]);
  if (command == L"render" && argc == 6) return Render(argv[2], argv[3], _wtoi(argv[4]), argv[5]);
  if (command == L"flood" && (argc == 4 || argc == 5)) {
    return Flood(_wtoi(argv[2]), argv[3], argc == 5 ? static_cast<size_t>(_wtoi(argv[4])) : 0);
  }
  std::fputs("usage: clip_source marked|hold|big|flood|storm|render ...\n", stderr);
  return 2;
}
