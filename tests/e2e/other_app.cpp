// "The other application" of the end-to-end tests: a plain Wine window with a
// multi-line edit field that takes the keyboard focus while Quorvel is hidden.
// NOTE: under Wine a global hot key fires only while some Wine window has the
// X keyboard focus, so a hidden Quorvel needs this window in front of it.
//   other_app.exe [--title T]          default "other app"; class "QuorvelOtherApp"
// Keys typed into it land in the edit field, where a probe can read them back;
// the virtual-key codes of the key presses it receives are kept, in decimal, in
// a hidden STATIC child (so a key that another program took can be told apart).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"QuorvelOtherApp";
constexpr int kEditId = 100;
constexpr int kKeyLogId = 101;

HWND g_edit = nullptr;
HWND g_keyLog = nullptr;

LRESULT CALLBACK OtherAppProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_edit = CreateWindowExW(
          WS_EX_CLIENTEDGE, L"EDIT", L"",
          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0,
          10, 10, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
          GetModuleHandleW(nullptr), nullptr);
      g_keyLog = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKeyLogId)),
                                 GetModuleHandleW(nullptr), nullptr);
      return g_edit && g_keyLog ? 0 : -1;
    case WM_SIZE:
      MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(g_edit);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(g_edit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The window's title: the value of --title, or "other app".
std::wstring Title() {
  for (int i = 1; i + 1 < __argc; ++i) {
    if (std::wcscmp(__wargv[i], L"--title") == 0) return __wargv[i + 1];
  }
  return L"other app";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = OtherAppProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return 1;
  HWND window = CreateWindowExW(0, kClassName, Title().c_str(), WS_OVERLAPPEDWINDOW, 200, 200,
                                480, 320, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  MSG msg;
  std::wstring keyLog;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      keyLog += std::to_wstring(msg.wParam) + L" ";
      SetWindowTextW(g_keyLog, keyLog.c_str());
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
