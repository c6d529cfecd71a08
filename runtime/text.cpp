// Text search, numbers as text, padding. Only the case mapping
// touches the platform, through LowerCaseUnit (local.h).
#include "runtime/text.h"

#include "runtime/local.h"

namespace quorvel {

char16_t TextFoldCase(char16_t unit) { return LowerCaseUnit(unit); }

std::size_t TextFindIgnoreCase(std::u16string_view text, std::u16string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::u16string_view::npos;
  const char16_t first = TextFoldCase(pattern[0]);
  // A match cannot begin later than this: the text would end first.
  const std::size_t last_start = text.size() - pattern.size();
  for (std::size_t i = 0; i <= last_start; ++i) {
    if (TextFoldCase(text[i]) != first) continue;
    std::size_t k = 1;
    while (k < pattern.size() && TextFoldCase(text[i + k]) == TextFoldCase(pattern[k])) ++k;
    if (k == pattern.size()) return i;
    // Otherwise resume with the unit right after i.
  }
  return std::u16string_view::npos;
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

}  // namespace quorvel
