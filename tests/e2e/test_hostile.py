"""A hostile desktop: other programs forge and post messages to every window of quorvel.exe, set
the values it keeps on them, flood and storm the clipboard, mark texts private with well-formed and
malformed markers, hold their clipboard data back, and plant libraries beside a copy of it. After
each attack Quorvel still runs, its list is what it was, and the hot key shows the window within
2 s; its dialogs and the questions that only read still answer other programs."""

import os
import re
import shutil
import subprocess
import time

import harness


# hostile.exe's attacks, in the groups run between two checks (see hostile.cpp); "post:" forges,
# sends, broadcasts and posts the posting message to the thread.
MESSAGE_ATTACKS = [("post:",), ("main:",), ("list:",), ("editor:",), ("posting:", "watch:"),
                   ("props:pointers", "props:numbers", "props:longs")]
# Markers another program sets with a text (format, block in hex, whether the
# text stays out). A "CanIncludeInClipboardHistory" block that says nothing
# readable counts as private, as "not in histories" does; the cloud marker
# says nothing about histories.
# NOTE: Wine hands readers a block of one byte for the one set with no bytes.
INCLUDE = "CanIncludeInClipboardHistory"
PRIVACY_MARKERS = [(INCLUDE, data, True) for data in ("empty", "01", "0000", "010000", "00000000")]
PRIVACY_MARKERS += [("ExcludeClipboardContentFromMonitorProcessing", "00", True),
                    ("Clipboard Viewer Ignore", "00", True), (INCLUDE, "01000000", False),
                    ("CanUploadToCloudClipboard", "00000000", False)]
PLANTED_NAMES = ["dwmapi.dll", "msftedit.dll", "uxtheme.dll"]
IDOK, IDYES, IDNO = 1, 6, 7
FIND_OK = 1000
PLANTED_MARKER = "planted-loaded.txt"
# How long the storm test changes the clipboard, in milliseconds.
STORM_MS = 10000


class Hostile(harness.QuorvelTestCase):
    x_window = None  # Quorvel's X window, once x_mapped found it

    def hostile(self, *attacks):
        if not harness.Config.hostile:
            self.skipTest("hostile.exe was not built")
        process = self.desktop.start(harness.Config.hostile, "run", *attacks,
                                     name="hostile-" + "-".join(a.strip(":") for a in attacks))
        code = process.wait(60)
        self.assertEqual(code, 0, "hostile.exe %s: %s" % (" ".join(attacks), self.read_log(process)))
        print(self.read_log(process), end="")

    def run_source(self, *args, timeout=60):
        source = self.clip_source(*args)
        self.assertEqual(source.wait(timeout), 0, "clip_source %s failed (log: %s)" % (args, source.log))

    def captured(self, text, what, timeout=10):
        self.wait_for(lambda: self.texts()[-1:] == [text], what, timeout=timeout)

    def assert_unharmed(self, app, lines, attack):
        """Still running, the same list, and the hot key shows the window within 2 s
        (then hides it again)."""
        self.assertTrue(app.running(), "%s ended quorvel.exe (exit code %s)" % (attack, app.exit_code))
        self.assertEqual(self.list_items(), lines, "%s changed the list" % attack)
        started = time.monotonic()
        self.hotkey()
        self.wait_for(lambda: self.main_window()["visible"], "the window shown after %s" % attack,
                      timeout=2)
        print("%s: shown %.2f s after the hot key" % (attack, time.monotonic() - started))
        self.hotkey()
        self.wait_for(lambda: not self.main_window()["visible"], "the window hidden after %s" % attack)
        self.assertTrue(app.running())

    def start_with_history(self):
        app = self.start_quorvel()
        self.start_other_app()
        for text in ("first", "second", "third"):
            self.set_windows_clipboard(text)
            self.captured(text, "%r captured" % text)
        return app, self.list_items()

    def test_forged_messages_properties_and_window_longs(self):
        app, lines = self.start_with_history()
        started = time.monotonic()
        for attacks in MESSAGE_ATTACKS:
            with self.subTest(attacks=attacks):
                self.hostile(*attacks)
                self.assert_unharmed(app, lines, " ".join(attacks))

        with self.subTest(attacks="requester:userdata"):
            self.hotkey()
            self.wait_for(lambda: self.main_window()["foreground"], "the window in front")
            self.key("ctrl+f")
            self.assertTrue(self.requester(wait_ms=3000)["found"], "the find prompt")
            self.hostile("requester:userdata")
            self.assertTrue(app.running(), "the attack on the find prompt ended quorvel.exe")
            # The confirmation sent from outside closes the prompt like OK.
            self.wait_for(lambda: not self.requester()["found"], "the find prompt closed")
            self.key("Escape")
            self.wait_for(lambda: not self.main_window()["visible"], "the window hidden")
            self.focus_other_app()
            self.assert_unharmed(app, lines, "requester:userdata")
        print("message attacks and checks: %.1f s" % (time.monotonic() - started))

        # Shut-down still runs cleanly over the properties set from outside.
        self.desktop.probe("close", title=harness.QUORVEL_TITLE, cls=harness.QUORVEL_CLASS)
        self.wait_for(lambda: self.msgbox().get("found"), "the exit question")
        self.press_msgbox("yes")
        self.assertEqual(app.wait(15), 0)

    # What every program may do: answer the dialogs, ask what only reads. --------

    def hostile_run(self, *args):
        """hostile.exe ARGS: its exit code and output."""
        if not harness.Config.hostile:
            self.skipTest("hostile.exe was not built")
        process = self.desktop.start(harness.Config.hostile, *args, name="hostile-" + "-".join(args))
        return process.wait(30), self.read_log(process)

    def answer(self, what, how, button):
        code, log = self.hostile_run("answer", what, how, str(button))
        self.assertEqual(code, 0, "hostile.exe answer %s %s %s: %s" % (what, how, button, log))

    def test_dialogs_answer_clicks_and_commands_from_other_programs(self):
        app, lines = self.start_with_history()

        def ask_exit():
            self.desktop.probe("close", title=harness.QUORVEL_TITLE, cls=harness.QUORVEL_CLASS)
            self.wait_for(lambda: self.msgbox().get("found"), "the exit question")

        for how in ("post-click", "send-click", "post-command"):
            with self.subTest(exit_question=how):
                ask_exit()
                self.answer("box", how, IDNO)
                self.wait_for(lambda: not self.msgbox().get("found"), "No taken (%s)" % how)
                self.settle(0.3)
                self.assertTrue(app.running(), "No (%s) ended quorvel.exe" % how)

        self.hotkey()
        self.wait_for(lambda: self.main_window()["foreground"], "the window in front")
        for how, button in (("post-click", FIND_OK), ("post-close", 0)):
            with self.subTest(find_prompt=how):
                self.key("ctrl+f")
                self.assertTrue(self.requester(wait_ms=3000)["found"], "the find prompt")
                self.answer("prompt", how, button)
                self.wait_for(lambda: not self.requester()["found"], "the prompt answered (%s)" % how)
        self.assertEqual(self.list_items(), lines)

        with self.subTest("a second instance's error box"):
            second = self.desktop.start(harness.Config.quorvel, name="quorvel-second")
            self.wait_for(lambda: self.msgbox().get("text") == "Cannot register hotkey.",
                          "the second instance's error box", timeout=20)
            self.answer("box", "post-click", IDOK)
            self.assertEqual(second.wait(10), 0, "OK clicked: the second instance ends with 0")
            self.assertTrue(app.running())

        ask_exit()
        self.answer("box", "post-click", IDYES)
        self.assertEqual(app.wait(10), 0, "Yes clicked by a post")

    def test_questions_that_only_read_are_answered_to_other_programs(self):
        app, lines = self.start_with_history()
        self.hotkey()
        self.wait_for(lambda: self.main_window()["foreground"], "the window in front")

        # The text on the clipboard at start-up may be an entry before the three.
        last = len(lines) - 1

        def end_selects_the_last():
            self.key("End")
            return self.list_state().get("selected") == last
        self.wait_for(end_selects_the_last, "End to select the last entry")
        self.key("alt+Return")
        self.wait_for(lambda: self.editor().get("visible"), "the preview")
        code, log = self.hostile_run("questions")
        self.assertEqual(code, 0, log)
        answers = {}
        for line in log.splitlines():
            name, *values = line.split()
            answers[name] = [int(v) for v in values]
        width = answers["list_client"][0]
        height = answers["LB_GETITEMHEIGHT"][0]
        self.assertGreater(height, 0, log)
        self.assertEqual(answers["LB_GETCOUNT"], [len(lines)])
        self.assertEqual(answers["LB_GETCURSEL"], [last])
        self.assertEqual(answers["LB_GETCARETINDEX"], [last])
        self.assertEqual(answers["LB_GETSEL"], [0])
        self.assertEqual(answers["LB_GETTEXTLEN"], [len(lines[0])])
        self.assertEqual(answers["LB_GETTOPINDEX"], [0])
        self.assertEqual(answers["LB_GETITEMRECT"][1:], [0, height, width, 2 * height], log)
        self.assertEqual(answers["LB_ITEMFROMPOINT"], [1])
        length = len("third")
        self.assertEqual(answers["WM_GETTEXTLENGTH"], [length])
        start, end = answers["EM_GETSEL"]
        self.assertTrue(0 <= start <= end <= length, "EM_GETSEL %d %d" % (start, end))
        left, top, right, bottom = answers["EM_GETRECT"]
        self.assertTrue(0 <= left < right <= answers["editor_client"][0] and top < bottom,
                        "EM_GETRECT %s" % answers["EM_GETRECT"])
        self.assertEqual(answers["EM_GETLINECOUNT"], [1])
        self.assertEqual(answers["EM_LINEINDEX"], [-1])
        self.assertEqual(answers["EM_LINELENGTH"], [length])
        self.assertEqual(answers["EM_LINEFROMCHAR"], [0])
        self.assertEqual(answers["EM_GETFIRSTVISIBLELINE"], [0])
        # A rich-edit range question whose pointer the system does not copy.
        self.assertEqual(answers["EM_EXGETSEL"], [-7, -7])
        self.assertTrue(app.running())

    def test_clipboard_flood_of_large_texts(self):
        app, lines = self.start_with_history()
        self.run_source("flood", 30, "flood", 200000, timeout=120)
        self.wait_for(lambda: self.texts()[-1:] == ["flood 29" + "x" * (200000 - 8)],
                      "the last large text", timeout=30)
        items = self.list_items()
        self.assertEqual(items[:len(lines)], lines, "the flood changed the earlier lines")
        numbers = [int(re.match(r"flood (\d+)", t).group(1)) for t in self.texts()[len(lines):]]
        self.assertEqual(numbers, sorted(set(numbers)), "captured in order, each once")
        self.assert_unharmed(app, items, "the clipboard flood")
        self.set_windows_clipboard("")  # frees the clipboard of the large text

    def test_privacy_markers_keep_the_text_out(self):
        app, _ = self.start_with_history()
        for i, (marker, data, secret) in enumerate(PRIVACY_MARKERS):
            with self.subTest(marker=marker, data=data):
                text = "pa55word %d" % i
                self.run_source("marked", marker, data, text)
                self.wait_for(lambda: self.windows_clipboard() == text, "the marked text set")
                if not secret:
                    self.captured(text, "%s=%s recorded" % (marker, data))
                # A later plain text shows the program has looked at the clipboard since.
                self.set_windows_clipboard("after %d" % i)
                self.captured("after %d" % i, "the text after %s=%s" % (marker, data))
                self.assertEqual(text in self.texts(), not secret, self.texts())
        texts = self.texts()
        self.assertEqual(len(texts), len(set(texts)), "every text once: %s" % texts)
        self.assert_unharmed(app, self.list_items(), "the privacy markers")

    # Another program's clipboard storm and clipboard owners that stall ------

    def x_mapped(self):
        """Whether Quorvel's window is mapped on the X side: a look that takes
        milliseconds where a probe takes up to a second on a busy Wine server.
        NOTE: a search of the window tree fails (BadWindow) when a window it meets
        is destroyed meanwhile, which a clipboard storm under Wine does many times
        a second: once found, the window is looked at by its id alone."""
        if self.x_window is None:
            found = self.desktop.xdotool("search", "--onlyvisible", "--name",
                                         "^%s$" % harness.QUORVEL_TITLE)
            if found.returncode != 0:
                return False
            self.x_window = found.stdout.split()[0]
            return True
        info = subprocess.run(["xwininfo", "-id", self.x_window], env=self.desktop.env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=15)
        return "Map State: IsViewable" in info.stdout

    def hotkey_shows_in_time(self, what):
        """The hot key shows the window within 2 s, and hides it again."""
        started = time.monotonic()
        self.hotkey()
        self.wait_for(self.x_mapped, "the window shown %s" % what, timeout=2, interval=0.02)
        shown = time.monotonic() - started
        self.assertTrue(self.main_window()["visible"])
        self.hotkey()
        self.wait_for(lambda: not self.x_mapped(), "the window hidden %s" % what, timeout=2,
                      interval=0.02)
        return shown

    def test_clipboard_storm_does_not_bury_the_hot_key(self):
        # NOTE: shortened from the 30 s that was measured once by hand (see
        # docs/performance.md); the storm's rate is the same.
        app, lines = self.start_with_history()
        self.hotkey_shows_in_time("before the storm")  # finds the X window
        storm = self.clip_source("storm", STORM_MS, "storm", name="storm")
        shown = []
        time.sleep(1)
        while storm.running():
            shown.append(self.hotkey_shows_in_time("during the storm"))
            time.sleep(0.5)
        self.assertEqual(storm.wait(30), 0, "the storm: %s" % self.read_log(storm))
        count = int(re.search(r"count (\d+)", self.read_log(storm)).group(1))
        self.assertGreaterEqual(len(shown), STORM_MS // 2000, "the hot key was tried")
        self.captured("storm %d" % (count - 1), "the storm's last text", timeout=10)
        texts = self.texts()
        self.assertEqual(self.list_items()[:len(lines)], lines, "the storm changed the earlier lines")
        numbers = [int(t.split(" ")[1]) for t in texts[len(lines):]]
        print("storm: %s; hot key shown after %s s; %d texts captured" % (
            self.read_log(storm).strip(), " ".join("%.2f" % s for s in shown), len(numbers)))
        self.assertEqual(numbers, sorted(set(numbers)), "captured in copy order, each once")
        self.assert_unharmed(app, self.list_items(), "the clipboard storm")

    def stalled_owner(self, what, how, ms, text):
        """Starts clip_source.exe as an owner that holds back text or marker, and
        returns it once Quorvel has asked it for the data."""
        owner = self.clip_source("render", what, how, ms, text, name="render-%s-%s" % (what, how))
        self.wait_for(lambda: "asked" in self.read_log(owner), "%s owner asked for its %s" % (how, what))
        return owner

    def test_an_owner_that_never_renders_stalls_only_itself(self):
        app, _ = self.start_with_history()
        owner = self.stalled_owner("text", "never", 60000, "never rendered")
        texts = self.texts()
        self.hotkey()
        self.wait_for(lambda: self.main_window()["foreground"], "the window in front", timeout=2)
        # Copying back needs the clipboard: it fails as with a busy clipboard.
        self.key("Home", "Return", "shift+Return")
        self.settle()
        self.assertEqual(self.texts(), texts, "Return on a stalled clipboard")
        self.key("alt+Return")
        self.wait_for(lambda: self.editor().get("text") == texts[0], "the preview of the first entry",
                      timeout=2)
        self.key("alt+Return", "ctrl+f")
        self.assertTrue(self.requester(wait_ms=2000)["found"], "the find prompt")
        self.key("Escape")
        self.wait_for(lambda: not self.requester()["found"], "the find prompt closed")
        self.key("shift+Delete")
        self.wait_for(lambda: self.texts() == texts[1:], "the first entry deleted", timeout=2)
        self.key("alt+Delete")
        self.wait_for(lambda: self.texts() == [], "the history cleared", timeout=2)
        self.key("Escape")
        self.wait_for(lambda: not self.main_window()["visible"], "the window hidden")
        self.focus_other_app()
        self.assertTrue(owner.running(), "the owner ended before the checks were done")
        owner.stop()  # ended from outside, still asked
        self.set_windows_clipboard("after the owner")
        self.captured("after the owner", "the next copy after the owner ended")
        self.assertEqual(self.texts(), ["after the owner"], "the held-back text stays out")
        self.assert_unharmed(app, self.list_items(), "the owner that never rendered")

    def test_owners_that_render_late_never_or_die(self):
        app, lines = self.start_with_history()
        # (held back, how, ms, text, captured once the owner answered or ended)
        cases = [("text", "late", 3000, "rendered late", True),
                 ("marker", "late", 3000, "marked late", False),
                 ("marker", "never", 3000, "marker never rendered", False),
                 ("text", "dies", 0, "owner died", False)]
        for what, how, ms, text, kept in cases:
            with self.subTest(what=what, how=how):
                owner = self.stalled_owner(what, how, ms, text)
                self.hotkey_shows_in_time("while the %s owner holds its %s back" % (how, what))
                self.focus_other_app()
                owner.wait(30)
                self.set_windows_clipboard("after %s %s" % (how, what))
                self.captured("after %s %s" % (how, what), "the next copy after the %s owner" % how)
                self.assertEqual(text in self.texts(), kept, "%r in the history" % text)
                self.assertEqual(self.list_items()[:len(lines)], lines)
                lines = self.list_items()
        self.assert_unharmed(app, lines, "the stalled owners")

    def test_a_library_planted_beside_the_program_is_never_loaded(self):
        if not harness.Config.planted_dll:
            self.skipTest("planted.dll was not built")
        folder = os.path.join(self.desktop.workdir, "planted")
        os.makedirs(folder)
        exe = os.path.join(folder, "quorvel.exe")
        shutil.copy(harness.Config.quorvel or "", exe)
        for name in PLANTED_NAMES:
            shutil.copy(harness.Config.planted_dll, os.path.join(folder, name))
        marker = os.path.join(folder, PLANTED_MARKER)
        # NOTE: like Windows, Wine loads a library named without a path from the
        # program's folder first (the copy took dwmapi.dll and MSFTEDIT.DLL from
        # there; uxtheme.dll was loaded already, from the system folder).
        app = self.start_quorvel(exe=exe)
        self.start_other_app()
        self.set_windows_clipboard("planted")
        self.captured("planted", "a text captured")
        self.hotkey()
        self.wait_for(lambda: self.main_window()["foreground"], "the window in front")
        self.key("alt+Return")
        shown = self.wait_for(lambda: self.editor().get("visible"), "the preview", timeout=5, fail=False)
        if os.path.exists(marker):
            with open(marker, encoding="utf-8", errors="replace") as f:
                self.fail("a planted library was loaded: %s" % f.read())
        self.assertTrue(shown, "the preview was not shown")
        self.assertTrue(app.running())


if __name__ == "__main__":
    harness.main()
