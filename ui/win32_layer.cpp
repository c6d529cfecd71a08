// The layer's start-up and shut-down sequences.
#include "ui/win32_layer.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/win32_foreign.h"
#include "ui/win32_library.h"
#include "ui/win32_post.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

struct LayerState {
  bool started = false;
  void (*gadgetInit)() = nullptr;
  void (*gadgetEnd)() = nullptr;
};

LayerState& State() {
  static LayerState state;
  return state;
}

void CommonControlsStart() {
  CommonControlsInit(ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                     ICC_INTERNET_CLASSES);
  // COM stays initialised for the life of the process.
  (void)CoInitialize(nullptr);
}

}  // namespace

void SetGadgetLibraryHooks(void (*init)(), void (*end)()) {
  State().gadgetInit = init;
  State().gadgetEnd = end;
}

void LayerStart() {
  LayerState& state = State();
  if (state.started) return;
  state.started = true;
  PostEventStart();
  ForeignMessageFilterStart();
  DpiInit();
  WindowLibraryStart();
  if (state.gadgetInit != nullptr) state.gadgetInit();
  CommonControlsStart();
}

void LayerEnd() {
  LayerState& state = State();
  if (!state.started) return;
  state.started = false;
  if (state.gadgetEnd != nullptr) state.gadgetEnd();
  WindowLibraryEnd();
  ForeignMessageFilterEnd();
  PostEventEnd();
}

}  // namespace quorvel
