// The cost arithmetic of the editor's shown text and its closing note.
#include "ui/editor_text.h"

#include <cstdint>

#include "runtime/text.h"

namespace quorvel {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// "49859840" as "49,859,840".
std::u16string Grouped(size_t number) {
  const std::u16string digits = NumberToText(static_cast<int64_t>(number));
  std::u16string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) grouped += u',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

EditorShownText EditorTextShown(std::u16string_view text, const EditorTextCosts& costs) {
  size_t spent = 0;
  size_t column = 0;
  size_t run = 0;  // characters since the last place the control can wrap
  size_t end = 0;
  for (; end < text.size(); ++end) {
    const char16_t unit = text[end];
    size_t cost = 0;
    if (unit == u'\n' && end > 0 && text[end - 1] == u'\r') {
      cost = 0;  // the second half of CR LF: one break with the CR
    } else if (unit == u'\r' || unit == u'\n') {
      cost = costs.breakCost;
      column = 0;
      run = 0;
    } else {
      cost = column >= costs.longColumn ? costs.longCost : 1;
      if (costs.runStep != 0) cost += run / costs.runStep;
      ++column;
      run = unit == u' ' || unit == u'\t' ? 0 : run + 1;
    }
    if (cost > costs.budget - spent) break;
    spent += cost;
  }
  if (end < text.size() && end > 0 && IsHighSurrogate(text[end - 1]) &&
      IsLowSurrogate(text[end])) {
    --end;
  }
  return {text.substr(0, end), text.size() - end};
}

std::u16string EditorOmissionNote(size_t notShown) {
  if (notShown == 0) return {};
  return u"\r\n\r\n[\u2026 " + Grouped(notShown) +
         (notShown == 1 ? u" more character is" : u" more characters are") +
         u" not shown here. Return copies the whole entry.]";
}

}  // namespace quorvel
