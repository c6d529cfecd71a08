// The capture step that every turn runs, and the 12-hour time of its stamps.
#include <new>

#include "app/application.h"
#include "runtime/date.h"
#include "runtime/text.h"

namespace quorvel {

std::u16string Application::TimeOfDayText(int64_t showSeconds) {
  const int64_t hour = DateHour(platform_.DateNow());
  const int64_t minute = DateMinute(platform_.DateNow());
  const int64_t second = DateSecond(platform_.DateNow());
  char16_t units[kTimeOfDayLength];
  return std::u16string(units, DateWriteTimeOfDay(hour, minute, second, showSeconds != 0, units));
}

StampTime Application::ReadCaptureTime() {
  // The date first, then each field of the time from its own reading: at
  // midnight the two may belong to different days, as in the stamp's text.
  const int64_t dateReading = platform_.DateNow();
  const int64_t hourReading = platform_.DateNow();
  const int64_t minuteReading = platform_.DateNow();
  const int64_t secondReading = platform_.DateNow();
  return DateStampTime(dateReading, hourReading, minuteReading, secondReading);
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
  try {
    if (!platform_.ClipboardReadText(state_.clipText, readSequence)) return;
  } catch (const std::bad_alloc&) {
    // A text too large for the memory left is not taken; the next one is.
    state_.clipSequence = sequence;
    TextWipe(state_.clipText);
    return;
  }
  state_.clipSequence = readSequence;
  CaptureText();
  TextWipe(state_.clipText);
}

bool Application::ListAppend(const HistoryEntry& entry) {
  // The list may refuse a line (it ran out of memory): the count tells.
  const int64_t before = platform_.GadgetItemCount(kListView);
  try {
    platform_.GadgetAddItem(kListView, -1, EntryDisplayLine(entry));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return platform_.GadgetItemCount(kListView) == before + 1;
}

void Application::CaptureText() {
  const std::u16string& text = state_.clipText;
  if (text.empty()) return;
  const TextDigest digest = DigestOf(text);
  if (digest == state_.lastClipText) return;

  const int64_t foundIndex = state_.history.Find(text, digest);
  if (foundIndex >= 0) {
    // A known text moves to the end and keeps the stamp of its first capture.
    // Its line is added at the bottom before the old one goes, so that a
    // list that refuses the line leaves the list and the history as they were.
    if (!ListAppend(state_.history.At(static_cast<size_t>(foundIndex)))) return;
    platform_.GadgetRemoveItem(kListView, foundIndex);
    state_.history.MoveToEnd(static_cast<size_t>(foundIndex));
    state_.lastClipText = digest;
    return;
  }

  // A text that does not fit in memory, or whose line the list refuses, is
  // not taken: the history stays as it was and in step with the list.
  if (!state_.history.Append(text, digest, ReadCaptureTime())) return;
  if (!ListAppend(state_.history.At(state_.history.Size() - 1))) {
    state_.history.Remove(state_.history.Size() - 1);
    return;
  }
  state_.lastClipText = digest;
  if (state_.history.Size() == 1) platform_.GadgetSetState(kListView, 0);
}

}  // namespace quorvel
