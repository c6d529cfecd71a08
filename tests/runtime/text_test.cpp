// TextFind (exact and ignoring case), TextFoldCase, NumberToText,
// TextPadLeft.
#include "runtime/text.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace quorvel {
namespace {

constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr auto npos = std::u16string_view::npos;

// A search in a table: the mode or the start position, as the table says.
struct Search {
  const char16_t* text;
  const char16_t* pattern;
  int32_t given;
  int32_t expected;
};

// Only bit 0 of the mode counts: 1 ignores case, over ASCII and other letters
// alike; sharp s is not double s.
TEST(TextFind, ExactOrIgnoringCase) {
  const Search cases[] = {
      {u"Hello World", u"world", 1, 7}, {u"Hello World", u"world", 0, 0},
      {u"Hello World", u"World", 0, 7}, {u"Hello World", u"WORLD", 1, 7},
      {u"Hello World", u"hello world", 1, 1}, {u"Hello World", u"world", 3, 7},
      {u"Hello World", u"world", -1, 7}, {u"Hello World", u"world", 2, 0},
      {u"Hello World", u"world", kI32Min, 0}, {u"AAB", u"ab", 1, 2}, {u"aAb", u"AB", 1, 2},
      {u"\u00C4pfel", u"\u00E4pfel", 1, 1}, {u"\u00E4pfel", u"\u00C4PFEL", 1, 1},
      {u"\u00C4pfel", u"\u00E4pfel", 0, 0}, {u"x\u00D6\u00DC", u"\u00F6\u00FC", 1, 2},
      {u"\u041F\u0420\u0418\u0412\u0415\u0422", u"\u043F\u0440\u0438", 1, 1},
      {u"STRASSE", u"stra\u00DFe", 1, 0}, {u"stra\u00DFe", u"STRASSE", 1, 0},
      {u"strasse", u"\u00DF", 1, 0}, {u"stra\u00DFe", u"ss", 1, 0},
      {u"STRA\u00DFE", u"stra\u00DFe", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextFind(c.text, c.pattern, 0, c.given), c.expected)
        << testing::PrintToString(std::u16string(c.pattern)) << " mode " << c.given;
  }
}

// From a start position (1-based; below 1 is 1), overlapping, restarting;
// the same with case and ignoring it.
TEST(TextFind, StartPositionsOverlapsAndRestarts) {
  const Search cases[] = {
      {u"abcabc", u"c", 4, 6}, {u"abcabc", u"c", 3, 3}, {u"abcabc", u"c", 6, 6},
      {u"abcabc", u"c", 7, 0}, {u"abcabc", u"c", 8, 0}, {u"abcabc", u"c", kI32Max, 0},
      {u"abcabc", u"c", 0, 3}, {u"abcabc", u"c", 1, 3}, {u"abcabc", u"c", -1, 3},
      {u"abcabc", u"c", -100, 3}, {u"abcabc", u"c", kI32Min, 3}, {u"abcabc", u"abc", 2, 4},
      {u"abcabc", u"abc", 5, 0}, {u"aaa", u"aa", 0, 1}, {u"aaa", u"aa", 2, 2},
      {u"aaa", u"aa", 3, 0}, {u"aab", u"ab", 0, 2}, {u"aaab", u"aab", 0, 2},
      {u"abababc", u"ababc", 0, 3}, {u"ab", u"abc", 0, 0}, {u"abc", u"abc", 0, 1},
      {u"xabc", u"abc", 0, 2},
  };
  for (int32_t mode : {0, 1}) {
    for (const auto& c : cases) {
      EXPECT_EQ(TextFind(c.text, c.pattern, c.given, mode), c.expected)
          << testing::PrintToString(std::u16string(c.text)) << " from " << c.given;
    }
  }
}

TEST(TextFind, EmptyTextOrPattern) {
  for (int32_t mode : {0, 1}) {
    EXPECT_EQ(TextFind(u"", u"", 0, mode), 0);
    EXPECT_EQ(TextFind(u"abc", u"", 0, mode), 0);
    EXPECT_EQ(TextFind(u"abc", u"", 2, mode), 0);
    EXPECT_EQ(TextFind(u"", u"abc", 0, mode), 0);
    EXPECT_EQ(TextFind(std::u16string_view(), std::u16string_view(), 0, mode), 0);
    EXPECT_EQ(TextFind(std::u16string_view(), u"a", 0, mode), 0);
    EXPECT_EQ(TextFind(u"a", std::u16string_view(), 0, mode), 0);
  }
}

TEST(TextFind, SurrogatesCountAsTwoUnits) {
  const std::u16string text = u"a\U0001F600b\U0001F600";  // a, pair, b, pair
  EXPECT_EQ(text.size(), 6u);
  for (int32_t mode : {0, 1}) {
    EXPECT_EQ(TextFind(text, u"\U0001F600", 0, mode), 2);
    EXPECT_EQ(TextFind(text, u"\U0001F600", 3, mode), 5);
    EXPECT_EQ(TextFind(text, u"B", 0, mode), mode == 1 ? 4 : 0);
    EXPECT_EQ(TextFind(text, std::u16string(1, char16_t{0xDE00}), 0, mode), 3);
  }
}

TEST(TextFind, EmbeddedZeroUnits) {
  const std::u16string text(u"ab\0cd", 5);
  EXPECT_EQ(TextFind(text, u"cd", 0, 0), 4);
  EXPECT_EQ(TextFind(text, u"CD", 0, 1), 4);
  EXPECT_EQ(TextFind(text, std::u16string(u"b\0c", 3), 0, 1), 2);
}

TEST(TextFindIgnoreCase, OffsetsAndNone) {
  EXPECT_EQ(TextFindIgnoreCase(u"Hello World", u"WORLD"), 6u);
  EXPECT_EQ(TextFindIgnoreCase(u"aab", u"AB"), 1u);
  EXPECT_EQ(TextFindIgnoreCase(u"abc", u"abcd"), npos);
  EXPECT_EQ(TextFindIgnoreCase(u"abc", u"x"), npos);
  EXPECT_EQ(TextFindIgnoreCase(u"abc", u""), npos);
  EXPECT_EQ(TextFindIgnoreCase(u"", u"a"), npos);
  // Patterns that keep almost matching: found where they start, in one
  // pass, also right after the places where the fast scan gives up.
  const std::u16string almost = std::u16string(100, u'a') + u"b";
  for (size_t at : {0, 1, 4, 5, 6, 900}) {
    const std::u16string text = std::u16string(at + 100, u'A') + u"B" + std::u16string(50, u'A');
    EXPECT_EQ(TextFindIgnoreCase(text, almost), at) << at;
    EXPECT_EQ(FoldedPattern(almost).FindInLatin1(std::string(text.begin(), text.end())), at) << at;
  }
  EXPECT_EQ(TextFindIgnoreCase(std::u16string(5000, u'A'), almost), npos);
}

TEST(TextFindIgnoreCase, ReadsNothingPastTheText) {
  // The text is a view that ends before a would-be match; the sanitizer
  // build sees any read past its end in the heap copy.
  const std::u16string full = u"xxAB";
  auto* heap = new char16_t[3];
  for (int i = 0; i < 3; ++i) heap[i] = full[i];
  EXPECT_EQ(TextFindIgnoreCase(std::u16string_view(heap, 3), u"ab"), npos);
  EXPECT_EQ(TextFind(std::u16string_view(heap, 3), u"ab", 0, 1), 0);
  EXPECT_EQ(TextFind(std::u16string_view(heap, 3), u"xa", 0, 1), 2);
  delete[] heap;
}

// ASCII and the common alphabets fold to lower case; what has no one-unit
// pair (sharp s, signs, surrogates, non-characters) stays.
TEST(TextFoldCase, Basics) {
  const char16_t cases[][2] = {
      {u'A', u'a'}, {u'Z', u'z'}, {u'a', u'a'}, {u'z', u'z'}, {u'@', u'@'}, {u'[', u'['},
      {u'0', u'0'}, {u' ', u' '}, {u'\0', u'\0'}, {u'\u00C4', u'\u00E4'}, {u'\u00E4', u'\u00E4'},
      {u'\u00D6', u'\u00F6'}, {u'\u00DF', u'\u00DF'}, {u'\u0410', u'\u0430'},
      {u'\u0391', u'\u03B1'}, {u'\u00D7', u'\u00D7'}, {0xD800, 0xD800}, {0xDBFF, 0xDBFF},
      {0xDC00, 0xDC00}, {0xDFFF, 0xDFFF}, {0xFFFF, 0xFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(TextFoldCase(c[0]), c[1]) << std::hex << int{c[0]};
}

#ifndef _WIN32
// The portable build's generated table (Windows answers with CharLowerW).
TEST(TextFoldCase, PortableTable) {
  EXPECT_EQ(TextFoldCase(u'\u0130'), u'i');       // İ
  EXPECT_EQ(TextFoldCase(u'\u212A'), u'k');       // Kelvin sign
  EXPECT_EQ(TextFoldCase(u'\u2126'), u'\u03C9');  // Ohm sign
  EXPECT_EQ(TextFoldCase(u'\u1E9E'), u'\u00DF');  // capital sharp s
  EXPECT_EQ(TextFoldCase(u'\u0178'), u'\u00FF');  // Ÿ
  EXPECT_EQ(TextFoldCase(u'\u01C5'), u'\u01C6');  // Dž titlecase
  EXPECT_EQ(TextFoldCase(u'\u03A3'), u'\u03C3');  // Σ -> σ, never ς
  EXPECT_EQ(TextFoldCase(u'\u03C2'), u'\u03C2');
  EXPECT_EQ(TextFoldCase(u'\u0100'), u'\u0101');  // alternating pairs
  EXPECT_EQ(TextFoldCase(u'\u0101'), u'\u0101');
  EXPECT_EQ(TextFoldCase(u'\u012E'), u'\u012F');
  EXPECT_EQ(TextFoldCase(u'\uFF21'), u'\uFF41');  // fullwidth A
  EXPECT_EQ(TextFoldCase(u'\uA7AE'), u'\u026A');  // large negative delta
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    const char16_t lower = TextFoldCase(static_cast<char16_t>(c));
    ASSERT_EQ(TextFoldCase(lower), lower) << std::hex << c;  // idempotent
  }
}

// Checks the committed table against the Unicode data it was generated from,
// when that file is installed (Debian package unicode-data).
TEST(TextFoldCase, PortableTableMatchesUnicodeData) {
  std::ifstream in("/usr/share/unicode/UnicodeData.txt");
  if (!in) GTEST_SKIP() << "UnicodeData.txt not installed";
  std::vector<char16_t> expected(0x10000);
  for (uint32_t c = 0; c <= 0xFFFF; ++c) expected[c] = static_cast<char16_t>(c);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, ';')) fields.push_back(field);
    if (fields.size() < 14 || fields[13].empty()) continue;
    const unsigned long c = std::stoul(fields[0], nullptr, 16);
    const unsigned long lower = std::stoul(fields[13], nullptr, 16);
    if (c > 0xFFFF || lower > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) continue;
    expected[c] = static_cast<char16_t>(lower);
  }
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    ASSERT_EQ(TextFoldCase(static_cast<char16_t>(c)), expected[c]) << std::hex << c;
  }
}
#endif

// A reference: fold both texts completely, then search exactly.
std::u16string FoldAll(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = TextFoldCase(c);
  return out;
}

int64_t ReferenceFind(std::u16string_view text, std::u16string_view pattern, int32_t start,
                      bool ignore_case) {
  if (text.empty() || pattern.empty()) return 0;
  std::u16string t(text), p(pattern);
  if (ignore_case) {
    t = FoldAll(t);
    p = FoldAll(p);
  }
  std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
  if (from > t.size()) return 0;
  const std::size_t at = t.find(p, from);
  return at == std::u16string::npos ? 0 : static_cast<int64_t>(at) + 1;
}

TEST(TextFind, AgreesWithFoldThenFindOnRandomTexts) {
  // a A ä Ä b B ß S s Σ σ ς and a lone surrogate. Each round draws from the
  // first 3, 5 or all 13: the small alphabets give the periodic texts on
  // which a scan that resumes at the wrong unit goes wrong.
  const char16_t alphabet[] = {u'a',      u'A',      u'\u00E4', u'\u00C4', u'b',
                               u'B',      u'\u00DF', u'S',      u's',      u'\u03A3',
                               u'\u03C3', u'\u03C2', char16_t{0xD83D}};
  const uint32_t sizes[] = {3, 5, sizeof alphabet / sizeof alphabet[0]};
  uint32_t state = 12345;
  auto next = [&state](uint32_t bound) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % bound;
  };
  int matches = 0;
  for (int round = 0; round < 1000; ++round) {
    std::u16string text, pattern;
    const uint32_t n = sizes[next(3)];
    // Every fourth round is long and periodic: a pattern that keeps almost
    // matching makes the search hand over to its matcher that never steps back.
    const bool long_round = round % 4 == 0;
    const uint32_t text_len = long_round ? next(400) : next(16);
    const uint32_t pattern_len = 1 + (long_round ? next(40) : next(4));
    for (uint32_t i = 0; i < text_len; ++i) text.push_back(alphabet[next(n)]);
    for (uint32_t i = 0; i < pattern_len; ++i) pattern.push_back(alphabet[next(n)]);
    const int32_t start = static_cast<int32_t>(next(18)) - 2;
    for (int32_t mode : {0, 1}) {
      const int64_t got = TextFind(text, pattern, start, mode);
      ASSERT_EQ(got, ReferenceFind(text, pattern, start, mode == 1))
          << "round " << round << " mode " << mode << " start " << start;
      if (got != 0) ++matches;
    }
    const std::size_t offset = TextFindIgnoreCase(text, pattern);
    const std::size_t want = pattern.empty() ? npos : FoldAll(text).find(FoldAll(pattern));
    ASSERT_EQ(offset, want) << "round " << round;
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; })) {
      const std::string bytes(text.begin(), text.end());
      ASSERT_EQ(FoldedPattern(pattern).FindInLatin1(bytes), want) << "round " << round;
    }
  }
  EXPECT_GT(matches, 250);  // the alphabets are small enough for many hits
}

TEST(NumberToText, Values) {
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  const struct {
    int64_t number;
    const char16_t* text;
  } cases[] = {
      {0, u"0"}, {7, u"7"}, {10, u"10"}, {-1, u"-1"}, {-45, u"-45"}, {1000000, u"1000000"},
      {2147483647, u"2147483647"}, {std::numeric_limits<int64_t>::max(), u"9223372036854775807"},
      {kMin, u"-9223372036854775808"}, {kMin + 1, u"-9223372036854775807"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberToText(c.number), c.text) << c.number;
}

// Clock fields, then widths and pads of every kind: cut to the width, padded
// with the first unit of the pad, nothing for no width or no pad.
TEST(TextPadLeft, WidthAndPad) {
  const struct {
    const char16_t* text;
    int32_t width;
    const char16_t* pad;
    const char16_t* expected;
  } cases[] = {
      {u"7", 2, u"0", u"07"},       {u"12", 2, u"0", u"12"},     {u"123", 2, u"0", u"12"},
      {u"", 2, u"0", u"00"},        {u"abc", 0, u"0", u""},      {u"abc", -1, u"0", u""},
      {u"abc", kI32Min, u"0", u""}, {u"", 0, u"0", u""},         {u"abc", 5, u"xy", u"xxabc"},
      {u"abc", 3, u"xy", u"abc"},   {u"abc", 1, u"xy", u"a"},    {u"ab", 3, u" ", u" ab"},
      {u"ab", 4, u"\u00B7", u"\u00B7\u00B7ab"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextPadLeft(c.text, c.width, c.pad), c.expected)
        << testing::PrintToString(std::u16string(c.text)) << " to " << c.width;
  }
  EXPECT_EQ(TextPadLeft(std::u16string_view(), 2, u"0"), u"00");
  EXPECT_EQ(TextPadLeft(NumberToText(5), 2, u"0"), u"05");
  for (int32_t width : {kI32Min, -1, 0, 1, 2, 5, 100}) {
    EXPECT_EQ(TextPadLeft(u"abc", width, u""), u"") << width;
    EXPECT_EQ(TextPadLeft(u"", width, std::u16string_view()), u"") << width;
  }
  EXPECT_EQ(TextPadLeft(u"abc", 100, u"-").size(), 100u);
}

}  // namespace
}  // namespace quorvel
