"""End-to-end harness: drives quorvel.exe under Wine from outside, as a user would.

Everything runs on the Wine desktop that ``scripts/wine-env.sh start BUILD`` made for one
build folder (ctest's ``wine`` fixture does that). Standard library only. A scenario is a
method of a ``harness.QuorvelTestCase`` subclass, and the file ends with ``harness.main()``:

    app = self.start_quorvel()            # hidden at start; stopped by pid after the test
    self.start_other_app()                # focused: the hot key needs a focused Wine window
    self.capture("hello")                 # X clipboard, then the entry at the list's bottom
    self.hotkey()                         # Alt+`
    self.wait_for(lambda: self.main_window()["foreground"], "shown")
    self.key("Return")                    # xdotool key; send_input(chord) is SendInput

Run one file by hand (``--own-desktop`` starts and stops a desktop when no fixture did):

    python3 tests/e2e/test_smoke.py --build-dir build/windows \\
        --probe build/windows/tests/e2e/probe.exe --other-app build/windows/tests/e2e/other_app.exe \\
        [--quorvel build/windows/app/quorvel.exe] [--own-desktop] [unittest options]

or from the environment: QUORVEL_BUILD_DIR, QUORVEL_EXE, QUORVEL_PROBE, QUORVEL_OTHER_APP,
QUORVEL_CLIP_SOURCE, QUORVEL_HOSTILE, QUORVEL_PLANTED_DLL. A benchmark makes
``Session(Desktop(build_dir, workdir))`` itself. The looks from outside (main_window,
list_state, editor, focus, msgbox, requester, quorvel_windows, ...) return the probe's JSON
as dicts (about 0.15 s each; ``probe.exe help`` lists the commands). set_clipboard waits until
Windows sees the text (X "\\n" arrives as "\\r\\n"); wait_for fails the test on timeout unless
fail=False. Each test gets an empty work folder (BUILD/e2e-runs/<test id>/) that keeps its
programs' logs, probe outputs and screenshots. Wine output always goes to files, never to a
pipe read until EOF.
"""

import argparse
import datetime
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

QUORVEL_TITLE = "quorvel"
QUORVEL_CLASS = "WindowClass_0"
OTHER_APP_CLASS = "QuorvelOtherApp"
SCRIPTS = os.path.normpath(
    os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))


class Config:
    """Paths of the build folder and the programs, from main() or the environment."""

    build_dir = os.environ.get("QUORVEL_BUILD_DIR", "")
    quorvel = os.environ.get("QUORVEL_EXE", "")
    probe = os.environ.get("QUORVEL_PROBE", "")
    other_app = os.environ.get("QUORVEL_OTHER_APP", "")
    clip_source = os.environ.get("QUORVEL_CLIP_SOURCE", "")
    hostile = os.environ.get("QUORVEL_HOSTILE", "")
    planted_dll = os.environ.get("QUORVEL_PLANTED_DLL", "")


def windows_path(path):
    """A Unix path as Wine programs see it (Z: is the Unix root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_wine_env(build_dir):
    """The variables scripts/wine-env.sh wrote for the build folder."""
    path = os.path.join(build_dir, "wine", "env")
    if not os.path.exists(path):
        raise RuntimeError("no Wine desktop for %s: run scripts/wine-env.sh start %s "
                           "(or pass --own-desktop)" % (build_dir, build_dir))
    env = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("export ") and "=" in line:
                name, value = line[len("export "):].split("=", 1)
                env[name] = value.strip('"')
    return env


class WineProcess:
    """A Windows program started under scripts/wine-run, its output in a file."""

    def __init__(self, desktop, exe, args, name):
        self.name = name
        self.log = os.path.join(desktop.workdir, name + ".log")
        self._log_file = open(self.log, "wb")
        self._popen = subprocess.Popen(
            [os.path.join(SCRIPTS, "wine-run"), exe] + list(args),
            stdin=subprocess.DEVNULL, stdout=self._log_file, stderr=subprocess.STDOUT,
            env=desktop.env)
        self.pid = self._popen.pid  # wine-run and wine exec, so this is the program itself

    def running(self):
        return self._popen.poll() is None

    @property
    def exit_code(self):
        return self._popen.poll()

    def wait(self, timeout):
        """The exit code, or None if it is still running after timeout seconds."""
        try:
            return self._popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self, timeout=5):
        """Ends the program by its pid (TERM, then KILL) and closes its log."""
        if self._popen.poll() is None:
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.kill(self.pid, sig)
                except ProcessLookupError:
                    break
                if self.wait(timeout) is not None:
                    break
        self._log_file.close()


class Desktop:
    """The Wine desktop of one build folder and the tools that act on it."""

    def __init__(self, build_dir, workdir):
        self.build_dir = os.path.abspath(build_dir)
        self.workdir = workdir
        self.env = dict(os.environ)
        self.env.update(read_wine_env(self.build_dir))
        self.env["QUORVEL_BUILD_DIR"] = self.build_dir
        self.display = self.env["DISPLAY"]
        self._processes = []
        self._xclips = []
        self._probe_count = 0

    # Programs ---------------------------------------------------------------

    def start(self, exe, *args, name=None):
        name = name or "%s-%d" % (os.path.splitext(os.path.basename(exe))[0], len(self._processes))
        process = WineProcess(self, exe, args, name)
        self._processes.append(process)
        return process

    def stop_all(self):
        """Stops, by pid and newest first, every program and xclip this desktop started."""
        for process in reversed(self._processes):
            process.stop()
        for xclip in self._xclips:
            if xclip.poll() is None:
                xclip.kill()
                xclip.wait()

    # probe.exe --------------------------------------------------------------

    def probe(self, command, *args, wait_ms=None, timeout=20, **options):
        """Runs probe.exe COMMAND; options title=.., cls=.., child=.., text=.., file=..
        become --title/--class/... The parsed JSON, plus "rc" (0 found/done, 1 not)."""
        if not Config.probe:
            raise RuntimeError("no probe.exe given (--probe or QUORVEL_PROBE)")
        self._probe_count += 1
        out = os.path.join(self.workdir, "probe-%03d.json" % self._probe_count)
        argv = [os.path.join(SCRIPTS, "wine-run"), Config.probe, "--out", windows_path(out)]
        if wait_ms:
            argv += ["--wait", str(int(wait_ms))]
        for name, value in options.items():
            if value is not None:
                argv += ["--" + ("class" if name == "cls" else name), str(value)]
        argv += [command] + [str(a) for a in args]
        with open(out + ".log", "wb") as log:
            rc = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                env=self.env, timeout=timeout).returncode
        if rc == 2:
            raise RuntimeError("probe rejected its command line: %s" % argv[3:])
        result = {}
        if os.path.exists(out):
            with open(out, encoding="ascii") as f:
                result = json.load(f)
        result["rc"] = rc
        return result

    def text_file(self, text):
        """A UTF-8 file holding text, for probe's --file."""
        self._probe_count += 1
        path = os.path.join(self.workdir, "text-%03d.txt" % self._probe_count)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        return path

    # X side -----------------------------------------------------------------

    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=15)

    def set_x_clipboard(self, text):
        # NOTE: xclip forks to serve the selection unless -quiet keeps it in the
        # foreground; it exits by itself when another client takes the selection.
        xclip = subprocess.Popen(["xclip", "-selection", "clipboard", "-quiet"], env=self.env,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        xclip.stdin.write(text.encode("utf-8"))
        xclip.stdin.close()
        self._xclips.append(xclip)

    def reap_x_clipboards(self):
        """Forgets the xclips that ended (another client took the selection)."""
        self._xclips = [x for x in self._xclips if x.poll() is None]

    def x_clipboard(self):
        r = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=10)
        return r.stdout.decode("utf-8", errors="replace") if r.returncode == 0 else None

    def x_icons(self, title):
        """The icons of the shown X window with exactly this title, from its
        _NET_WM_ICON property: [(width, height, [ARGB, ...])]; [] if it has none."""
        found = self.xdotool("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$")
        icons = []
        for window in found.stdout.split()[:1]:
            r = subprocess.run(["xprop", "-id", window, "-notype", "-f", "_NET_WM_ICON", "32c",
                                "_NET_WM_ICON"], env=self.env, stdin=subprocess.DEVNULL,
                               capture_output=True, text=True, timeout=10)
            if "=" not in r.stdout:
                break
            values = [int(v) for v in r.stdout.split("=", 1)[1].split(",")]
            while len(values) >= 2:
                width, height = values[0], values[1]
                icons.append((width, height, values[2:2 + width * height]))
                values = values[2 + width * height:]
        return icons

    def screenshot(self, name):
        path = os.path.join(self.workdir, name if name.endswith(".png") else name + ".png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], env=self.env,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
        return path


def _check(condition, message):
    """Fails the scenario (or ends a benchmark) with message unless condition holds."""
    if not condition:
        raise AssertionError(message)


# The capture stamp at the end of a list line.
STAMP = re.compile(r" «\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [AP]M»$")
# A whole list line: the entry's text, a blank, then «yyyy-mm-dd hh:mm:ss AM|PM».
LINE = re.compile(r"(?P<text>.*) «(?P<stamp>\d{4}-\d\d-\d\d (?:0[1-9]|1[0-2]):[0-5]\d:[0-5]\d [AP]M)»",
                  re.DOTALL)


def parse_line(line):
    """(text, stamp as a datetime) of a list line; fails on anything else, an hour
    outside 01..12 of the 12-hour clock included."""
    match = LINE.fullmatch(line)
    _check(match, "not a list line: %r" % line)
    return match["text"], datetime.datetime.strptime(match["stamp"], "%Y-%m-%d %I:%M:%S %p")


def windows_text(text):
    """The text as a Windows program reads it from the X clipboard."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


class Session:
    """What a scenario or a benchmark does with quorvel.exe on one Desktop: start programs,
    look from outside, press keys, wait. A failed wait or check raises AssertionError,
    which fails a test and ends a benchmark."""

    def __init__(self, desktop):
        self.desktop = desktop

    # Waiting ----------------------------------------------------------------

    def wait_for(self, predicate, what, timeout=10.0, interval=0.1, fail=True):
        """Calls predicate until it returns something truthy, and returns that. After
        timeout seconds fails the test, naming what was awaited and the last value seen
        (or, with fail=False, returns that last value)."""
        end = time.monotonic() + timeout
        while True:
            last = predicate()
            if last or time.monotonic() >= end:
                break
            time.sleep(interval)
        if not last and fail:
            _check(False, "timed out after %.1f s waiting for %s (last: %r)" % (timeout, what, last))
        return last

    def texts(self):
        """The list's lines without their stamps."""
        return [STAMP.sub("", line) for line in self.list_items() or []]

    def capture(self, text):
        """Copies text as an X program would and waits for it at the bottom of the
        list; returns its list line."""
        self.set_clipboard(text)
        expected = windows_text(text)

        def last_line():
            items = self.list_items() or []
            return items[-1] if items and parse_line(items[-1])[0] == expected else None
        return self.wait_for(last_line, "%r captured at the bottom" % text)

    def start_with_clipboard(self, text):
        """Starts quorvel.exe with text on the clipboard and waits for it to be the one
        entry, selected. Returns its line and the local clock read just before the
        start and just after the capture."""
        self.set_clipboard(text)
        before = self.local_now()
        self.start_quorvel()
        self.wait_for(lambda: self.list_state().get("count") == 1, "the start-up text")
        after = self.local_now()
        state = self.list_state()
        _check(state["selected"] == 0, "the first entry is selected: %r" % (state,))
        return state["items"][0], before, after

    @staticmethod
    def read_log(process):
        with open(process.log, encoding="utf-8", errors="replace") as f:
            return f.read()

    @staticmethod
    def settle(seconds=0.5):
        time.sleep(seconds)

    # Programs ---------------------------------------------------------------

    def start_quorvel(self, exe=None):
        """Starts quorvel.exe (or a copy of it at exe) and waits for its hidden window."""
        if not Config.quorvel:
            raise unittest.SkipTest("quorvel.exe was not built")
        # A window left by an earlier run would be mistaken for ours.
        self.wait_for(lambda: not self.main_window()["found"], "no quorvel window left from before")
        app = self.desktop.start(exe or Config.quorvel, name="quorvel")
        found = self.desktop.probe("window", title=QUORVEL_TITLE, cls=QUORVEL_CLASS, wait_ms=15000,
                                   timeout=30)
        _check(found.get("found"),
               "quorvel.exe showed no window (running: %s, log: %s)" % (app.running(), app.log))
        return app

    def start_other_app(self, title="other app", *args, focus=True):
        process = self.desktop.start(Config.other_app, "--title", title, *args,
                                     name="other_app-" + title.replace(" ", "_"))
        found = self.desktop.probe("window", title=title, cls=OTHER_APP_CLASS, wait_ms=15000, timeout=30)
        _check(found.get("found"), "other_app.exe showed no window (log: %s)" % process.log)
        if focus:
            self.focus_other_app(title)
        return process

    def hot_key_from_behind(self):
        """With Quorvel shown, another program comes in front; the hot key then brings
        Quorvel back to the front, still shown."""
        self.focus_other_app()
        window = self.main_window()
        _check(window["visible"] and not window["foreground"], "shown behind: %r" % (window,))
        self.hotkey()
        self.wait_for(lambda: self.main_window()["foreground"], "the window brought to the front")
        _check(self.main_window()["visible"], "still shown in front")

    def focus_other_app(self, title="other app"):
        """Gives the other application the X keyboard focus and waits until Windows
        reports it in the foreground."""
        self.activate_x_window(title)
        self.wait_for(lambda: self.other_window(title).get("foreground"),
                      "%r in the Windows foreground" % title, timeout=5)

    def other_window(self, title="other app"):
        """probe's window state of the other application with that title."""
        return self.desktop.probe("window", title=title, cls=OTHER_APP_CLASS)

    def other_text(self, title="other app"):
        """The text of the other application's edit field (what keys typed into it)."""
        return self.desktop.probe("control", title=title, cls=OTHER_APP_CLASS, child="Edit").get("text")

    def other_keys(self, title="other app"):
        """The virtual-key codes of the key presses (WM_KEYDOWN, WM_SYSKEYDOWN) that
        the other application received, in order."""
        log = self.desktop.probe("control", title=title, cls=OTHER_APP_CLASS, child="Static")
        return [int(code) for code in log.get("text", "").split()]

    def activate_x_window(self, title):
        """Activates the visible X window with exactly this title through the window
        manager, as a click would, and waits for the X focus.
        NOTE: SetForegroundWindow from another Wine process moves the Windows foreground
        but not the X keyboard focus; the window manager's activation moves both."""
        pattern = "^" + re.escape(title) + "$"
        seen = []

        def focused():
            self.desktop.xdotool("search", "--onlyvisible", "--name", pattern,
                                 "windowactivate", "--sync")
            seen.append(self.x_focus_name())
            return seen[-1] == title
        if not self.wait_for(focused, "X focus on %r" % title, timeout=5, interval=0.2, fail=False):
            _check(False, "X focus on %r, not on %r" % (seen[-1], title))

    def x_focus_name(self):
        """The title of the X window with the keyboard focus ("" if it has none)."""
        return self.desktop.xdotool("getwindowfocus", "getwindowname").stdout.strip()

    # Looking from outside ---------------------------------------------------

    def main_window(self, wait_ms=None):
        return self.desktop.probe("window", title=QUORVEL_TITLE, cls=QUORVEL_CLASS, wait_ms=wait_ms)

    def list_state(self):
        return self.desktop.probe("list", title=QUORVEL_TITLE, cls=QUORVEL_CLASS)

    def list_items(self):
        return self.list_state().get("items")

    def editor(self):
        return self.desktop.probe("editor", title=QUORVEL_TITLE, cls=QUORVEL_CLASS)

    def focus(self):
        return self.desktop.probe("focus", title=QUORVEL_TITLE, cls=QUORVEL_CLASS)

    def focused_class(self):
        return self.focus().get("focus_class", "")

    def msgbox(self, wait_ms=None):
        return self.desktop.probe("msgbox", wait_ms=wait_ms)

    def press_msgbox(self, button, wait_ms=3000):
        return self.desktop.probe("msgbox-press", button, wait_ms=wait_ms)

    def requester(self, wait_ms=None):
        return self.desktop.probe("requester", wait_ms=wait_ms)

    def requester_set(self, text, wait_ms=3000):
        return self.desktop.probe("requester-set", wait_ms=wait_ms, file=self.desktop.text_file(text))

    def requester_press(self, how, wait_ms=3000):
        return self.desktop.probe("requester-press", how, wait_ms=wait_ms)

    def quorvel_windows(self):
        return self.desktop.probe("windows", title=QUORVEL_TITLE, cls=QUORVEL_CLASS)

    def local_now(self):
        """The local date and time that the programs of the prefix read (GetLocalTime)."""
        return datetime.datetime.strptime(self.desktop.probe("now")["local"], "%Y-%m-%d %H:%M:%S")

    def windows_clipboard(self):
        r = self.desktop.probe("clip-get")
        return r.get("text") if r.get("available") else None

    def set_windows_clipboard(self, text):
        result = self.desktop.probe("clip-set", file=self.desktop.text_file(text))
        _check(result.get("ok"), "the probe could not set the clipboard: %r" % (result,))
        return result

    def clip_source(self, *args, name="clip_source"):
        """Starts clip_source.exe (see there) as another program writing the clipboard."""
        if not Config.clip_source:
            raise unittest.SkipTest("clip_source.exe was not built")
        return self.desktop.start(Config.clip_source, *[str(a) for a in args], name=name)

    def send_input(self, *chords):
        return self.desktop.probe("keys", *chords)

    # Keys and the X side ----------------------------------------------------

    def key(self, *chords):
        r = self.desktop.xdotool("key", "--delay", "40", *chords)
        _check(r.returncode == 0, r.stderr)

    def hotkey(self):
        self.key("alt+grave")

    def type_ascii(self, text):
        _check(all(32 <= ord(c) < 127 for c in text), "type_ascii takes ASCII only")
        r = self.desktop.xdotool("type", "--delay", "30", text)
        _check(r.returncode == 0, r.stderr)

    def set_clipboard(self, text, wait=True):
        """Sets the X clipboard, as another X program would; with wait, returns once a
        Windows program reads the same text (with X "\\n" as "\\r\\n")."""
        self.desktop.set_x_clipboard(text)
        if wait:
            expected = text.replace("\r\n", "\n").replace("\n", "\r\n")
            self.wait_for(lambda: self.windows_clipboard() == expected,
                          "clipboard text %r" % text, timeout=5)


class QuorvelTestCase(unittest.TestCase, Session):
    """Base class of the scenarios: one Desktop per test, everything started stopped after."""

    def setUp(self):
        if not Config.build_dir:
            raise RuntimeError("no build folder given (--build-dir or QUORVEL_BUILD_DIR)")
        workdir = os.path.join(os.path.abspath(Config.build_dir), "e2e-runs", self.id())
        shutil.rmtree(workdir, ignore_errors=True)
        os.makedirs(workdir)
        Session.__init__(self, Desktop(Config.build_dir, workdir))
        self.addCleanup(self.desktop.stop_all)


def main():
    """Parses the harness's options, then runs unittest on the rest of the command line."""
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--build-dir", default=Config.build_dir)
    parser.add_argument("--quorvel", default=Config.quorvel)
    parser.add_argument("--probe", default=Config.probe)
    parser.add_argument("--other-app", default=Config.other_app)
    parser.add_argument("--clip-source", default=Config.clip_source)
    parser.add_argument("--hostile", default=Config.hostile)
    parser.add_argument("--planted-dll", default=Config.planted_dll)
    parser.add_argument("--own-desktop", action="store_true")
    options, rest = parser.parse_known_args()
    Config.build_dir = os.path.abspath(options.build_dir) if options.build_dir else ""
    Config.quorvel = os.path.abspath(options.quorvel) if options.quorvel else ""
    Config.probe = os.path.abspath(options.probe) if options.probe else ""
    Config.other_app = os.path.abspath(options.other_app) if options.other_app else ""
    Config.clip_source = os.path.abspath(options.clip_source) if options.clip_source else ""
    Config.hostile = os.path.abspath(options.hostile) if options.hostile else ""
    Config.planted_dll = os.path.abspath(options.planted_dll) if options.planted_dll else ""
    if options.own_desktop:
        env_sh = os.path.join(SCRIPTS, "wine-env.sh")
        with open(os.path.join(Config.build_dir, "e2e-desktop.log"), "wb") as log:
            subprocess.run([env_sh, "start", Config.build_dir], stdin=subprocess.DEVNULL,
                           stdout=log, stderr=subprocess.STDOUT, check=True)
    try:
        program = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    finally:
        if options.own_desktop:
            subprocess.run([os.path.join(SCRIPTS, "wine-env.sh"), "stop", Config.build_dir],
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    sys.exit(0 if program.result.wasSuccessful() else 1)
