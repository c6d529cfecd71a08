// The application's platform operations bound to the Win32 windowing layer.
#pragma once

#include <memory>

#include "app/platform.h"

namespace quorvel {

// Returns the process-wide Win32 platform.
Platform& Win32Platform();

// The first step of the Windows program's start-up, before the runtime
// starts: takes the module handle and creates the application heap (4096
// bytes to begin with, growable), which lives for exactly the run and is
// destroyed with this object.
// (Windows types stay out of this header, so that the entry point can use it.)
class Win32ProgramHeap {
 public:
  Win32ProgramHeap();

 private:
  struct Destroy {
    void operator()(void* heap) const noexcept;
  };
  std::unique_ptr<void, Destroy> heap_;
};

}  // namespace quorvel
