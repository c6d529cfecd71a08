// SipHash-2-4 with its 128-bit output, over the text's UTF-16 code units in
// little-endian order, under a key drawn once per process.
#include "runtime/digest.h"

#include <random>

namespace quorvel {
namespace {

struct Key {
  Key() {
    std::random_device device;
    k0 = (uint64_t{device()} << 32) ^ device();
    k1 = (uint64_t{device()} << 32) ^ device();
  }
  uint64_t k0;
  uint64_t k1;
};

const Key& ProcessKey() {
  static const Key key;
  return key;
}

constexpr uint64_t Rotate(uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

struct State {
  uint64_t v0, v1, v2, v3;

  void Round() {
    v0 += v1; v1 = Rotate(v1, 13); v1 ^= v0; v0 = Rotate(v0, 32);
    v2 += v3; v3 = Rotate(v3, 16); v3 ^= v2;
    v0 += v3; v3 = Rotate(v3, 21); v3 ^= v0;
    v2 += v1; v1 = Rotate(v1, 17); v1 ^= v2; v2 = Rotate(v2, 32);
  }
  void Absorb(uint64_t word) {
    v3 ^= word;
    Round();
    Round();
    v0 ^= word;
  }
  uint64_t Squeeze(uint64_t mark) {
    v2 ^= mark;
    for (int i = 0; i < 4; ++i) Round();
    return v0 ^ v1 ^ v2 ^ v3;
  }
};

TextDigest Digest(const char16_t* units, size_t count) {
  const Key& key = ProcessKey();
  State s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL ^ 0xee,
          key.k0 ^ 0x6c7967656e657261ULL, key.k1 ^ 0x7465646279746573ULL};
  // Four code units make one 64-bit word.
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    s.Absorb(uint64_t{static_cast<uint16_t>(units[i])} |
             uint64_t{static_cast<uint16_t>(units[i + 1])} << 16 |
             uint64_t{static_cast<uint16_t>(units[i + 2])} << 32 |
             uint64_t{static_cast<uint16_t>(units[i + 3])} << 48);
  }
  uint64_t last = static_cast<uint64_t>(count * 2) << 56;
  for (int shift = 0; i < count; ++i, shift += 16) {
    last |= uint64_t{static_cast<uint16_t>(units[i])} << shift;
  }
  s.Absorb(last);
  TextDigest digest;
  digest.length = count;
  digest.low = s.Squeeze(0xee);
  s.v1 ^= 0xdd;
  for (int r = 0; r < 4; ++r) s.Round();
  digest.high = s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
  return digest;
}

}  // namespace

TextDigest DigestOf(std::u16string_view text) { return Digest(text.data(), text.size()); }

}  // namespace quorvel
