// Fuzzes the application as a state machine on the portable platform: random
// clipboard changes, keys, commands, selections, answers and clock settings,
// one turn of the loop after each, with the history's invariants checked.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/application.h"
#include "fuzz/fuzz_support.h"
#include "runtime/date.h"
#include "ui/null_platform.h"

namespace quorvel::fuzz {
namespace {

constexpr int kMaxActions = 256;
constexpr int kMaxDrainTurns = 64;
constexpr int64_t kIdYes = 6;

// The nine shortcut keys of the main window.
constexpr int32_t kKeys[] = {
    13,   ShortcutShift | 13,   27,   ShortcutAlt | 13, ShortcutShift | 0x2E,
    ShortcutAlt | 0x2E, ShortcutControl | 0x46, 0x72, ShortcutShift | 0x72,
};

// Clipboard texts that meet earlier ones in the ways an exact comparison must
// tell apart: the same text again, another letter case, a trailing blank or
// line end more or less, an unpaired surrogate, an embedded zero, two texts
// joined as an append joins them, and empty texts.
class ClipTexts {
 public:
  std::u16string Next(FuzzInput& in) {
    std::u16string text = seen_.empty() ? in.Text(12) : Seen(in);
    switch (in.Range(0, 11)) {
      case 0: text = in.Text(12); break;
      case 1: text.clear(); break;
      case 2:
        for (char16_t& c : text) {
          if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - 32);
            break;
          }
          if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
            break;
          }
        }
        break;
      case 3: text += in.Range(0, 1) == 0 ? u" " : u"\r\n"; break;
      case 4:
        if (!text.empty() && (text.back() == u' ' || text.back() == u'\n')) text.pop_back();
        break;
      case 5: text.insert(At(in, text), 1, in.Range(0, 1) == 0 ? char16_t{0xD800} : char16_t{0xDC00}); break;
      case 6: text.insert(At(in, text), 1, u'\0'); break;
      case 7:
        if (!seen_.empty()) text += Seen(in);
        break;
      default: break;  // the same text once more
    }
    if (seen_.size() < kKept) {
      seen_.push_back(text);
    } else {
      seen_[next_++ % kKept] = text;
    }
    return text;
  }

 private:
  std::u16string Seen(FuzzInput& in) {
    return seen_[static_cast<size_t>(in.Range(0, static_cast<int64_t>(seen_.size()) - 1))];
  }
  static size_t At(FuzzInput& in, const std::u16string& text) {
    return static_cast<size_t>(in.Range(0, static_cast<int64_t>(text.size())));
  }

  static constexpr size_t kKept = 16;
  std::vector<std::u16string> seen_;
  size_t next_ = 0;
};

int64_t PickClock(FuzzInput& in) {
  switch (in.Range(0, 7)) {
    case 0: return kNoDate;
    case 1: return kDateMax - in.Range(0, 1);
    default: return in.Range(0, kDateMax);
  }
}

class Session {
 public:
  explicit Session(FuzzInput& in) : in_(in) {}

  void Run() {
    platform_.SetClock(DateFromParts(2024, 5, 1, 13, 45, 0));
    if (in_.Range(0, 31) == 31) {
      platform_.TakeHotKey();
      FUZZ_CHECK(!app_.Start(), "start-up succeeded without the hot key");
      FUZZ_CHECK(platform_.MessageCalls().size() == 1 &&
                     platform_.MessageCalls()[0].text == u"Cannot register hotkey.",
                 "hot-key failure not reported");
      FUZZ_CHECK(app_.State().history.Empty() && !platform_.WindowVisible(),
                 "hot-key failure left a history or a visible window");
      app_.Shutdown();
      return;
    }
    if (in_.Range(0, 1) == 1) platform_.CopyText(texts_.Next(in_));  // there before start-up
    FUZZ_CHECK(app_.Start(), "start-up failed");
    CheckState("start-up");

    for (int action = 0; action < kMaxActions && !in_.Empty(); ++action) {
      if (!Act()) return;
    }
    // Let whatever is still queued arrive.
    for (int i = 0; i < kMaxDrainTurns; ++i) {
      if (platform_.PendingMessages() == 0 && platform_.Events().Size() == 0) break;
      if (!Turn("draining")) return;
    }
  }

 private:
  // One action, then one turn. False once the user confirmed the exit.
  bool Act() {
    switch (in_.Range(0, 16)) {
      case 0:
      case 1:
      case 2:
        untaken_ = false;
        platform_.CopyText(texts_.Next(in_));
        break;
      case 3:
        untaken_ = false;
        platform_.CopyImage();
        break;
      case 4:
        untaken_ = false;
        platform_.CopyPrivateText(texts_.Next(in_));
        break;
      case 5:
        held_ = !held_;
        platform_.HoldClipboard(held_);
        break;
      case 6:
      case 7:
        platform_.PressKey(in_.Range(0, 15) == 0
                               ? static_cast<int32_t>(in_.Range(0, 0x7FFFF))
                               : kKeys[in_.Range(0, 8)]);
        break;
      case 8: {
        // A command run outside the loop's dispatch; the invariants hold
        // between it and the capture step of the next turn too. Without a
        // capture nothing is added or moved: entries can only go.
        const Snapshot before = Take();
        app_.RunCommand(in_.Range(0, 15) == 0 ? in_.Int64() : in_.Range(-1, 10));
        CheckState("a command");
        CheckChange(before, "a command", /*captured=*/false, /*removed=*/true);
        break;
      }
      case 9:
        platform_.PressHotKey();
        break;
      case 10:
        platform_.ActivateOtherProgram();
        break;
      case 11: {
        // The user selects an item (or nothing, or past the end).
        const int64_t count = static_cast<int64_t>(platform_.ListItems().size());
        platform_.GadgetSetState(kListView, in_.Range(0, 15) == 0 ? in_.Int64()
                                                                  : in_.Range(-2, count + 1));
        break;
      }
      case 12:
        platform_.AnswerInput(in_.Range(0, 3) == 0 ? std::u16string(u"PM") : texts_.Next(in_));
        break;
      case 13: {
        // The exit question: mostly No, now and then Yes.
        platform_.AnswerMessage(in_.Range(0, 7) == 0 ? kIdYes : in_.Range(0, 7));
        platform_.RequestClose();
        break;
      }
      case 14:
        platform_.SetClock(PickClock(in_));
        break;
      case 15:
        // The list runs out of memory for new lines, or recovers.
        refusing_ = in_.Range(0, 3) == 0;
        platform_.RefuseListItems(refusing_);
        break;
      default:
        break;  // a turn in which nothing happens
    }
    return Turn("a turn");
  }

  bool Turn(const char* what) {
    const Snapshot before = Take();
    if (!app_.Turn()) {
      app_.Shutdown();
      return false;
    }
    CheckState(what);
    const ApplicationState& state = app_.State();
    const bool removed = state.eventCode == EventMenuCommand &&
                         (state.eventItem == kItemDelete || state.eventItem == kItemClear);
    CheckChange(before, what, /*captured=*/true, removed);
    // The first entry of an empty history is selected (no command has
    // anything to act on before it).
    if (before.entries.empty() && state.history.Size() == 1) {
      FUZZ_CHECK(platform_.ListSelection() == 0, Describe(what));
    }
    // The turn's capture step has seen the clipboard: a text that can be
    // read now is the text captured last.
    std::u16string now;
    uint32_t sequence = 0;
    // (Unless the list refused a line since the clipboard last changed: that
    // text was not taken, and stays untaken until the next change.)
    if (refusing_) untaken_ = true;
    if (!untaken_ && platform_.ClipboardReadText(now, sequence) && !now.empty()) {
      FUZZ_CHECK(app_.State().lastClipText == DigestOf(now), Describe(what) + " clipboard " + Show(now));
    }
    return true;
  }

  struct Copied {
    std::u16string text;
    std::u16string stamp;
  };
  struct Snapshot {
    std::vector<Copied> entries;
    TextDigest lastClipText;
  };

  Snapshot Take() const {
    Snapshot snapshot;
    const HistoryList& history = app_.State().history;
    for (size_t i = 0; i < history.Size(); ++i) {
      snapshot.entries.push_back({history.At(i).text(), history.At(i).stamp()});
    }
    snapshot.lastClipText = app_.State().lastClipText;
    return snapshot;
  }

  // How the history may change in one step. Commands only remove entries;
  // the capture step then appends one new text or moves a known one to the
  // end, and only a text other than the one captured last. Everything else
  // keeps its order, and every entry keeps the stamp of its first capture
  // (a text deleted and captured again in the same turn gets a new one).
  void CheckChange(const Snapshot& before, const char* what, bool captured, bool removed) {
    const ApplicationState& state = app_.State();
    const HistoryList& history = state.history;
    size_t kept = history.Size();
    if (captured && kept > 0 && DigestOf(history.At(kept - 1).text()) == state.lastClipText) {
      const Copied last{history.At(kept - 1).text(), history.At(kept - 1).stamp()};
      bool known = false;
      for (const Copied& old : before.entries) {
        if (old.text != last.text) continue;
        known = true;
        if (!removed) FUZZ_CHECK(old.stamp == last.stamp, Describe(what) + " restamped " + Show(last.text));
      }
      FUZZ_CHECK(known || DigestOf(last.text) != before.lastClipText,
                 Describe(what) + " captured again " + Show(last.text));
      --kept;
    } else {
      FUZZ_CHECK(state.lastClipText == before.lastClipText, Describe(what));
    }
    // The other entries are what was there before, less what was removed.
    size_t from = 0;
    for (size_t i = 0; i < kept; ++i) {
      const Copied entry{history.At(i).text(), history.At(i).stamp()};
      while (from < before.entries.size() && before.entries[from].text != entry.text) ++from;
      FUZZ_CHECK(from < before.entries.size(), Describe(what) + " out of order or new: " + Show(entry.text));
      FUZZ_CHECK(before.entries[from].stamp == entry.stamp, Describe(what) + " restamped " + Show(entry.text));
      ++from;
    }
  }

  void CheckState(const char* what) {
    const ApplicationState& state = app_.State();
    const HistoryList& history = state.history;
    const std::vector<std::u16string> items = platform_.ListItems();

    // One list line per entry, in the same order.
    FUZZ_CHECK(items.size() == history.Size(), Describe(what));
    std::set<std::u16string> texts;
    for (size_t i = 0; i < history.Size(); ++i) {
      FUZZ_CHECK(items[i] == EntryDisplayLine(history.At(i)), Describe(what) + " item " + std::to_string(i));
      const Copied entry{history.At(i).text(), history.At(i).stamp()};
      FUZZ_CHECK(history.Find(entry.text) == static_cast<int64_t>(i), Describe(what) + " index");
      // Texts are never empty and, read up to the clipboard's first zero
      // unit, never hold one; no text is stored twice.
      FUZZ_CHECK(!entry.text.empty(), Describe(what));
      FUZZ_CHECK(entry.text.find(u'\0') == std::u16string::npos, Describe(what));
      FUZZ_CHECK(texts.insert(entry.text).second, Describe(what) + " twice: " + Show(entry.text));
      FUZZ_CHECK(entry.stamp.size() == kStampLength && entry.stamp.rfind(u" \u00AB", 0) == 0 &&
                     entry.stamp.back() == u'\u00BB',
                 Describe(what) + " stamp " + Show(entry.stamp));
    }
    // The text captured last, while it is in the history, is its last entry
    // (after a delete or a clear it may be in none).
    for (size_t i = 0; i + 1 < history.Size(); ++i) {
      FUZZ_CHECK(DigestOf(history.At(i).text()) != state.lastClipText,
                 Describe(what) + " last captured at " + std::to_string(i));
    }

    const int64_t selected = platform_.ListSelection();
    FUZZ_CHECK(selected >= -1 && selected < static_cast<int64_t>(items.size()), Describe(what));
    FUZZ_CHECK(state.searchBusy == 0, Describe(what));
    FUZZ_CHECK(state.windowHidden == (platform_.WindowVisible() ? 0 : 1), Describe(what));
    // The list or, in the preview, the editor is shown and has the focus.
    FUZZ_CHECK(state.previewShown == 0 || state.previewShown == 1, Describe(what));
    FUZZ_CHECK(platform_.GadgetVisible(kListView) == (state.previewShown == 0) &&
                   platform_.GadgetVisible(kEditor) == (state.previewShown == 1) &&
                   platform_.FocusedGadget() == state.previewShown,
               Describe(what));
  }

  std::string Describe(const char* what) const {
    std::string out = std::string("after ") + what + "; last captured a text of " +
                      std::to_string(app_.State().lastClipText.length) + " units; history:";
    const HistoryList& history = app_.State().history;
    for (size_t i = 0; i < history.Size(); ++i) out += "\n  " + Show(EntryDisplayLine(history.At(i)));
    out += "\nlist:";
    for (const std::u16string& item : platform_.ListItems()) out += "\n  " + Show(item);
    return out + "\nselected " + std::to_string(platform_.ListSelection());
  }

  FuzzInput& in_;
  NullPlatform platform_;
  Application app_{platform_};
  ClipTexts texts_;
  bool held_ = false;
  bool refusing_ = false;
  bool untaken_ = false;  // a change the refusing list kept out
};

}  // namespace
}  // namespace quorvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::fuzz::FuzzInput in(data, size);
  quorvel::fuzz::Session(in).Run();
  return 0;
}
