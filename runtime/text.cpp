// Text search, numbers as text, padding, wiping. Only the case mapping
// touches the platform, through LowerCaseTableFill (local.h).
#include "runtime/text.h"

#include <bit>
#include <bitset>
#include <vector>

#include "runtime/local.h"

// Every x86-64 processor has SSE2: g++ and clang say so with __SSE2__,
// MSVC with _M_X64.
#if defined(__SSE2__) || defined(_M_X64)
#define QUORVEL_SSE2 1
#include <emmintrin.h>
#endif

namespace quorvel {

namespace {

// The platform's lower-case mapping of every code unit, filled on first use,
// with what a search needs to go the other way: the units that fold to the
// same unit are linked in a ring, and the folded units that some unit below
// 256 folds to are marked.
struct FoldTables {
  FoldTables() {
    LowerCaseTableFill(fold);
    std::vector<uint32_t> last(0x10000, kNone);
    for (uint32_t unit = 0; unit < 0x10000; ++unit) {
      const char16_t folded = fold[unit];
      if (last[folded] == kNone) {
        next[unit] = static_cast<char16_t>(unit);
      } else {
        next[unit] = next[last[folded]];
        next[last[folded]] = static_cast<char16_t>(unit);
      }
      last[folded] = unit;
      if (unit < 0x100) fromLatin1.set(folded);
    }
  }
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  char16_t fold[0x10000];
  char16_t next[0x10000];
  std::bitset<0x10000> fromLatin1;
};

const FoldTables& Tables() {
  static const FoldTables tables;
  return tables;
}

const char16_t* FoldTable() { return Tables().fold; }

// How common a unit is in everyday text, higher for more common: the anchor
// of a search is the pattern's least common unit, so that candidates are few.
int Commonness(char16_t unit) {
  static constexpr char kByFrequency[] = " etaoinsrhldcumfpgwybvkxjqz0123456789.,-:/";
  if (unit >= 0x80) return 0;
  char lower = static_cast<char>(unit);
  if (lower >= 'A' && lower <= 'Z') lower = static_cast<char>(lower + 32);
  for (int i = 0; kByFrequency[i] != '\0'; ++i) {
    if (kByFrequency[i] == lower) return 64 - i;
  }
  return 1;
}

// Position of the first unit in text[from, to) that equals one of the
// anchors, or to. Several units at a time where the machine allows.
template <typename Unit>
std::size_t ScanForAnchors(const Unit* text, std::size_t from, std::size_t to,
                           const char16_t* anchors, int count) {
  std::size_t i = from;
#if defined(QUORVEL_SSE2)
  constexpr std::size_t kLanes = 16 / sizeof(Unit);
  __m128i wanted[4];
  for (int k = 0; k < count; ++k) {
    wanted[k] = sizeof(Unit) == 1 ? _mm_set1_epi8(static_cast<char>(anchors[k]))
                                  : _mm_set1_epi16(static_cast<short>(anchors[k]));
  }
  for (; i + kLanes <= to; i += kLanes) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    __m128i hit = _mm_setzero_si128();
    for (int k = 0; k < count; ++k) {
      hit = _mm_or_si128(hit, sizeof(Unit) == 1 ? _mm_cmpeq_epi8(block, wanted[k])
                                                : _mm_cmpeq_epi16(block, wanted[k]));
    }
    const int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask))) / sizeof(Unit);
  }
#endif
  for (; i < to; ++i) {
    for (int k = 0; k < count; ++k) {
      if (text[i] == anchors[k]) return i;
    }
  }
  return to;
}

}  // namespace

char16_t TextFoldCase(char16_t unit) { return FoldTable()[unit]; }

void TextStart() { (void)FoldTable(); }

FoldedPattern::FoldedPattern(std::u16string_view pattern) : folded_(pattern) {
  const char16_t* fold = FoldTable();
  for (char16_t& unit : folded_) unit = fold[unit];
  if (folded_.empty()) return;

  // Borders for the matcher that never steps back.
  skip_.assign(folded_.size(), 0);
  for (std::size_t i = 1, k = 0; i < folded_.size(); ++i) {
    while (k > 0 && folded_[i] != folded_[k]) k = skip_[k - 1];
    if (folded_[i] == folded_[k]) ++k;
    skip_[i] = static_cast<char32_t>(k);
  }

  for (std::size_t i = 1; i < folded_.size() && i < 16; ++i) {
    if (Commonness(folded_[i]) < Commonness(folded_[anchor_])) anchor_ = i;
  }
  // Every unit that folds to the anchor: scanning for them finds exactly
  // the places where the anchor can match.
  const FoldTables& tables = Tables();
  const char16_t first = pattern[anchor_];
  int count = 0;
  char16_t unit = first;
  do {
    if (unit < 0x100) {
      if (latin1AnchorCount_ < 4) latin1Anchors_[latin1AnchorCount_] = unit;
      ++latin1AnchorCount_;
    }
    if (count < 4) anchors_[count] = unit;
    ++count;
    unit = tables.next[unit];
  } while (unit != first && count <= 4);
  anchorCount_ = count <= 4 ? count : 0;
  if (latin1AnchorCount_ > 4 || anchorCount_ == 0) latin1AnchorCount_ = 0;
  // A pattern unit that no unit below 256 folds to never matches there.
  for (char16_t folded : folded_) {
    if (!tables.fromLatin1.test(folded)) latin1AnchorCount_ = -1;
  }
}

template <typename Unit>
std::size_t FoldedPattern::FindFrom(const Unit* text, std::size_t length,
                                    std::size_t from) const {
  const char16_t* fold = FoldTable();
  const std::size_t m = folded_.size();
  std::size_t matched = 0;
  for (std::size_t i = from; i < length; ++i) {
    const char16_t unit = fold[static_cast<char16_t>(text[i])];
    while (matched > 0 && folded_[matched] != unit) matched = skip_[matched - 1];
    if (folded_[matched] == unit) ++matched;
    if (matched == m) return i + 1 - m;
  }
  return std::u16string_view::npos;
}

template <typename Unit>
std::size_t FoldedPattern::Find(const Unit* text, std::size_t length, const char16_t* anchors,
                                int anchorCount) const {
  const std::size_t m = folded_.size();
  if (m == 0 || m > length) return std::u16string_view::npos;
  if (anchorCount == 0) return FindFrom(text, length, 0);
  const char16_t* fold = FoldTable();
  // Comparing at candidates is fast but can redo work; once it has cost more
  // than a few times the text passed over, the rest goes to the matcher that
  // never steps back, so the whole search stays linear.
  std::size_t work = 0;
  const std::size_t lastStart = length - m;
  std::size_t start = 0;
  while (start <= lastStart) {
    const std::size_t hit =
        ScanForAnchors(text, start + anchor_, lastStart + anchor_ + 1, anchors, anchorCount);
    if (hit > lastStart + anchor_) break;
    start = hit - anchor_;
    std::size_t k = 0;
    while (k < m && fold[static_cast<char16_t>(text[start + k])] == folded_[k]) ++k;
    if (k == m) return start;
    work += k + 1;
    if (work > 4 * (start + m)) return FindFrom(text, length, start + 1);
    ++start;
  }
  return std::u16string_view::npos;
}

std::size_t FoldedPattern::FindIn(std::u16string_view text) const {
  return Find(text.data(), text.size(), anchors_, anchorCount_);
}

std::size_t FoldedPattern::FindInLatin1(std::string_view units) const {
  if (latin1AnchorCount_ < 0) return std::u16string_view::npos;
  return Find(reinterpret_cast<const unsigned char*>(units.data()), units.size(), latin1Anchors_,
              latin1AnchorCount_);
}

std::size_t TextFindIgnoreCase(std::u16string_view text, std::u16string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::u16string_view::npos;
  return FoldedPattern(pattern).FindIn(text);
}

int64_t TextFind(std::u16string_view text, std::u16string_view pattern, int32_t start,
                 int32_t mode) {
  if (text.empty() || pattern.empty()) return 0;
  int64_t offset = int64_t{start} - 1;
  if (offset < 0) offset = 0;
  if (offset > static_cast<int64_t>(text.size())) offset = static_cast<int64_t>(text.size());
  const std::u16string_view rest = text.substr(static_cast<std::size_t>(offset));
  const std::size_t found =
      (mode & 1) != 0 ? TextFindIgnoreCase(rest, pattern) : rest.find(pattern);
  if (found == std::u16string_view::npos) return 0;
  return offset + static_cast<int64_t>(found) + 1;
}

std::u16string NumberToText(int64_t number) {
  // The magnitude is taken without sign, so INT64_MIN is written correctly.
  uint64_t magnitude =
      number < 0 ? uint64_t{0} - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  char16_t buffer[21];  // "-" and up to 20 digits
  std::size_t pos = sizeof buffer / sizeof buffer[0];
  do {
    buffer[--pos] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) buffer[--pos] = u'-';
  return std::u16string(buffer + pos, buffer + sizeof buffer / sizeof buffer[0]);
}

std::u16string TextPadLeft(std::u16string_view text, int32_t width, std::u16string_view pad) {
  if (pad.empty()) return std::u16string();
  const std::size_t w = width < 0 ? 0 : static_cast<std::size_t>(width);
  const std::size_t k = text.size() < w ? text.size() : w;
  std::u16string out(w - k, pad[0]);
  out.append(text.substr(0, k));
  return out;
}

namespace {

// Stores through a volatile glvalue belong to the program's observable
// behaviour: the language requires them to be done as written, so a
// compiler may not drop them the way it may drop a memset of memory that is
// freed next. It may not merge them either, so they come eight to a turn of
// the loop, in the widest unit the memory may be written as.
template <typename Unit>
void WipeUnits(Unit* data, std::size_t count) {
  volatile Unit* const units = data;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    units[i] = 0;
    units[i + 1] = 0;
    units[i + 2] = 0;
    units[i + 3] = 0;
    units[i + 4] = 0;
    units[i + 5] = 0;
    units[i + 6] = 0;
    units[i + 7] = 0;
  }
  for (; i < count; ++i) units[i] = 0;
}

}  // namespace

// unsigned char may write the bytes of any object.
void TextWipe(void* data, std::size_t bytes) { WipeUnits(static_cast<unsigned char*>(data), bytes); }

void TextWipe(std::u16string& text) {
  WipeUnits(text.data(), text.capacity());
  std::u16string().swap(text);
}

}  // namespace quorvel
