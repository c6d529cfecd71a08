// Libraries of the system loaded by name at run time. They come from the
// system folder only: never from the program's folder or the current
// directory, where another program may have put a library of the same name.
// Windows types stay out of this header, so that the entry point can use it.
#pragma once

#include <cstdint>

namespace quorvel {

// Makes the system folder the only place that libraries loaded by name come
// from, for the program's own loads and for those that system libraries make
// on its behalf. Called first thing at start-up.
void SystemLibrarySearchRestrict();

// The module handle of the system library of that name (e.g. L"uxtheme.dll"),
// loaded from the system folder; null when it is not there. The program's
// manifest still picks the version of a side-by-side library such as the
// common controls.
[[nodiscard]] void* SystemLibraryLoad(const wchar_t* name);

// InitCommonControlsEx with these classes, through the common-controls
// library loaded at run time and kept until the process ends (it is not one
// of the system's known libraries, so an import would be looked for in the
// program's folder before any code of ours runs). False when it could not be
// called or failed.
bool CommonControlsInit(uint32_t classes);

}  // namespace quorvel
