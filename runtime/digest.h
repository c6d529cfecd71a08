// A keyed 128-bit digest of a text: enough to tell whether a text is the
// same as one seen before without keeping the text itself. The key is drawn
// at random when the process starts, so no other program can choose texts
// that collide.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvel {

struct TextDigest {
  uint64_t length = 0;  // in code units
  uint64_t high = 0;
  uint64_t low = 0;

  friend bool operator==(const TextDigest&, const TextDigest&) = default;
};

// The digest of a text of UTF-16 code units.
TextDigest DigestOf(std::u16string_view text);

}  // namespace quorvel
