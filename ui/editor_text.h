// What the editor shows of a text: its beginning, as much as the rich-edit
// control takes in and draws quickly, and a closing note on what is left out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// The rich-edit control's time to take in, draw and drop a text grows with
// its characters, more per character far into a long line, and far more with
// its line breaks: dropping a text, when the next one replaces it, grows with
// the square of its lines. Under Wine (bench/wine/richedit_costs.cpp): 1,000
// lines of 64 characters were dropped in 0.10 s, 2,000 in 0.29 s, 4,000 in
// 2.1 s; one line of 1,000,000 characters took 12 s to take in and 22 s to
// draw. Each character therefore costs one unit, a line break (CR, LF or
// CR LF) breakCost units, and a character at column longColumn or beyond of
// its line longCost units; the editor shows the longest beginning that costs
// at most budget units: about 1,200 lines of 64 (79,000 characters), 2,500
// empty lines, or 50,000 characters of one line.
// The control wraps its lines at the window's width, at a space or a tab. A
// run without one (digits, base64, a long address) is broken wherever the
// width ends, and the control's time for it grows with the square of the run
// (richedit_costs --width 1916 --digits: 5,000 digits took 0.09 s to take in,
// 10,000 0.29 s, 20,000 0.88 s, while one line of 50,764 characters in words
// took 0.56 s). The k-th character of such a run (counted from 0) therefore
// costs k / runStep units more: one run is shown up to 15,113 characters
// (0.61 s), which cost the control about what 50,764 characters in words do.
// Text in words is not affected. runStep 0 costs runs nothing more.
struct EditorTextCosts {
  size_t budget;
  size_t breakCost;
  size_t longColumn;
  size_t longCost;
  size_t runStep = 0;
};
inline constexpr EditorTextCosts kEditorTextCosts{150000, 60, 1024, 3, 1000};

struct EditorShownText {
  std::u16string_view shown;  // the beginning of the text that the editor shows
  size_t notShown = 0;        // code units after it that it leaves out
};

// The part of text that the editor shows. Looks at no more of the text than
// the shown part and one unit beyond, whatever the text's length, and never
// ends between the two halves of a surrogate pair.
[[nodiscard]] EditorShownText EditorTextShown(std::u16string_view text,
                                              const EditorTextCosts& costs = kEditorTextCosts);

// The closing note that follows a shown part when notShown code units are
// left out, starting on a line of its own: "…" and how many characters are
// not shown (in digits grouped by commas). The empty text when notShown is 0.
[[nodiscard]] std::u16string EditorOmissionNote(size_t notShown);

}  // namespace quorvel
