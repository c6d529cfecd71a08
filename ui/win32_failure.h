// The one place where failed Win32 calls are recorded.
#pragma once

namespace quorvel {

// Records that the named system call failed, with the system's message for
// GetLastError. Debug builds write it to the debugger output; nothing is shown
// to the user or written to disk. The last-error value is left as it was, so
// callers may still look at it. Call it on the path that then returns 0, -1,
// null or the empty text.
void Win32Failure(const char* call) noexcept;

}  // namespace quorvel
