"""Content that its source marks as not for clipboard histories never reaches
the list, whichever marker it carries; unmarked content and the cloud-only
marker are recorded as usual. A marker that cannot be read as allowing the
recording counts as private."""

import harness


class Privacy(harness.QuorvelTestCase):
    def write(self, *args):
        source = self.clip_source(*args)
        self.assertEqual(source.wait(20), 0, "clip_source %s failed (log: %s)" % (args, source.log))

    def captured(self, text, what):
        self.wait_for(lambda: self.texts() and self.texts()[-1] == text, what)

    def test_marked_texts_are_never_recorded(self):
        self.start_quorvel()
        self.set_windows_clipboard("before")
        self.captured("before", "the first text")
        cases = [
            ("ExcludeClipboardContentFromMonitorProcessing", "00", True),
            ("Clipboard Viewer Ignore", "", True),
            ("CanIncludeInClipboardHistory", "00000000", True),
            ("CanIncludeInClipboardHistory", "01000000", False),
            # Too short to say "may be recorded": private, whatever it holds.
            ("CanIncludeInClipboardHistory", "00", True),
            ("CanIncludeInClipboardHistory", "010101", True),
            ("CanUploadToCloudClipboard", "00000000", False),
        ]
        for i, (marker, data, secret) in enumerate(cases):
            with self.subTest(marker=marker, data=data):
                text = "pa55word %d" % i
                self.write("marked", marker, data or "00", text)
                if not secret:
                    self.captured(text, "%s=%s recorded" % (marker, data))
                # A later plain text shows the program has looked at the clipboard since.
                self.set_windows_clipboard("after %d" % i)
                self.captured("after %d" % i, "the text after %s" % marker)
                self.assertEqual(text in self.texts(), not secret, self.texts())
        # The history and the list still agree: every text once, in order.
        texts = self.texts()
        self.assertEqual(len(texts), len(set(texts)), texts)

    def test_appending_to_marked_content_copies_the_entry_alone(self):
        self.set_windows_clipboard("")  # a text an earlier test left would be captured first
        self.start_quorvel()
        self.start_other_app()
        self.set_windows_clipboard("entry")
        self.captured("entry", "the entry")
        self.write("marked", "ExcludeClipboardContentFromMonitorProcessing", "00", "secret")
        self.wait_for(lambda: self.windows_clipboard() == "secret", "the marked text on the clipboard")
        self.hotkey()
        self.wait_for(lambda: self.main_window()["foreground"], "the window in front")
        self.wait_for(lambda: self.list_state().get("selected") == 0, "the entry selected")
        self.key("shift+Return")
        self.wait_for(lambda: self.windows_clipboard() == "entry", "the entry alone on the clipboard")
        self.settle(0.5)
        self.assertEqual(self.texts(), ["entry"])


if __name__ == "__main__":
    harness.main()
