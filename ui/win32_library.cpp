// System libraries by name, from the system folder only.
#include "ui/win32_library.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>

namespace quorvel {

void SystemLibrarySearchRestrict() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

void* SystemLibraryLoad(const wchar_t* name) {
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
