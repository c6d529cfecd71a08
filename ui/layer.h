// Values and state shared across the windowing layer.
#pragma once

#include <cstdint>

#include "ui/event_queue.h"

namespace quorvel {

// The answer by which a gadget's message handler or the window procedure asks
// for default processing.
inline constexpr int64_t NotHandled = static_cast<int64_t>(0xFFFFFFFFD0D0D0D1ULL);

// The process-wide event queue of the Win32 layer. (The portable platform
// keeps a queue of its own per instance.)
EventQueue& LayerEvents();

}  // namespace quorvel
