// Fuzzes the text operations against plain reference versions: TextFind in
// both modes (and TextFindIgnoreCase under it), TextPadLeft and NumberToText.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/text.h"

namespace quorvel::fuzz {
namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The search as its definition reads: try every start offset in turn and
// compare unit by unit (folded when ignoring case).
int64_t ReferenceFind(std::u16string_view text, std::u16string_view pattern, int32_t start,
                      bool ignoreCase) {
  if (text.empty() || pattern.empty()) return 0;
  const int64_t from = std::clamp<int64_t>(int64_t{start} - 1, 0, static_cast<int64_t>(text.size()));
  for (auto i = static_cast<size_t>(from); i + pattern.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < pattern.size() &&
           (ignoreCase ? TextFoldCase(text[i + k]) == TextFoldCase(pattern[k])
                       : text[i + k] == pattern[k])) {
      ++k;
    }
    if (k == pattern.size()) return static_cast<int64_t>(i) + 1;
  }
  return 0;
}

// A second way to ignore case: fold whole copies, then search exactly.
std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = TextFoldCase(c);
  return out;
}

// A pattern that often occurs in the text: a slice of it, with the case of
// some units changed, or else a text of its own.
std::u16string PatternFor(FuzzInput& in, const std::u16string& text) {
  if (text.empty() || in.Range(0, 3) == 0) return in.Text(8);
  const auto at = static_cast<size_t>(in.Range(0, static_cast<int64_t>(text.size()) - 1));
  const auto length = static_cast<size_t>(in.Range(0, 12));
  std::u16string pattern = text.substr(at, length);
  for (char16_t& c : pattern) {
    switch (in.Range(0, 3)) {
      case 0: c = TextFoldCase(c); break;
      case 1: c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; break;
      default: break;
    }
  }
  return pattern;
}

void CheckFind(FuzzInput& in) {
  const std::u16string text = in.Text(48);
  const std::u16string pattern = PatternFor(in, text);
  // Start positions around the text, and now and then any 32-bit value.
  const int32_t start = in.Range(0, 7) == 0
                            ? in.Int32()
                            : static_cast<int32_t>(in.Range(-3, static_cast<int64_t>(text.size()) + 3));
  const int32_t mode = in.Range(0, 3) == 0 ? in.Int32() : static_cast<int32_t>(in.Range(0, 1));
  const bool ignoreCase = (mode & 1) != 0;

  const auto detail = [&] {
    return "text " + Show(text) + " pattern " + Show(pattern) + " start " + std::to_string(start) +
           " mode " + std::to_string(mode);
  };

  const int64_t found = TextFind(text, pattern, start, mode);
  FUZZ_CHECK(found == ReferenceFind(text, pattern, start, ignoreCase), detail());
  // Only bit 0 of the mode counts.
  FUZZ_CHECK(found == TextFind(text, pattern, start, mode & 1), detail());
  if (found != 0) {
    FUZZ_CHECK(found >= std::max<int64_t>(start, 1), detail());
    FUZZ_CHECK(found + static_cast<int64_t>(pattern.size()) - 1 <=
                   static_cast<int64_t>(text.size()),
               detail());
  }

  // Ignoring case over the whole text, three ways that must agree.
  const size_t direct = TextFindIgnoreCase(text, pattern);
  const int64_t viaFind = TextFind(text, pattern, 1, 1);
  const size_t viaCopies =
      pattern.empty() ? std::u16string_view::npos : Folded(text).find(Folded(pattern));
  FUZZ_CHECK(direct == viaCopies, detail());
  FUZZ_CHECK(viaFind == (direct == std::u16string_view::npos || text.empty()
                             ? 0
                             : static_cast<int64_t>(direct) + 1),
             detail());
  // A text whose units all fit one byte, kept that way, is searched alike.
  if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; })) {
    const std::string bytes(text.begin(), text.end());
    FUZZ_CHECK(FoldedPattern(pattern).FindInLatin1(bytes) == direct, detail() + " (one byte a unit)");
  }
  // An exact occurrence is also one that ignores case, never a later one.
  const int64_t exact = TextFind(text, pattern, 1, 0);
  if (exact != 0) FUZZ_CHECK(viaFind != 0 && viaFind <= exact, detail());

  // Folding maps one unit to one unit, is stable once applied, and leaves
  // surrogates alone.
  for (char16_t c : text) {
    const char16_t folded = TextFoldCase(c);
    FUZZ_CHECK(TextFoldCase(folded) == folded, "unit " + Show(std::u16string(1, c)));
    if (IsSurrogate(c)) FUZZ_CHECK(folded == c, "unit " + Show(std::u16string(1, c)));
  }
}

void CheckPadLeft(FuzzInput& in) {
  const std::u16string text = in.Text(12);
  const std::u16string pad = in.Text(3);
  int32_t width = 0;
  switch (in.Range(0, 7)) {
    case 0: width = INT32_MIN; break;
    case 1: width = static_cast<int32_t>(in.Range(INT32_MIN, -1)); break;
    default: width = static_cast<int32_t>(in.Range(-4, 40)); break;
  }
  const std::u16string padded = TextPadLeft(text, width, pad);

  std::u16string expected;
  if (!pad.empty()) {
    const size_t w = width < 0 ? 0 : static_cast<size_t>(width);
    const size_t k = std::min(w, text.size());
    expected = std::u16string(w - k, pad[0]) + text.substr(0, k);
  }
  FUZZ_CHECK(padded == expected, "text " + Show(text) + " width " + std::to_string(width) +
                                     " pad " + Show(pad) + " gave " + Show(padded));
}

void CheckNumber(FuzzInput& in) {
  int64_t number = 0;
  switch (in.Range(0, 5)) {
    case 0: number = INT64_MIN + in.Range(0, 3); break;
    case 1: number = INT64_MAX - in.Range(0, 3); break;
    case 2: number = in.Range(-1000, 1000); break;
    default: number = in.Int64(); break;
  }
  const std::string decimal = std::to_string(number);
  const std::u16string expected(decimal.begin(), decimal.end());
  const std::u16string text = NumberToText(number);
  FUZZ_CHECK(text == expected, "number " + decimal + " gave " + Show(text));
}

}  // namespace

QUORVEL_FUZZ_CHECKS(CheckFind, CheckPadLeft, CheckNumber)

}  // namespace quorvel::fuzz
