"""A user's walk through Quorvel, driven and watched from outside: texts captured
while it is hidden, the window called up with the hot key, entries copied back,
appended, deleted and cleared, one entry previewed in the editor, the list
searched, and the window closed. Each scenario starts its own quorvel.exe."""

import shutil
import subprocess

import harness
from harness import parse_line, windows_text

class Walkthrough(harness.QuorvelTestCase):
    def setUp(self):
        super().setUp()
        # The clipboard outlives the programs; an empty text is never captured.
        self.set_windows_clipboard("")

    # Helpers -------------------------------------------------------------------

    def texts(self):
        return [parse_line(line)[0] for line in self.list_items() or []]

    def lines_by_text(self):
        return {parse_line(line)[0]: line for line in self.list_items() or []}

    def selected(self):
        return self.list_state().get("selected")

    def wait_texts(self, expected, what):
        self.wait_for(lambda: self.texts() == expected, what)

    def show(self):
        """The hot key, pressed while another Wine window has the focus; returns once
        Quorvel is shown, in the foreground and has the X keyboard focus."""
        self.hotkey()
        self.wait_for_front("the window shown by the hot key")

    def wait_for_front(self, what):
        def front():
            window = self.main_window()
            return window if window["visible"] and window["foreground"] else None
        window = self.wait_for(front, what)
        self.wait_for(lambda: self.x_focus_name() == harness.QUORVEL_TITLE,
                      "the keyboard focus on quorvel", timeout=5)
        return window

    def select(self, *keys, index):
        """Moves the list's selection with navigation keys, as a user would."""
        self.key(*keys)
        self.wait_for(lambda: self.selected() == index, "item %d selected" % index)

    def assert_unchanged(self, what, read, expected, seconds=0.8):
        """A key that must do nothing: after a pause the observed value is the same."""
        self.settle(seconds)
        self.assertEqual(read(), expected, what)

    def window_shot(self, name):
        """A screenshot of the whole screen, and one cropped to Quorvel's window when
        ImageMagick's convert is there; returns the cropped one (or the whole)."""
        whole = self.desktop.screenshot(name)
        left, top, right, bottom = self.main_window()["rect"]
        if not shutil.which("convert"):
            return whole
        cropped = whole[:-len(".png")] + "-window.png"
        geometry = "%dx%d+%d+%d" % (right - left, bottom - top, max(left, 0), max(top, 0))
        subprocess.run(["convert", whole, "-crop", geometry, "+repage", cropped],
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=30, check=True)
        return cropped

    # Scenarios -------------------------------------------------------------------

    def test_captured_texts_and_copying_one_back(self):
        # A text already on the clipboard when the program starts is captured first.
        line, before, after = self.start_with_clipboard("Invoice INV-2041 paid")
        text, stamp = parse_line(line)
        self.assertEqual(text, "Invoice INV-2041 paid")
        self.assertTrue(before <= stamp <= after, "stamped at start-up: %s" % stamp)

        self.start_other_app()
        copied = ["https://example.org/docs", "Grüße aus München", "git log --oneline",
                  "+49 30 1234 5678"]
        for text in copied:
            self.capture(text)
        self.wait_texts(["Invoice INV-2041 paid"] + copied, "every copied text, oldest first")
        first = self.lines_by_text()

        # Copying a known text again moves it to the bottom with its first stamp.
        self.wait_for(lambda: self.local_now() > parse_line(first["Invoice INV-2041 paid"])[1],
                      "the clock to pass the first stamp")
        self.set_clipboard("Invoice INV-2041 paid")
        order = copied + ["Invoice INV-2041 paid"]
        self.wait_texts(order, "the re-copied text at the bottom")
        self.assertEqual(self.list_items(), [first[t] for t in order], "stamps kept")

        self.show()
        self.select("Home", "Down", index=1)
        self.window_shot("list")
        self.assertEqual(self.texts()[1], "Grüße aus München")

        # Return: the entry (without its stamp) goes to the clipboard and, captured
        # again, to the bottom of the list with its first stamp. The window stays.
        self.key("Return")
        self.wait_for(lambda: self.windows_clipboard() == "Grüße aus München", "the entry copied")
        order = ["https://example.org/docs", "git log --oneline", "+49 30 1234 5678",
                 "Invoice INV-2041 paid", "Grüße aus München"]
        self.wait_texts(order, "the copied entry moved to the bottom")
        self.assertEqual(self.list_items(), [first[t] for t in order], "stamps kept")
        self.assertEqual(self.selected(), -1, "the selection went with the removed item")
        self.wait_for(lambda: self.desktop.x_clipboard() == "Grüße aus München", "X programs to see it too")
        window = self.main_window()
        self.assertTrue(window["visible"] and window["foreground"], window)

        # Return on the entry captured last puts the same text back: nothing moves.
        self.select("Home", "End", index=4)
        self.key("Return")
        self.assert_unchanged("the list after copying the last entry", self.list_items,
                              [first[t] for t in order])
        self.assertEqual(self.windows_clipboard(), "Grüße aus München")

    def test_append_delete_and_clear(self):
        # The keys reach their commands on the real program; what the commands do in
        # every case (stamps, no selection, a deleted text still on the clipboard, an
        # empty history) is for tests/app/commands_test.cpp.
        self.start_quorvel()
        self.start_other_app()
        self.capture("Zoë Müller")
        self.capture("Thanks, ")
        self.show()

        # Shift+Return: the clipboard text, then the entry, with nothing between;
        # captured as a new entry.
        self.select("Home", index=0)
        self.key("shift+Return")
        joined = "Thanks, Zoë Müller"
        self.wait_for(lambda: self.windows_clipboard() == joined, "the joined text on the clipboard")
        self.wait_texts(["Zoë Müller", "Thanks, ", joined], "the joined text captured")
        self.assertEqual(self.selected(), 0, "the selection stays on its entry")

        # Shift+Delete removes the selected entry, and with it the selection.
        self.key("shift+Delete")
        self.wait_texts(["Thanks, ", joined], "the selected entry deleted")
        self.assertEqual(self.selected(), -1)

        # Alt+Delete clears everything without asking; the clipboard keeps its text
        # and it is not captured again.
        self.key("alt+Delete")
        self.wait_for(lambda: self.list_state().get("count") == 0, "the history cleared")
        self.assertFalse(self.msgbox()["found"], "nothing asked")
        self.assert_unchanged("an empty history after Alt+Delete", lambda: self.list_state()["count"], 0)
        self.assertEqual(self.windows_clipboard(), joined)
        self.assertTrue(self.main_window()["visible"])

    def test_preview_survives_hiding_and_goes_back_to_the_list(self):
        self.start_quorvel()
        self.start_other_app()
        self.capture("Short note")
        recipe = ("Pancakes for 4:\n- 200 g flour\n- 2 eggs, 300 ml milk\n- a pinch of salt\n"
                  "Whisk, rest 10 min.")
        self.capture(recipe)
        self.show()
        self.select("End", index=1)

        # Alt+Return: the editor shows the whole text, without the stamp, in the
        # list's place and has the keyboard focus.
        self.key("alt+Return")
        def shown_editor():
            editor = self.editor()
            return editor if editor.get("visible") else None
        editor = self.wait_for(shown_editor, "the editor shown")
        self.assertEqual(editor["text"], windows_text(recipe))
        self.assertFalse(self.list_state()["visible"], "the list is hidden")
        self.assertTrue(self.focused_class().lower().startswith("richedit"), self.focus())
        self.window_shot("preview")

        # Texts copied meanwhile still reach the (hidden) list; the editor keeps its text.
        self.capture("copied during the preview")
        self.assertEqual(self.editor()["text"], windows_text(recipe))

        # Escape hides the window, also in the preview; the hot key brings it back
        # in the same state.
        self.key("Escape")
        self.wait_for(lambda: not self.main_window()["visible"], "the window hidden by Escape")
        self.focus_other_app()
        self.show()
        self.assertTrue(self.editor()["visible"], "still the preview")
        self.assertFalse(self.list_state()["visible"])
        self.assertTrue(self.focused_class().lower().startswith("richedit"), self.focus())

        # Alt+Return again: back to the list, with the focus and the same selection.
        self.key("alt+Return")
        self.wait_for(lambda: self.list_state().get("visible"), "the list shown again")
        self.assertFalse(self.editor()["visible"])
        self.assertEqual(self.focused_class(), "ListBox")
        self.assertEqual(self.selected(), 1)

    def test_find_steps_through_matches_ignoring_case(self):
        self.start_quorvel()
        self.start_other_app()
        for text in ("apple pie recipe", "Banana bread", "Pineapple salsa", "GRÜNE ÄPFEL, 2 kg"):
            self.capture(text)
        self.show()

        def find(text):
            """Ctrl+F, the text entered in the prompt, Return."""
            self.key("ctrl+f")
            prompt = self.requester(wait_ms=5000)
            self.assertTrue(prompt["found"], prompt)
            self.assertEqual((prompt["title"], prompt["message"], prompt["text"]), ("find", "", ""),
                             "an empty prompt, the last search not offered")
            self.assertEqual(self.requester_set(text)["rc"], 0)
            self.assertEqual(self.requester_press("return")["rc"], 0)
            self.wait_for(lambda: not self.requester()["found"], "the prompt closed")
            self.wait_for_front("quorvel back in front after the prompt")

        # Ctrl+F starts at the top, whatever is selected.
        self.select("End", index=3)
        find("APP")
        self.wait_for(lambda: self.selected() == 0, "the first match (apple)")

        # F3 steps down to the next match, Shift+F3 back up.
        self.key("F3")
        self.wait_for(lambda: self.selected() == 2, "the next match (Pineapple)")
        self.key("shift+F3")
        self.wait_for(lambda: self.selected() == 0, "the previous match (apple)")
        # Not wrapping, letter case beyond ASCII, finding in the preview and a
        # cancelled prompt: tests/app/find_test.cpp, which also runs under Wine.

    def test_hot_key_from_behind_then_close_answered_no_then_yes(self):
        app = self.start_quorvel()
        self.start_other_app()
        for text in ("Quarterly report.pdf", "Meeting moved to Thursday", "ssh deploy@10.0.0.7"):
            self.capture(text)
        self.show()
        self.select("Home", "Down", index=1)
        self.key("alt+Return")
        self.wait_for(lambda: self.editor().get("visible"), "the preview")
        lines = self.list_items()

        # Another program comes in front; the hot key brings Quorvel back to the
        # front, shown as it was.
        self.hot_key_from_behind()
        # NOTE: Wine moves the Windows foreground but leaves the X keyboard focus on
        # the other program (Windows gives the focus too); the user clicks the window.
        self.activate_x_window(harness.QUORVEL_TITLE)
        self.wait_for_front("the window in front with the keyboard focus")
        self.assertEqual(self.editor()["text"], "Meeting moved to Thursday")
        self.assertTrue(self.editor()["visible"])
        state = self.list_state()
        self.assertEqual((state["items"], state["selected"]), (lines, 1))

        # Closing asks; No leaves the window, the history, the selection and the
        # preview as they were, and the keys keep working.
        self.key("alt+F4")
        box = self.msgbox(wait_ms=5000)
        self.assertTrue(box["found"], box)
        self.assertEqual((box["title"], box["text"]), ("Really exit?", "Are you sure you wish to exit?"))
        self.assertEqual(self.press_msgbox("no")["rc"], 0)
        self.wait_for(lambda: not self.msgbox()["found"], "the question answered")
        self.wait_for_front("quorvel in front after No")
        self.assertTrue(app.running())
        self.assertTrue(self.editor()["visible"])
        self.assertEqual(self.editor()["text"], "Meeting moved to Thursday")
        state = self.list_state()
        self.assertEqual((state["items"], state["selected"], state["visible"]), (lines, 1, False))
        self.key("alt+Return")
        self.wait_for(lambda: self.list_state().get("visible"), "the list after the preview")

        # Yes ends the program with exit code 0; the clipboard keeps its text.
        self.key("alt+F4")
        box = self.msgbox(wait_ms=5000)
        self.assertTrue(box["found"], box)
        self.assertEqual(box["owner_hwnd"], self.main_window()["hwnd"], "the shown window owns it")
        self.assertEqual(self.press_msgbox("yes")["rc"], 0)
        self.assertEqual(app.wait(15), 0)
        self.assertEqual(self.quorvel_windows()["count"], 0)
        self.assertEqual(self.windows_clipboard(), "ssh deploy@10.0.0.7")


if __name__ == "__main__":
    harness.main()
