// Times a bare rich-edit control, set up as Quorvel's editor (plain text, the
// message font, hidden while it takes the text), taking in a text, drawing
// it, and dropping it again: the costs behind the editor's budget
// (ui/editor_text.h). Each pair of arguments is one text.
//   richedit_costs [--width PIXELS] [--digits] CHARS LINE [CHARS LINE ...]
//   CHARS characters in lines of LINE characters with their CR LF (0: one
//   line without breaks; 2: line breaks only), of words (a space every 37
//   characters) or, with --digits, of digits alone, which the control cannot
//   wrap at a space; the control is 380 pixels wide unless PIXELS says
//   otherwise (Quorvel's editor under Wine: 1916). Prints one line per text.
#include <windows.h>

#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/e2e/desktop_tools.h"

namespace {

double Seconds() {
  return static_cast<double>(quorvel::tools::Ticks()) /
         static_cast<double>(quorvel::tools::TicksPerSecond());
}

struct Source {
  const wchar_t* next;
  size_t left;  // characters
};

DWORD CALLBACK Read(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<Source*>(cookie);
  const size_t room = static_cast<size_t>(size > 0 ? size : 0) / sizeof(wchar_t);
  const size_t chars = source->left < room ? source->left : room;
  std::memcpy(buffer, source->next, chars * sizeof(wchar_t));
  source->next += chars;
  source->left -= chars;
  *read = static_cast<LONG>(chars * sizeof(wchar_t));
  return 0;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int first = 1;
  int width = 380;
  bool digits = false;
  for (; first < argc && std::wcsncmp(argv[first], L"--", 2) == 0; ++first) {
    if (std::wcscmp(argv[first], L"--digits") == 0) {
      digits = true;
    } else if (std::wcscmp(argv[first], L"--width") == 0 && first + 1 < argc) {
      width = _wtoi(argv[++first]);
    }
  }
  if (argc - first < 2 || (argc - first) % 2 != 0 || width <= 0) {
    std::fputs("usage: richedit_costs [--width PIXELS] [--digits] CHARS LINE [CHARS LINE ...]\n",
               stderr);
    return 2;
  }
  LoadLibraryExW(L"MSFTEDIT.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuorvelRichEditCosts";
  RegisterClassW(&windowClass);
  HWND parent = CreateWindowExW(0, windowClass.lpszClassName, L"rich-edit costs",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width + 20, 400, nullptr,
                                nullptr,
                                windowClass.hInstance, nullptr);
  HWND editor = CreateWindowExW(WS_EX_CLIENTEDGE, L"RICHEDIT50W", nullptr, 0x503111C4, 0, 0, width,
                                360, parent, nullptr, windowClass.hInstance, nullptr);
  if (editor == nullptr) return 1;
  SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  SendMessageW(editor, EM_LIMITTEXT, 0x7FFFFFFF, 0);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = 500;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0)) {
    SendMessageW(editor, WM_SETFONT,
                 reinterpret_cast<WPARAM>(CreateFontIndirectW(&metrics.lfMessageFont)), TRUE);
  }
  for (int i = first; i + 1 < argc; i += 2) {
    const size_t chars = static_cast<size_t>(_wtoi64(argv[i]));
    const size_t lineChars = static_cast<size_t>(_wtoi64(argv[i + 1]));
    const std::wstring text = quorvel::tools::FillerText(
        chars, L"", lineChars, quorvel::tools::FillerChars(digits ? L"digits" : L"words"));
    ShowWindow(editor, SW_HIDE);
    Pump();
    const double start = Seconds();
    Source source{text.data(), text.size()};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, Read};
    SendMessageW(editor, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    const double taken = Seconds();
    ShowWindow(editor, SW_SHOW);
    UpdateWindow(editor);
    Pump();
    const double drawn = Seconds();
    ShowWindow(editor, SW_HIDE);
    SetWindowTextW(editor, L"");
    const double dropped = Seconds();
    std::printf("%zu characters, lines of %zu: take in %.3f s, draw %.3f s, drop %.3f s\n", chars,
                lineChars, taken - start, drawn - taken, dropped - drawn);
    std::fflush(stdout);
  }
  return 0;
}
