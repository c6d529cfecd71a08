// The Windows program: the application on the Win32 platform. Linked with
// -municode, so the C runtime starts it at wWinMain. Its arguments (instance,
// previous instance, command line, show state) are not used: the platform
// takes the module handle itself, and the program has no command line.
#include "app/application.h"
#include "ui/win32_library.h"
#include "ui/win32_platform.h"

extern "C" int wWinMain(void*, void*, wchar_t*, int) {
  quorvel::SystemLibrarySearchRestrict();
  const quorvel::Win32ProgramHeap heap;
  quorvel::Application application(quorvel::Win32Platform());
  return application.Run();
}
