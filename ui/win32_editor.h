// The editor gadget: a multi-line rich-edit control, the loading of its
// library, its kind operations and the procedure every editor runs (focus
// events, text colour after a font change, themed border).
#pragma once

#include <windows.h>

#include <cstdint>

namespace quorvel {

// Attributes of SetAttribute / GetAttribute; EditorWordWrap is also a
// creation flag.
inline constexpr int32_t EditorWordWrap = 0x10000000;
inline constexpr int32_t EditorReadOnly = 0x800;

// Creates the editor in the current gadget parent window. Answers what
// GadgetRegister answers, or 0 when no control could be made.
int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t flags = 0);

LRESULT CALLBACK EditorProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The common controls' version as major << 16 | minor (1 when the library
// has no version export), read once; decides whether borders are themed.
int32_t VisualStylesDetect();
[[nodiscard]] bool VisualStylesThemed();

}  // namespace quorvel
