// System libraries by name, from the system folder only.
#include "ui/win32_library.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>

#include "ui/win32_failure.h"
#include "ui/win32_state.h"

namespace quorvel {

namespace {

// A function of kernel32 that older systems may lack, looked up rather than
// imported, so that the program still starts there.
template <typename Function>
Function Kernel32Function(const char* name) {
  Function function = nullptr;
  const FARPROC address = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
  static_assert(sizeof function == sizeof address);
  std::memcpy(&function, &address, sizeof function);
  return function;
}

}  // namespace

void SystemLibrarySearchRestrict() {
  using Restrict = BOOL(WINAPI*)(DWORD);
  if (const auto restrict = Kernel32Function<Restrict>("SetDefaultDllDirectories")) {
    if (!restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) Win32Failure("SetDefaultDllDirectories");
  }
}

void* SystemLibraryLoad(const wchar_t* name) {
  if (HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
  // Systems without the search flags refuse it: name the system folder instead.
  if (GetLastError() != ERROR_INVALID_PARAMETER) {
    Win32Failure("LoadLibraryExW");
    return nullptr;
  }
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0) Win32Failure("GetSystemDirectoryW");
  if (length == 0 || length + 1 + wcslen(name) >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  wcscpy(path + length + 1, name);
  HMODULE library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) Win32Failure("LoadLibraryExW");
  return library;
}

bool CommonControlsInit(uint32_t classes) {
  // Loaded once and never freed: the classes it registers belong to it.
  LastingPart& lasting = Layer().lasting;
  if (!lasting.comctlLoaded) {
    lasting.comctlLoaded = true;
    lasting.comctl = static_cast<HMODULE>(SystemLibraryLoad(L"COMCTL32.DLL"));
  }
  if (lasting.comctl == nullptr) return false;
  BOOL(WINAPI * init)(const INITCOMMONCONTROLSEX*) = nullptr;
  const FARPROC address = GetProcAddress(lasting.comctl, "InitCommonControlsEx");
  static_assert(sizeof init == sizeof address);
  std::memcpy(&init, &address, sizeof init);
  if (init == nullptr) {
    Win32Failure("GetProcAddress(InitCommonControlsEx)");
    return false;
  }
  const INITCOMMONCONTROLSEX controls{sizeof controls, classes};
  if (init(&controls) != FALSE) return true;
  Win32Failure("InitCommonControlsEx");
  return false;
}

}  // namespace quorvel
