// What the fuzz targets share: reading typed values off the fuzzer's bytes,
// texts drawn from units that matter to Quorvel, and the check that reports
// a broken property and aborts so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace quorvel::fuzz {

// Reads the input front to back; once it is used up every read gives 0, so a
// short input is simply a short run. Small values take one byte, which keeps
// hand-written seeds readable.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  [[nodiscard]] bool Empty() const { return pos_ >= size_; }

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  // A value in [lo, hi]: one byte for spans up to 256, more for wider ones.
  int64_t Range(int64_t lo, int64_t hi) {
    const uint64_t span = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo);
    uint64_t value = 0;
    for (uint64_t rest = span; ; rest >>= 8) {
      value = (value << 8) | Byte();
      if (rest <= 0xFF) break;
    }
    const uint64_t offset = span == UINT64_MAX ? value : value % (span + 1);
    return static_cast<int64_t>(static_cast<uint64_t>(lo) + offset);
  }

  int32_t Int32() { return static_cast<int32_t>(Range(INT32_MIN, INT32_MAX)); }
  int64_t Int64() { return Range(INT64_MIN, INT64_MAX); }
  char16_t RawUnit() { return static_cast<char16_t>(Range(0, 0xFFFF)); }

  // One code unit: mostly from a small alphabet where case folding, exact
  // comparison and UTF-16 have their edges (so texts collide and patterns
  // match), sometimes any unit at all.
  char16_t Unit() {
    static constexpr char16_t kAlphabet[] = {
        u'a',    u'A',    u'b',    u'B',    u'x',    u' ',    u'\r',   u'\n',
        u'%',    u'y',    u'Y',    u'm',    u'd',    u'h',    u'i',    u's',
        u'0',    u'9',    u'\0',   0x00C4 /* Ä */,   0x00E4 /* ä */,   0x00DF /* ß */,
        0x0130 /* İ */,   0x212A /* Kelvin sign */,  0x03A3 /* Σ */,   0x03C2 /* ς */,
        0xD83D /* high surrogate */, 0xDE00 /* low surrogate */,      0x00AB /* « */,
        0x00BB /* » */,   0xFFFF,  u'S'};
    constexpr size_t kCount = sizeof kAlphabet / sizeof kAlphabet[0];
    const uint8_t b = Byte();
    return b < 0xE0 ? kAlphabet[b % kCount] : RawUnit();
  }

  // A text of up to maxLength units; now and then a long one.
  std::u16string Text(size_t maxLength) {
    size_t length = static_cast<size_t>(Range(0, static_cast<int64_t>(maxLength)));
    if (length == maxLength && maxLength != 0) {
      length = static_cast<size_t>(Range(0, 4000));
    }
    std::u16string text;
    for (size_t i = 0; i < length && !Empty(); ++i) text.push_back(Unit());
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A text as printable ASCII, other units as \uXXXX.
inline std::string Show(std::u16string_view text) {
  std::string out = "\"";
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
      out.push_back(static_cast<char>(c));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out + "\"";
}

// Runs checks drawn by the input until it is used up, the first of the three
// twice as often as each of the others.
inline void RunChecks(const uint8_t* data, size_t size, void (*main)(FuzzInput&),
                      void (*second)(FuzzInput&), void (*third)(FuzzInput&)) {
  FuzzInput in(data, size);
  while (!in.Empty()) {
    const int64_t pick = in.Range(0, 3);
    (pick < 2 ? main : pick == 2 ? second : third)(in);
  }
}

[[noreturn]] inline void Fail(const char* property, const std::string& detail) {
  std::fprintf(stderr, "\nbroken: %s\n%s\n", property, detail.c_str());
  std::abort();
}

}  // namespace quorvel::fuzz

// Checks a property; the detail is built only when it fails.
#define FUZZ_CHECK(condition, detail)                                  \
  do {                                                                 \
    if (!(condition)) ::quorvel::fuzz::Fail(#condition, (detail));     \
  } while (0)

// Defines the target's entry point over three checks (see RunChecks).
#define QUORVEL_FUZZ_CHECKS(main, second, third)                            \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
    ::quorvel::fuzz::RunChecks(data, size, main, second, third);            \
    return 0;                                                               \
  }
