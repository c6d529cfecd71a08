"""The program as a user meets it: clipboard texts captured with their local time
stamps, the hot key showing and hiding the window over another program, the exit
question, a second copy that cannot get the hot key, and the exe's resources and
icon."""

import os
import re
import struct

import harness
from harness import parse_line

ICO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "app", "quorvel.ico")
ICON_SIDES = [16, 20, 24, 32, 40, 48, 64, 256]

VK_OEM_3 = 0xC0  # the key at scan code 0x29 on the US layout (`)


def buttons(box):
    return [b.replace("&", "") for b in box.get("buttons", [])]


def ico_bitmaps(path):
    """{side: [ARGB per pixel, rows top down]} of the 32-bit bitmap images of an
    .ico (its PNG images left out)."""
    with open(path, "rb") as f:
        data = f.read()
    images = {}
    for i in range(struct.unpack_from("<H", data, 4)[0]):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        image = data[offset:offset + size]
        if image.startswith(b"\x89PNG"):
            continue
        width, double_height, _, bits = struct.unpack_from("<iiHH", image, 4)
        if bits != 32:
            raise AssertionError("a %d-bit image in %s" % (bits, path))
        stride = width * 4
        rows = [image[40 + y * stride:40 + (y + 1) * stride] for y in range(double_height // 2)]
        images[width] = [a << 24 | r << 16 | g << 8 | b
                         for row in reversed(rows) for b, g, r, a in zip(*[iter(row)] * 4)]
    return images


class Program(harness.QuorvelTestCase):
    def setUp(self):
        super().setUp()
        # The clipboard outlives the programs: start each test from an empty text,
        # which is never captured.
        self.set_windows_clipboard("")

    def texts(self):
        return [parse_line(line)[0] for line in self.list_items() or []]

    def capture_timed(self, text):
        """capture(text), and the local clock read just before and just after."""
        before = self.local_now()
        line = self.capture(text)
        return line, before, self.local_now()

    def assert_stamped_between(self, line, before, after):
        stamp = parse_line(line)[1]
        self.assertTrue(before <= stamp <= after,
                        "stamp of %r not between %s and %s" % (line, before, after))

    def show_with_hot_key(self):
        self.hotkey()

        def shown():
            window = self.main_window()
            return window if window["visible"] and window["foreground"] else None
        return self.wait_for(shown, "the window shown in the foreground")

    def hide_with_hot_key(self):
        self.hotkey()
        self.wait_for(lambda: not self.main_window()["visible"], "the window hidden")

    # Capture ------------------------------------------------------------------

    def test_start_up_text_then_new_texts_in_order_with_local_stamps(self):
        # Wine takes each process's time zone from TZ. Far from UTC (+14 h), a stamp
        # read from the UTC clock instead of the local one shows.
        self.desktop.env["TZ"] = "Pacific/Kiritimati"
        line, before, after = self.start_with_clipboard("on the clipboard at start")
        self.assertEqual(self.texts(), ["on the clipboard at start"])
        self.assert_stamped_between(line, before, after)
        self.assertEqual(parse_line(line)[1].date(), after.date(), "stamped with today's local date")

        # Case and non-ASCII text are compared exactly: each is its own entry.
        added = ["alpha", "Alpha", "Grüße 日本 😀", "x y"]
        for text in added:
            line, before, after = self.capture_timed(text)
            self.assert_stamped_between(line, before, after)
        self.assertEqual(self.texts(), ["on the clipboard at start"] + added)
        self.assertEqual(self.list_state()["selected"], 0, "capturing leaves the selection")

    # Hot key --------------------------------------------------------------------

    def test_hot_key_shows_and_hides_the_window_over_another_program(self):
        app = self.start_quorvel()
        self.start_other_app()
        self.assertFalse(self.main_window()["visible"], "hidden at start")

        window = self.show_with_hot_key()
        self.assertTrue(window["zoomed"], window)
        self.assertTrue(window["enabled"], window)
        focus = self.focus()
        self.assertEqual(focus["focus_class"], "ListBox", focus)
        self.wait_for(lambda: self.x_focus_name() == harness.QUORVEL_TITLE,
                      "the keyboard focus on the shown window", timeout=5)

        self.hide_with_hot_key()
        self.settle(0.5)
        self.assertFalse(self.main_window()["visible"], "stays hidden")
        self.assertNotIn(VK_OEM_3, self.other_keys(), "the hot key reached the other program")

        # Shown but behind another program: the hot key brings it to the front,
        # and pressed again hides it.
        self.focus_other_app()
        self.show_with_hot_key()
        self.hot_key_from_behind()
        self.hide_with_hot_key()
        self.assertNotIn(VK_OEM_3, self.other_keys(), "the hot key reached the other program")
        self.assertTrue(app.running())

    # Close request ----------------------------------------------------------------

    def test_close_answered_no_keeps_running_and_nothing_happens_while_asking(self):
        app = self.start_quorvel()
        self.start_other_app()
        self.capture("before")
        self.desktop.probe("close", title=harness.QUORVEL_TITLE, cls=harness.QUORVEL_CLASS)
        box = self.msgbox(wait_ms=5000)
        self.assertTrue(box["found"], box)
        self.assertEqual((box["title"], box["text"], buttons(box)),
                         ("Really exit?", "Are you sure you wish to exit?", ["Yes", "No"]))
        self.assertEqual(box["owner_hwnd"], 0, "a hidden window does not own the question")

        # While the question is open the program neither captures nor toggles.
        self.set_clipboard("set while asking")
        self.send_input("alt+grave")
        self.settle(1.0)
        self.assertEqual(self.texts(), ["before"])
        self.assertFalse(self.main_window()["visible"])

        self.assertEqual(self.press_msgbox("no")["rc"], 0)
        self.wait_for(lambda: not self.msgbox()["found"], "the question closed")
        # The text still on the clipboard is captured now; the hot key pressed
        # during the question has no late effect.
        self.wait_for(lambda: self.texts() == ["before", "set while asking"],
                      "the text set while asking")
        self.settle(0.5)
        self.assertFalse(self.main_window()["visible"])
        self.assertTrue(app.running())
        self.capture("after no")
        # The hot key still works after the question.
        self.focus_other_app()
        self.show_with_hot_key()

    # A second copy ------------------------------------------------------------------

    def test_the_exe_carries_its_version_manifest_and_icon(self):
        if not harness.Config.quorvel:
            self.skipTest("no quorvel.exe given")
        info = self.desktop.probe("resources", file=harness.Config.quorvel)
        self.assertEqual(info["rc"], 0, info)
        self.assertEqual(info["file_version"], [2020, 0, 0, 0])
        self.assertEqual(info["product_version"], [2020, 0, 0, 0])
        self.assertEqual((info["FileVersion"], info["ProductVersion"]), ("2020.0", "2020.0"))
        self.assertEqual(info["FileDescription"], "Clipboard monitor")
        self.assertEqual((info["ProductName"], info["InternalName"]), ("Quorvel", "quorvel"))
        manifest = info["manifest"]
        dependency = re.search(r"<dependentAssembly>.*?</dependentAssembly>", manifest, re.DOTALL)
        self.assertIsNotNone(dependency, manifest)
        for attribute in ('name="Microsoft.Windows.Common-Controls"', 'version="6.0.0.0"',
                          'processorArchitecture="amd64"'):
            self.assertIn(attribute, dependency.group(0))
        self.assertNotIn("dpiAware", manifest)
        self.assertEqual(info["icon_sides"], ICON_SIDES)
        self.assertEqual(info["icon_bits"], [32] * len(ICON_SIDES))
        self.assertEqual(info["icon_png"], [0] * (len(ICON_SIDES) - 1) + [1],
                         "256 pixels as PNG, the smaller sizes as bitmaps")
        self.assertEqual(info["icon_loaded"], [32, 32], "LoadIconW(exe, 1) gives the 32-pixel icon")

    def test_the_window_and_the_find_prompt_show_the_program_icon(self):
        # NOTE: under Wine GetClassLongPtrW(GCLP_HICON) answers 0 for another
        # process's window. What the taskbar shows tells instead: Wine gives the
        # X window the icons of the window's class.
        self.start_quorvel()
        self.start_other_app()
        self.show_with_hot_key()
        self.key("ctrl+f")
        self.assertTrue(self.requester(wait_ms=5000)["found"])
        bitmaps = ico_bitmaps(ICO)
        for title in (harness.QUORVEL_TITLE, "find"):
            icons = self.wait_for(lambda: self.desktop.x_icons(title), "the icons of %r" % title)
            for width, height, pixels in icons:
                self.assertIn(width, bitmaps, "%r shows a %d x %d icon" % (title, width, height))
                wrong = sum(p != q for p, q in zip(pixels, bitmaps[width]))
                self.assertTrue((height, len(pixels), wrong) == (width, width * width, 0),
                                "%r: the %d x %d icon differs from the program's in %d pixels"
                                % (title, width, height, wrong))
        self.assertEqual(self.requester_press("escape")["rc"], 0)

    def test_a_second_copy_cannot_take_the_hot_key_and_ends_with_exit_code_0(self):
        first = self.start_quorvel()
        first_window = self.main_window()
        self.start_other_app()
        second = self.desktop.start(harness.Config.quorvel, name="quorvel-second")
        box = self.msgbox(wait_ms=20000)
        self.assertTrue(box["found"], box)
        self.assertEqual((box["title"], box["text"], buttons(box)),
                         ("error", "Cannot register hotkey.", ["OK"]))
        self.assertNotEqual(box["pid"], first_window["pid"], "the second copy asks")
        self.assertEqual(box["owner_hwnd"], 0)
        windows = self.quorvel_windows()
        self.assertEqual(windows["visible"], [0, 0], "two windows, neither shown")
        # The first copy goes on capturing meanwhile. Its list cannot be told from
        # the second copy's while both windows exist: read it afterwards, and let
        # the stamp show that the capture came before the answer.
        self.set_clipboard("while the second copy complains")
        self.settle(1.0)
        asked = self.local_now()
        self.wait_for(lambda: self.local_now() > asked, "the clock to move on")

        self.assertEqual(self.press_msgbox("ok")["rc"], 0)
        self.assertEqual(second.wait(15), 0)
        windows = self.quorvel_windows()
        self.assertEqual(windows["hwnds"], [first_window["hwnd"]], "only the first copy's window")
        line = self.list_items()[-1]
        self.assertEqual(parse_line(line)[0], "while the second copy complains")
        self.assertLessEqual(parse_line(line)[1], asked, "captured while the error was shown")

        # The first copy keeps the hot key.
        self.focus_other_app()
        self.show_with_hot_key()
        self.hide_with_hot_key()
        self.assertTrue(first.running())
        self.assertNotIn(VK_OEM_3, self.other_keys(), "the hot key reached the other program")


if __name__ == "__main__":
    harness.main()
