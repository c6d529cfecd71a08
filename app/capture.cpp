// The capture step that every turn runs, and the 12-hour time of its stamps.
#include <cmath>

#include "app/application.h"
#include "runtime/date.h"
#include "runtime/text.h"

namespace quorvel {

namespace {

// A field of a clock reading that is not a valid date (the clock is past the
// date range) shows as "??" rather than as a negative number.
std::u16string TwoDigits(int64_t value) {
  if (value < 0) return u"??";
  return TextPadLeft(NumberToText(value), 2, u"0");
}

}  // namespace

std::u16string Application::TimeOfDayText(int64_t showSeconds) {
  const int64_t hour = DateHour(platform_.DateNow());
  const int64_t minute = DateMinute(platform_.DateNow());
  const int64_t second = DateSecond(platform_.DateNow());

  std::u16string suffix = ChooseText(hour >= 12, u"PM", u"AM");
  std::u16string hourText = u"??";
  if (hour >= 0) {
    const auto hour12 =
        static_cast<int64_t>(std::fmod(static_cast<double>(hour) + 11.0, 12.0) + 1.0);
    hourText = TwoDigits(hour12);
  } else {
    suffix = u"??";
  }
  return hourText + u":" + TwoDigits(minute) +
         ChooseText(showSeconds != 0, u":" + TwoDigits(second), u"") + u" " + suffix;
}

// The benchmark builds that measure what the sequence number saves define
// QUORVEL_CAPTURE_EVERY_TURN to read the clipboard on every turn instead, or
// QUORVEL_CAPTURE_NONE for a loop without the capture step at all (the floor
// of the idle cost).
#ifndef QUORVEL_CAPTURE_EVERY_TURN
#define QUORVEL_CAPTURE_EVERY_TURN 0
#endif
#ifndef QUORVEL_CAPTURE_NONE
#define QUORVEL_CAPTURE_NONE 0
#endif

void Application::CaptureClipboard() {
  if (QUORVEL_CAPTURE_NONE) return;
  // Opening the clipboard only when it changed keeps an idle program from
  // copying a large text on every turn and from holding the clipboard when
  // other programs want it. The number recorded is the one taken with the
  // clipboard open, which belongs to exactly the contents read: a write that
  // was still going on when the number was looked at (a large text takes a
  // while) is not read a second time, and one that lands after the read makes
  // the number differ again and is read next turn. A busy clipboard records
  // nothing and is tried again next turn; a system that cannot tell (0) is
  // read on every turn.
  const uint32_t sequence = platform_.ClipboardSequenceNumber();
  const bool unchanged = sequence != 0 && sequence == state_.clipSequence;
  if (unchanged && !QUORVEL_CAPTURE_EVERY_TURN) return;
  uint32_t readSequence = 0;
  if (!platform_.ClipboardReadText(state_.clipText, readSequence)) return;
  state_.clipSequence = readSequence;
  if (state_.clipText.empty()) return;
  if (state_.clipText == state_.lastClipText) return;

  const int64_t foundIndex = state_.history.Find(state_.clipText);
  state_.lastClipText = state_.clipText;

  if (foundIndex >= 0) {
    // A known text moves to the end and keeps the stamp of its first capture.
    state_.history.MoveToEnd(static_cast<size_t>(foundIndex));
    platform_.GadgetRemoveItem(kListView, foundIndex);
    platform_.GadgetAddItem(kListView, -1, EntryDisplayLine(state_.history.At(state_.history.Size() - 1)));
    return;
  }

  HistoryEntry entry;
  entry.text = state_.clipText;
  std::u16string date = DateFormat(u"%yyyy-%mm-%dd ", platform_.DateNow());
  entry.stamp = u" \u00AB" + date + TimeOfDayText(1) + u"\u00BB";
  state_.history.Append(std::move(entry));
  platform_.GadgetAddItem(kListView, -1, EntryDisplayLine(state_.history.At(state_.history.Size() - 1)));
  if (state_.history.Size() == 1) platform_.GadgetSetState(kListView, 0);
}

}  // namespace quorvel
