// The application's platform operations bound to the Win32 windowing layer.
#pragma once

#include "app/platform.h"

namespace quorvel {

// Returns the process-wide Win32 platform.
Platform& Win32Platform();

}  // namespace quorvel
