// The table behind ForeignMessageRefused.
#include "ui/foreign_messages.h"

#include <algorithm>
#include <iterator>

namespace quorvel {

namespace {

struct Range {
  uint32_t first;
  uint32_t last;
};

constexpr uint32_t kWmUser = 0x0400;
constexpr uint32_t kWmTimer = 0x0113;

// Rule 1: creation and destruction, at every window.
constexpr uint32_t kLifecycle[] = {
    0x0001,  // WM_CREATE
    0x0002,  // WM_DESTROY
    0x0081,  // WM_NCCREATE
    0x0082,  // WM_NCDESTROY
};

// Rule 2: addresses that the receiver would use, at every window.
constexpr uint32_t kAddresses[] = {
    0x002B,  // WM_DRAWITEM
    0x002C,  // WM_MEASUREITEM
    0x002D,  // WM_DELETEITEM
    0x0039,  // WM_COMPAREITEM
    0x004E,  // WM_NOTIFY
    0x00BC,  // EM_SETHANDLE
    0x00D0,  // EM_SETWORDBREAKPROC
};

// Rule 2, posted: structures that the system fills in for the receiver.
constexpr uint32_t kNeverPosted[] = {
    0x0024,  // WM_GETMINMAXINFO
    0x0046,  // WM_WINDOWPOSCHANGING
    0x0047,  // WM_WINDOWPOSCHANGED
    0x007C,  // WM_STYLECHANGING
    0x007D,  // WM_STYLECHANGED
    0x0083,  // WM_NCCALCSIZE
};

// Rules 3 and 4, at the program's windows but not at the find prompt.
constexpr uint32_t kChanges[] = {
    0x000B,  // WM_SETREDRAW
    0x000C,  // WM_SETTEXT
    0x002E,  // WM_VKEYTOITEM
    0x002F,  // WM_CHARTOITEM
    0x0030,  // WM_SETFONT
    0x0032,  // WM_SETHOTKEY
    0x0080,  // WM_SETICON
    0x0111,  // WM_COMMAND
    0x0210,  // WM_PARENTNOTIFY
    0x0300,  // WM_CUT
    0x0302,  // WM_PASTE
    0x0303,  // WM_CLEAR
    0x0304,  // WM_UNDO
};
constexpr Range kControlRanges[] = {
    {0x00B0, 0x00FF},  // EM_*, SBM_*, BM_*
    {0x0140, 0x01FF},  // CB_*, STM_*, LB_*
};

// Rule 2 (and 4), at every window: messages of a window class, rich edit's
// among them, and the program's private ones.
constexpr Range kClassRange{kWmUser, 0x7FFF};

// Questions inside the ranges above that change nothing and carry either no
// pointer or one the system copies (the system refuses to post those).
constexpr uint32_t kReadOnlyQuestions[] = {
    0x00B0,        // EM_GETSEL (two DWORDs, copied)
    0x00B2,        // EM_GETRECT (a RECT, copied)
    0x00B8,        // EM_GETMODIFY
    0x00BA,        // EM_GETLINECOUNT
    0x00BB,        // EM_LINEINDEX
    0x00C1,        // EM_LINELENGTH
    0x00C4,        // EM_GETLINE (the line, copied)
    0x00C9,        // EM_LINEFROMCHAR
    0x00CE,        // EM_GETFIRSTVISIBLELINE
    0x00D5,        // EM_GETLIMITTEXT
    0x0187,        // LB_GETSEL
    0x0188,        // LB_GETCURSEL
    0x0189,        // LB_GETTEXT (the text, copied)
    0x018A,        // LB_GETTEXTLEN
    0x018B,        // LB_GETCOUNT
    0x018E,        // LB_GETTOPINDEX
    0x0190,        // LB_GETSELCOUNT
    0x0198,        // LB_GETITEMRECT (a RECT, copied)
    0x0199,        // LB_GETITEMDATA
    0x019D,        // LB_GETANCHORINDEX
    0x019F,        // LB_GETCARETINDEX
    0x01A1,        // LB_GETITEMHEIGHT
    0x01A9,        // LB_ITEMFROMPOINT
    kWmUser + 54,  // EM_EXLINEFROMCHAR
    kWmUser + 59,  // EM_GETEVENTMASK
    kWmUser + 78,  // EM_GETOPTIONS
    kWmUser + 90,  // EM_GETTEXTMODE
};

template <typename Table>
bool Contains(const Table& table, uint32_t message) {
  return std::find(std::begin(table), std::end(table), message) != std::end(table);
}

bool In(Range r, uint32_t message) { return message >= r.first && message <= r.last; }

}  // namespace

bool ForeignMessageRefused(uint32_t message, int64_t lParam, ForeignRoute route,
                           ForeignTarget target) {
  if (route == ForeignRoute::Posted) {
    if (message == kWmTimer && lParam != 0) return true;
    if (Contains(kNeverPosted, message)) return true;
  }
  if (Contains(kLifecycle, message) || Contains(kAddresses, message)) return true;
  if (Contains(kReadOnlyQuestions, message)) return false;
  if (In(kClassRange, message)) return true;
  if (target == ForeignTarget::Dialog) return false;
  return Contains(kChanges, message) ||
         std::any_of(std::begin(kControlRanges), std::end(kControlRanges),
                     [message](Range r) { return In(r, message); });
}

}  // namespace quorvel
