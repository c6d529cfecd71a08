"""Checks the end-to-end harness itself against its own helper programs: windows
found and focused, keys from X and from SendInput reaching the focused Wine
window, the clipboard in both directions, message box and input requester
answered from outside, screenshots, and programs stopped by pid."""

import os

import harness


class HarnessSmoke(harness.QuorvelTestCase):
    def test_keys_reach_only_the_focused_wine_window(self):
        self.start_other_app("first")
        self.start_other_app("second")  # now focused
        state = self.other_window("second")
        self.assertTrue(state["visible"] and state["foreground"], state)
        focus = self.desktop.probe("focus", title="second", cls=harness.OTHER_APP_CLASS)
        self.assertEqual(focus["focus_class"], "Edit")

        self.type_ascii("abc")
        self.key("Return")
        self.wait_for(lambda: self.other_text("second") == "abc\r\n", "typed text in the focused window")
        self.assertEqual(self.other_text("first"), "")

        self.focus_other_app("first")
        self.send_input("shift+x", "y")
        self.wait_for(lambda: self.other_text("first") == "Xy", "SendInput text in the focused window")
        self.assertEqual(self.other_text("second"), "abc\r\n")

    def test_clipboard_round_trips_between_x_and_windows(self):
        text = "Grüße ß Ä 日本 😀\nzweite Zeile"
        self.set_clipboard(text)  # waits until a Windows program reads it
        self.assertEqual(self.windows_clipboard(), text.replace("\n", "\r\n"))

        back = "Windows → X ✓ 😀"
        self.assertEqual(self.set_windows_clipboard(back)["rc"], 0)
        self.wait_for(lambda: self.x_clipboard() == back, "the X clipboard to follow Windows")

    def test_message_box_answered_from_outside(self):
        for button, code in (("yes", 6), ("no", 7)):
            with self.subTest(button=button):
                app = self.start_other_app("asker", "--message-box", "Are you sure you wish to exit?",
                                           focus=False)
                box = self.msgbox(wait_ms=5000)
                self.assertTrue(box["found"], box)
                self.assertEqual(box["text"], "Are you sure you wish to exit?")
                self.assertEqual(box["title"], "other app")
                self.assertEqual(self.press_msgbox(button)["rc"], 0)
                self.assertEqual(app.wait(10), code)

    def test_input_requester_answered_from_outside(self):
        result = os.path.join(self.desktop.workdir, "answer.txt")
        cases = (("ok", "Grüße 日本", "Grüße 日本"), ("return", "typed", "typed"),
                 ("escape", "typed", ""), ("close", "typed", ""))
        for how, typed, expected in cases:
            with self.subTest(how=how):
                if os.path.exists(result):
                    os.remove(result)
                app = self.start_other_app("finder", "--input-box", "--result", result, focus=False)
                dialog = self.requester(wait_ms=5000)
                self.assertTrue(dialog["found"], dialog)
                shown = (dialog["title"], dialog["message"], dialog["text"])
                self.assertEqual(shown, ("find", "Look for:", ""))
                self.assertEqual(self.requester_set(typed)["rc"], 0)
                self.assertEqual(self.requester()["text"], typed)
                self.assertEqual(self.requester_press(how)["rc"], 0)
                self.assertEqual(app.wait(10), 0)
                with open(result, encoding="utf-8") as f:
                    self.assertEqual(f.read(), expected)

    def test_hotkey_reaches_a_hidden_program(self):
        listener = self.desktop.start(harness.Config.other_app, "--title", "listener",
                                      "--hotkey", "--hidden")
        self.wait_for(lambda: self.other_window("listener")["found"], "the hidden listener")
        self.start_other_app()
        self.hotkey()
        self.wait_for(lambda: self.other_text("listener") == "hotkey 1", "the first hot key")
        self.hotkey()
        self.wait_for(lambda: self.other_text("listener") == "hotkey 2", "the second hot key")
        self.assertTrue(listener.running())
        self.assertEqual(self.other_text("other app"), "", "the hot key must not be typed")

    def test_screenshot_and_stop_by_pid(self):
        app = self.start_other_app("doomed")
        shot = self.screenshot("with-window")
        with open(shot, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
        app.stop()
        self.assertFalse(app.running())
        self.wait_for(lambda: not self.other_window("doomed")["found"],
                      "the stopped program's window to go")

    def test_quorvel_starts_hidden(self):
        self.start_quorvel()  # skipped until quorvel.exe exists
        state = self.main_window()
        self.assertFalse(state["visible"], state)


if __name__ == "__main__":
    harness.main()
