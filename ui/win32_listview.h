// The list view gadget: a "ListBox" control of single-line texts with at most
// one selected item, its kind operations, notifications and drag detection.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quorvel {

// Creates the list view in the current gadget parent window. Answers what
// GadgetRegister answers, or 0 when no control could be made (no number is
// taken then).
int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t flags = 0);

// The list view's subclass procedure: mouse clicks and drag detection.
LRESULT CALLBACK ListBoxProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quorvel
