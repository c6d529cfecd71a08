// System libraries by name, from the system folder only.
#include "ui/win32_library.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>

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
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

void* SystemLibraryLoad(const wchar_t* name) {
  if (HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
  // Systems without the search flags refuse it: name the system folder instead.
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 1 + wcslen(name) >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  wcscpy(path + length + 1, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool CommonControlsInit(uint32_t classes) {
  // Never freed: the classes it registers belong to it.
  static const auto library = static_cast<HMODULE>(SystemLibraryLoad(L"COMCTL32.DLL"));
  if (library == nullptr) return false;
  BOOL(WINAPI * init)(const INITCOMMONCONTROLSEX*) = nullptr;
  const FARPROC address = GetProcAddress(library, "InitCommonControlsEx");
  static_assert(sizeof init == sizeof address);
  std::memcpy(&init, &address, sizeof init);
  if (init == nullptr) return false;
  const INITCOMMONCONTROLSEX controls{sizeof controls, classes};
  return init(&controls) != FALSE;
}

}  // namespace quorvel
