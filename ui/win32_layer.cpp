// The layer object, and the layer's start-up and shut-down sequences.
#include "ui/win32_layer.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/win32_clipboard.h"
#include "ui/win32_failure.h"
#include "ui/win32_foreign.h"
#include "ui/win32_library.h"
#include "ui/win32_post.h"
#include "ui/win32_state.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

void CommonControlsStart() {
  CommonControlsInit(ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                     ICC_INTERNET_CLASSES);
  // COM stays initialised for the life of the process.
  (void)CoInitialize(nullptr);
}

}  // namespace

Win32Layer& Layer() {
  static Win32Layer& layer = *new Win32Layer;
  return layer;
}

void SetGadgetLibraryHooks(void (*init)(), void (*end)()) {
  Layer().gadgetInit = init;
  Layer().gadgetEnd = end;
}

void LayerStart() {
  Win32Layer& layer = Layer();
  if (layer.started) return;
  layer.started = true;
  PostEventStart();
  ForeignMessageFilterStart();
  DpiInit();
  WindowLibraryStart();
  if (layer.gadgetInit != nullptr) layer.gadgetInit();
  CommonControlsStart();
}

void LayerEnd() {
  Win32Layer& layer = Layer();
  if (!layer.started) return;
  layer.started = false;
  ClipboardWatchEnd();
  if (layer.gadgetEnd != nullptr) layer.gadgetEnd();
  WindowLibraryEnd();
  // The gadget table goes once the windows have taken their gadgets with them.
  layer.gadgets.table.reset();
  layer.gadgets.currentFont = nullptr;
  ForeignMessageFilterEnd();
  PostEventEnd();
}

}  // namespace quorvel
