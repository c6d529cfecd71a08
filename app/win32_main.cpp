// The Windows program: the application on the Win32 platform. The
// application heap lives for exactly the run of the application.
#include <windows.h>

#include "app/application.h"
#include "ui/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  GetModuleHandleW(nullptr);
  HANDLE heap = HeapCreate(0, 4096, 0);
  quorvel::Application application(quorvel::Win32Platform());
  const int code = application.Run();
  if (heap != nullptr) HeapDestroy(heap);
  return code;
}
