// The application's platform operations bound to the Win32 windowing layer.
#pragma once

#include "app/platform.h"

namespace quorvel {

// Returns the process-wide Win32 platform.
Platform& Win32Platform();

// The first step of the Windows program's start-up, before the runtime
// starts: takes the module handle and creates the application heap (4096
// bytes to begin with, growable), which lives for exactly the run and is
// destroyed with this object.
class Win32ProgramHeap {
 public:
  Win32ProgramHeap();
  ~Win32ProgramHeap();
  Win32ProgramHeap(const Win32ProgramHeap&) = delete;
  Win32ProgramHeap& operator=(const Win32ProgramHeap&) = delete;

 private:
  void* heap_;
};

}  // namespace quorvel
