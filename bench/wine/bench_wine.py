"""Measures quorvel.exe under Wine, each figure side by side with its baseline in
the same run, and prints Markdown tables. scripts/bench-wine.sh builds the
programs, starts the Wine desktop of the build folder and runs this; by hand:

    python3 bench/wine/bench_wine.py --build-dir build/bench-wine [--quick]

Programs of the build folder it uses: app/quorvel.exe (the shipped program),
bench/wine/quorvel_counted.exe, quorvel_every_turn.exe and quorvel_no_capture.exe
(the same sources with a turn counter; the second reads the clipboard on every
turn, the third has no capture step: the floor of the idle cost), bench_driver.exe
(the other programs), and probe.exe / other_app.exe of the end-to-end tests.
CPU shares are in per cent of one core, from utime + stime in /proc/<pid>/stat.
Memory per entry, histories of 10^3 to 10^5 entries and a 100 MB text are
measured by bench_scale.py, on the same desktop and programs.
"""

import argparse
import json
import math
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import harness  # noqa: E402  (the end-to-end harness: desktop, programs, probe, keys)
import bench_scale  # noqa: E402  (memory, large histories, a 100 MB text)

KB = 1024
TEN_MB = 10 * 1024 * 1024
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


# --- processes of the desktop ----------------------------------------------------

def prefix_processes(prefix):
    """pid -> name of every process whose environment names this Wine prefix
    (the Wine programs, the server, and the X server and window manager that
    wine-env.sh started with it)."""
    wanted = b"WINEPREFIX=" + prefix.encode()
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if wanted not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/comm" % entry) as f:
                found[int(entry)] = f.read().strip()
        except OSError:
            continue
    return found


def cpu_ticks(pid):
    """utime + stime of a process (all its threads), or None once it is gone."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return int(fields[11]) + int(fields[12])


def machine_ticks():
    """(busy, total) jiffies of the whole machine."""
    with open("/proc/stat") as f:
        values = [int(v) for v in f.readline().split()[1:]]
    idle = values[3] + values[4]
    return sum(values) - idle, sum(values)


class Sample:
    def __init__(self, prefix):
        self.processes = prefix_processes(prefix)
        self.ticks = {pid: cpu_ticks(pid) for pid in self.processes}
        self.machine = machine_ticks()
        self.wall = time.monotonic()


def cpu_shares(before, after, quorvel_pid, skip_pids):
    """Per cent of one core over the interval: quorvel, wineserver, the rest of the
    desktop (other Wine programs, X server, window manager), and the machine busy."""
    seconds = after.wall - before.wall
    shares = {"quorvel": None, "wineserver": 0.0, "rest": 0.0}
    for pid, name in after.processes.items():
        start, end = before.ticks.get(pid), after.ticks.get(pid)
        if start is None or end is None or pid in skip_pids:
            continue
        share = 100.0 * (end - start) / CLOCK_TICKS / seconds
        if pid == quorvel_pid:
            shares["quorvel"] = share
        elif name.startswith("wineserver"):
            shares["wineserver"] += share
        else:
            shares["rest"] += share
    busy = after.machine[0] - before.machine[0]
    total = after.machine[1] - before.machine[1]
    shares["machine"] = 100.0 * busy / total if total else 0.0
    shares["seconds"] = seconds
    return shares


# --- the benchmark ----------------------------------------------------------------

class Bench:
    def __init__(self, build_dir, quick):
        self.build = os.path.abspath(build_dir)
        self.quick = quick
        self.workdir = os.path.join(self.build, "bench-wine")
        shutil.rmtree(self.workdir, ignore_errors=True)
        os.makedirs(self.workdir)
        harness.Config.build_dir = self.build
        harness.Config.probe = self.path("tests/e2e/probe.exe")
        harness.Config.other_app = self.path("tests/e2e/other_app.exe")
        self.desktop = harness.Desktop(self.build, self.workdir)
        self.prefix = self.desktop.env["WINEPREFIX"]
        self.helpers = harness.Session(self.desktop)
        self.exes = {
            "quorvel.exe": self.path("app/quorvel.exe"),
            "quorvel_counted": self.path("bench/wine/quorvel_counted.exe"),
            "quorvel_every_turn": self.path("bench/wine/quorvel_every_turn.exe"),
            "quorvel_no_capture": self.path("bench/wine/quorvel_no_capture.exe"),
        }
        self.driver_exe = self.path("bench/wine/bench_driver.exe")
        self.calls = 0
        self.results = {}

    def path(self, relative):
        path = os.path.join(self.build, relative)
        if not os.path.exists(path):
            raise SystemExit("bench-wine: %s is missing (build the bench_wine target)" % path)
        return path

    # Programs ---------------------------------------------------------------

    def driver_start(self, *args):
        self.calls += 1
        name = "driver-%03d-%s" % (self.calls, args[0])
        out = os.path.join(self.workdir, name + ".json")
        process = self.desktop.start(self.driver_exe, "--out", harness.windows_path(out),
                                     *[str(a) for a in args], name=name)
        return process, out

    def driver_finish(self, process, out, timeout):
        code = process.wait(timeout)
        process.stop()
        if code is None:
            raise SystemExit("bench-wine: %s did not finish in %d s" % (out, timeout))
        with open(out, encoding="ascii") as f:
            result = json.load(f)
        if not result.get("ok"):
            raise SystemExit("bench-wine: driver failed: %s (%s)" % (result, out))
        return result

    def driver(self, *args, timeout=180):
        process, out = self.driver_start(*args)
        return self.driver_finish(process, out, timeout)

    def start_quorvel(self, name):
        # A window left by an earlier one would be taken for the new one's, and
        # would hold the hot key.
        self.helpers.wait_for(lambda: not self.helpers.main_window()["found"],
                              "no quorvel window left from before")
        process = self.desktop.start(self.exes[name], name=name)
        found = self.desktop.probe("window", title=harness.QUORVEL_TITLE, cls=harness.QUORVEL_CLASS,
                                   wait_ms=15000, timeout=30)
        if not found.get("found"):
            raise SystemExit("bench-wine: %s showed no window (log %s)" % (name, process.log))
        return process

    def stop(self, process):
        process.stop()
        self.helpers.wait_for(lambda: not self.helpers.main_window()["found"],
                              "the quorvel window to go")

    def measure_idle(self, seconds, quorvel_pid):
        """Turns (counted builds) and CPU shares over the same interval: the driver
        marks its start with a file and its end with its result."""
        process, out = self.driver_start("turns", int(seconds * 1000))
        begin = out + ".begin"
        deadline = time.monotonic() + 30
        while not os.path.exists(begin) and time.monotonic() < deadline:
            time.sleep(0.005)
        before = Sample(self.prefix)
        while not os.path.exists(out) and time.monotonic() < deadline + seconds:
            time.sleep(0.005)
        time.sleep(0.02)  # the result is written; the driver waits before it ends
        after = Sample(self.prefix)
        result = self.driver_finish(process, out, 30)
        shares = cpu_shares(before, after, quorvel_pid, {process.pid})
        turns = result.get("turns")
        shares["turns_per_s"] = turns / (result["elapsed_us"] / 1e6) if result["counted"] else None
        return shares

    # Measurements -------------------------------------------------------------

    def startup(self):
        runs = 3 if self.quick else 5
        # The first program started on a fresh desktop also waits for Wine's own
        # start-up (the desktop process and its services): timed apart, not mixed in.
        cold = self.driver("startup", self.exes["quorvel.exe"], 1, timeout=120)
        rows = [{"build": "quorvel.exe, first start on the desktop", **cold}]
        for name, count in (("quorvel.exe", runs), ("quorvel_counted", 3)):
            result = self.driver("startup", self.exes[name], count, timeout=120)
            rows.append({"build": name, **result})
        self.results["startup"] = rows
        # quorvel.exe is linked without symbols (-s): its size is the stripped size.
        self.results["size"] = {"stripped": os.path.getsize(self.exes["quorvel.exe"])}

    def idle_interference_latency(self):
        """Per clipboard size and per program: idle turns and CPU, then the
        interference loop, then (1 KB only) capture latency."""
        idle_seconds = 4 if self.quick else 10
        interfere_ms = 2000 if self.quick else 5000
        changes = 50 if self.quick else 200
        idle, interference, latency = [], [], []
        for size, label in ((KB, "1 KB"), (TEN_MB, "10 MB")):
            for name in (None, "quorvel.exe", "quorvel_counted", "quorvel_every_turn",
                         "quorvel_no_capture"):
                tag = "bench idle %s %s" % (label, name or "none")
                if name == "quorvel_no_capture":
                    # Set before it starts: the driver waits for a capture when it
                    # finds a Quorvel list, and this build captures nothing.
                    self.driver("set", size, tag)
                    process = self.start_quorvel(name)
                else:
                    process = self.start_quorvel(name) if name else None
                    self.driver("set", size, tag)
                time.sleep(1.0)  # Wine's own clipboard traffic after a change dies down
                shares = self.measure_idle(idle_seconds, process.pid if process else None)
                idle.append({"clipboard": label, "build": name or "(none)", **shares})
                if name not in ("quorvel_counted", "quorvel_no_capture"):
                    result = self.driver("interfere", interfere_ms)
                    interference.append({"clipboard": label, "monitor": name or "(none)", **result})
                if size == KB and name and name != "quorvel_no_capture":
                    how = "list" if name == "quorvel.exe" else "stamp"
                    result = self.driver("latency", changes, "bench latency " + name, how, 1)
                    latency.append({"build": name, "observed": how, **result})
                if process:
                    self.stop(process)
        self.results["idle"] = idle
        self.results["interference"] = interference
        self.results["latency"] = latency

    def large_history(self):
        entries = 2000 if self.quick else 10000
        h = self.helpers
        rows = {}
        # A small text first: Quorvel captures what the clipboard holds at start.
        self.driver("set", 16, "bench large start")
        process = self.start_quorvel("quorvel_counted")
        # The same measures at one entry first, as the baseline of this session.
        rows["at_start"] = self.driver("latency", 20, "bench at start", "stamp", 1)
        time.sleep(1.0)
        rows["idle_start"] = self.measure_idle(3, process.pid)
        fill = self.driver("fill", entries, "bench fill", timeout=240)
        rows["fill"] = fill
        rows["at_entries"] = self.driver("latency", 20, "bench at size", "stamp", 1)
        rows["big"] = self.driver("set", TEN_MB, "bench big", timeout=180)
        rows["respond_hidden"] = self.driver("respond", 10)
        time.sleep(1.0)
        rows["idle_big"] = self.measure_idle(3, process.pid)
        rows["after_big"] = self.driver("latency", 20, "bench after big", "stamp", 1)
        needle = "bench needle 7f3a"
        rows["needle"] = self.driver("set", len(needle), needle)
        # Shown and in front, as the user calls it up over another program.
        h.start_other_app()
        h.hotkey()
        h.wait_for(lambda: (lambda w: w["visible"] and w["foreground"])(h.main_window()),
                   "the window shown in front", timeout=30)
        rows["respond_shown"] = self.driver("respond", 10)
        # The last filled line (small lines only), then the needle past the 10 MB line.
        h.key("ctrl+f")
        rows["find_small"] = self.driver("find", "BENCH FILL %d" % (entries - 1), timeout=240)
        h.key("ctrl+f")
        rows["find"] = self.driver("find", needle.upper(), timeout=240)
        # A find that stopped elsewhere would time something else.
        expected = (fill["count"] - 1, rows["find"]["count"] - 1)
        found = (rows["find_small"]["selected"], rows["find"]["selected"])
        if found != expected:
            raise SystemExit("bench-wine: finds selected %s, not %s" % (found, expected))
        self.stop(process)
        self.desktop.stop_all()
        rows["entries"] = entries
        self.results["large"] = rows

    def preview(self):
        """Alt+Return on entries that are large, one long line or line breaks only, in
        quorvel.exe. Each entry's text replaces the previous one's in the editor, so a
        row also times dropping the text of the row before."""
        h = self.helpers
        cases = [
            ("200,000 characters in lines of 64", 200000, 64, "words"),
            ("200,000 characters in words without a line break", 200000, 0, "words"),
            ("1,000,000 characters in words without a line break", 1000000, 0, "words"),
            ("1,000,000 digits without a space or line break", 1000000, 0, "digits"),
            ("1,000,000 characters of base64 without a line break", 1000000, 0, "base64"),
            ("100 MB: 50,000,000 characters in lines of 64", 50000000, 64, "words"),
            ("1,000,000 characters, line breaks only", 1000000, 2, "words"),
            ("200,000 characters in lines of 64, again", 200000, 64, "words"),
        ]
        rows = []
        self.driver("set", 16, "bench preview start")
        process = self.start_quorvel("quorvel.exe")
        h.start_other_app()
        h.hotkey()
        h.wait_for(lambda: (lambda w: w["visible"] and w["foreground"])(h.main_window()),
                   "the window shown in front", timeout=30)
        for index, (label, chars, line, filler) in enumerate(cases):
            set_result = self.driver("set", chars, "bench preview %d" % index, line, filler,
                                     timeout=300)
            result = self.driver("preview", timeout=600)
            rows.append({"case": label, "chars": set_result["chars"], **result})
        self.stop(process)
        self.desktop.stop_all()
        self.results["preview"] = rows

    def find_speed(self):
        """The text search's own speed in the Windows build, where the case
        mapping comes from the system: ignoring case against exact."""
        process = self.desktop.start(self.path("bench/wine/find_speed.exe"),
                                     "0.3" if self.quick else "1", name="find_speed")
        if process.wait(300) is None:
            process.stop()
            raise RuntimeError("find_speed.exe did not end within 300 s")
        process.stop()
        with open(process.log, encoding="utf-8", errors="replace") as f:
            line = [l for l in f if l.startswith("{")][-1]
        self.results["find_speed"] = json.loads(line)

    def run(self, only=None):
        started = time.monotonic()
        try:
            if only == "preview":
                self.preview()
            elif only == "find":
                self.find_speed()
            elif only in ("memory", "sizes", "huge"):
                getattr(bench_scale.ScaleBench(self), only)()
            else:
                self.startup()
                self.idle_interference_latency()
                self.large_history()
                self.preview()
                self.find_speed()
                bench_scale.ScaleBench(self).run()
        finally:
            self.desktop.stop_all()
        self.results["seconds"] = time.monotonic() - started
        with open(os.path.join(self.workdir, "results.json"), "w", encoding="utf-8") as f:
            json.dump(self.results, f, indent=1)
        text = report(self.results)
        with open(os.path.join(self.workdir, "results.md"), "w", encoding="utf-8") as f:
            f.write(text)
        print(text)


# --- the report -------------------------------------------------------------------

def ms(us):
    return "%.1f" % (us / 1000.0)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(p / 100.0 * len(ordered)) - 1)]


def pct(value):
    return "—" if value is None else "%.1f" % value


def report_preview(r, add):
    add("### Preview (Alt+Return in quorvel.exe, sent with SendInput by another program)")
    add("")
    add("Each row's text replaces the previous row's in the editor.")
    add("")
    add("| entry | editor visible ms | painted and answering ms | characters in the editor | WM_NULL in the preview, max ms | Alt+Return back to the painted list ms |")
    add("|---|--:|--:|--:|--:|--:|")
    for row in r["preview"]:
        add("| %s | %s | %s | %d | %s | %s |" % (
            row["case"], ms(row["visible_us"]), ms(row["painted_us"]), row["editor_chars"],
            ms(max(row["round_trip_us"])), ms(row["back_us"])))
    add("")


def report_find_speed(r, add):
    f = r["find_speed"]
    gb = lambda rate: "%.2f" % (rate / 1e9)
    add("### Text search in the Windows build (find_speed.exe; 1 MiB of mixed-case text, GB/s)")
    add("")
    add("| search text | exact | ignoring case | ignoring case / exact (time) |")
    add("|---|--:|--:|--:|")
    for key, what in (("absent", "absent"), ("near_end", "near the end")):
        exact, fold = f["exact_" + key], f["ignore_case_" + key]
        add("| %s | %s | %s | %.2f |" % (what, gb(exact), gb(fold), exact / fold))
    add("")
    add("50,000,000 units almost matching 1,000 × \"a\" + \"b\": %.0f ms two bytes a unit, %.0f ms one byte a unit."
        % (f["almost_matching_50m_ms"], f["almost_matching_50m_one_byte_ms"]))
    add("")


def report(r):
    lines = []
    add = lines.append
    if "idle" not in r:
        return report_rest(r, lines)
    add("### Idle (%.0f s per row; CPU in %% of one core)" % r["idle"][0]["seconds"])
    add("")
    add("| clipboard | build | turns/s | quorvel | wineserver | rest of desktop | machine busy (2 cores) |")
    add("|---|---|--:|--:|--:|--:|--:|")
    for row in r["idle"]:
        turns = "—" if row["turns_per_s"] is None else "%.0f" % row["turns_per_s"]
        add("| %s | %s | %s | %s | %s | %s | %s |" % (
            row["clipboard"], row["build"], turns, pct(row["quorvel"]), pct(row["wineserver"]),
            pct(row["rest"]), pct(row["machine"])))
    add("")
    add("### Interference (a second program opens and closes the clipboard in a loop)")
    add("")
    add("| clipboard | monitor running | attempts | failed | failed share |")
    add("|---|---|--:|--:|--:|")
    for row in r["interference"]:
        add("| %s | %s | %d | %d | %.2f %% |" % (
            row["clipboard"], row["monitor"], row["attempts"], row["failures"],
            100.0 * row["failures"] / row["attempts"]))
    add("")
    add("### Capture latency (SetClipboardData to the new list item)")
    add("")
    add("| build | observed by | changes | median ms | p99 ms | max ms |")
    add("|---|---|--:|--:|--:|--:|")
    for row in r["latency"]:
        values = row["latency_us"]
        how = ("LB_GETCOUNT, polled every 1 ms" if row["observed"] == "list"
               else "stamp taken inside at the addition")
        add("| %s | %s | %d | %s | %s | %s |" % (
            row["build"], how, len(values), ms(statistics.median(values)),
            ms(percentile(values, 99)), ms(max(values))))
    add("")
    large = r["large"]
    fill = large["fill"]
    add("### Large history (quorvel_counted)")
    add("")
    add("| measure | value |")
    add("|---|--:|")
    add("| fill %d distinct entries, each once the list took the one before | %.1f s (%.2f ms each) |" % (
        fill["done"], fill["elapsed_us"] / 1e6, fill["elapsed_us"] / 1000.0 / fill["done"]))
    at = large["at_start"]["latency_us"]
    add("| capture of a new text at 1 to 21 entries (20 changes; baseline) | median %s ms, max %s ms |" % (
        ms(statistics.median(at)), ms(max(at))))
    at = large["at_entries"]["latency_us"]
    add("| capture of a new text at %d entries (20 changes) | median %s ms, max %s ms |" % (
        fill["count"], ms(statistics.median(at)), ms(max(at))))
    big = large["big"]
    add("| capture of a 10 MB text (%d characters), from CloseClipboard | %s ms (SetClipboardData itself %s ms) |" % (
        big["chars"], ms(big["capture_after_close_us"]), ms(big["set_us"])))
    hidden = large["respond_hidden"]["round_trip_us"]
    add("| WM_NULL round trip, hidden, 10 MB entry in the list | median %s ms, max %s ms |" % (
        ms(statistics.median(hidden)), ms(max(hidden))))
    idle = large["idle_start"]
    add("| idle at 21 entries (3 s; baseline): turns/s, quorvel CPU, wineserver CPU (machine busy) | %.0f, %.1f %%, %.1f %% (%.0f %%) |" % (
        idle["turns_per_s"], idle["quorvel"], idle["wineserver"], idle["machine"]))
    idle = large["idle_big"]
    add("| idle with the 10 MB text at %d entries (3 s): turns/s, quorvel CPU, wineserver CPU (machine busy) | %.0f, %.1f %%, %.1f %% (%.0f %%) |" % (
        large["big"]["count_after"], idle["turns_per_s"], idle["quorvel"], idle["wineserver"], idle["machine"]))
    after = large["after_big"]["latency_us"]
    add("| capture of a new text after the 10 MB one (20 changes) | median %s ms, max %s ms |" % (
        ms(statistics.median(after)), ms(max(after))))
    shown = large["respond_shown"]["round_trip_us"]
    add("| WM_NULL round trip, window shown | median %s ms, max %s ms |" % (
        ms(statistics.median(shown)), ms(max(shown))))
    find = large["find_small"]
    add("| find (Ctrl+F, OK to selection) of the last filled line, %d lines scanned | %s ms (selected %d) |" % (
        find["selected"] + 1, ms(find["find_us"]), find["selected"]))
    find = large["find"]
    add("| find (Ctrl+F, OK to selection) of the last of %d lines, passing the 10 MB line | %s ms (selected %d) |" % (
        find["count"], ms(find["find_us"]), find["selected"]))
    add("")
    add("### Start-up (process start from a Windows program, CreateProcess)")
    add("")
    add("| build | runs | window 0 found, median (max) ms | loop answers a message, median (max) ms | first turn counted, median ms | hot key free after |")
    add("|---|--:|--:|--:|--:|--:|")
    for row in r["startup"]:
        window, answer, turn = row["window_us"], row["answer_us"], row["first_turn_us"]
        add("| %s | %d | %s (%s) | %s (%s) | %s | %d |" % (
            row["build"], len(window), ms(statistics.median(window)), ms(max(window)),
            ms(statistics.median(answer)), ms(max(answer)),
            ms(statistics.median(turn)) if turn else "—", row["hot_key_free"]))
    size = r["size"]
    add("")
    add("quorvel.exe (linked stripped): %d bytes." % size["stripped"])
    add("")
    return report_rest(r, lines)


def report_rest(r, lines):
    """The parts that a run limited with --only may have measured alone, and the run's time."""
    if "preview" in r:
        report_preview(r, lines.append)
    if "find_speed" in r:
        report_find_speed(r, lines.append)
    lines.extend(bench_scale.report(r))
    lines.append("Whole run: %.0f s." % r["seconds"])
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--quick", action="store_true",
                        help="shorter intervals and a smaller history, to try the script")
    parser.add_argument("--only", choices=["preview", "find", "memory", "sizes", "huge"],
                        help="run one measurement alone")
    options = parser.parse_args()
    Bench(options.build_dir, options.quick).run(options.only)


if __name__ == "__main__":
    main()
