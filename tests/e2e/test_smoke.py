"""Checks the end-to-end harness itself against its own helper programs: windows
found and focused, keys from X and from SendInput reaching the focused Wine
window, the clipboard in both directions, screenshots, and programs stopped by
pid. The hot key, message boxes and the find prompt are driven from outside in
the tests of the program itself."""

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
        self.wait_for(lambda: self.desktop.x_clipboard() == back, "the X clipboard to follow Windows")

    def test_screenshot_and_stop_by_pid(self):
        app = self.start_other_app("doomed")
        shot = self.desktop.screenshot("with-window")
        with open(shot, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
        app.stop()
        self.assertFalse(app.running())
        self.wait_for(lambda: not self.other_window("doomed")["found"],
                      "the stopped program's window to go")


if __name__ == "__main__":
    harness.main()
