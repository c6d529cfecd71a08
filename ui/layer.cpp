// The process-wide event queue.
#include "ui/layer.h"

namespace quorvel {

EventQueue& LayerEvents() {
  static EventQueue queue;
  return queue;
}

}  // namespace quorvel
