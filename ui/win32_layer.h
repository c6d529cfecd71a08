// Start-up and shut-down of the Win32 windowing layer, in their fixed order.
#pragma once

namespace quorvel {

// The gadget library's start and end, run by LayerStart and LayerEnd in
// their places when set (null hooks are skipped).
void SetGadgetLibraryHooks(void (*init)(), void (*end)());

// Posting window, the filter of other programs' messages on this thread's
// queue, pixel density, windows, gadgets, then common controls and COM. Runs
// once on the thread that will run EventNext; a second call while the layer
// runs does nothing.
void LayerStart();
// The clipboard window, gadgets, windows (and the gadget table with them),
// the message filter, then the posting window; a later LayerStart begins from
// a clean state. Does nothing unless started.
void LayerEnd();

}  // namespace quorvel
