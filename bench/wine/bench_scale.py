"""Memory and large histories of quorvel.exe under Wine, each next to its baseline
in the same run (bench_wine.py runs these after its own measures):

- memory per entry: the resident set of quorvel.exe before and after 10,000
  distinct 100-character texts went through the clipboard, against the same
  number of texts it already holds, and against a plain list box of the driver's
  own holding the same number of 125-character lines (a text and its stamp);
- a history of 10^3, 10^4 and 10^5 entries (quorvel_counted): capture latency at
  each size against the same at one entry, the heaps by kind, and find across
  10^5 entries (Ctrl+F answered, and F3) against a find that meets its match at
  once;
- a text of 50 million characters (100 MB in UTF-16): how much the process grew
  right after the capture and once another program set a small text (a reader
  that does not give Wine's copy of the clipboard data back holds it until
  then), its peak, and the heaps by kind (quorvel_counted).

Resident sets are VmRSS of the Wine process in /proc/<pid>/status: Wine's
GetProcessMemoryInfo answers no private-bytes figure on Linux, so the Linux side's
count of resident pages is the whole-process measure. Heap figures are the
counted variant's HeapWalk over every heap of the process.
"""

import os
import statistics
import time

TEXT_CHARS = 100       # each entry of the memory and size measures
LINE_CHARS = 125       # its list line: the text and the 25-character stamp
HUGE_CHARS = 50000000  # 100 MB in UTF-16
NEEDLE = "qv needle 7f3a"


def status_kb(pid, field):
    """A field of /proc/<pid>/status in kB (VmRSS, VmHWM, RssAnon ...)."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise SystemExit("bench-wine: no %s for pid %d" % (field, pid))


def resident(pid, settle=0.5):
    """VmRSS in bytes once the program had a moment to finish what it was doing."""
    time.sleep(settle)
    return status_kb(pid, "VmRSS") * 1024


def wait_for_file(path, seconds):
    deadline = time.monotonic() + seconds
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise SystemExit("bench-wine: %s did not appear" % path)
        time.sleep(0.01)


def mark(path):
    with open(path, "w", encoding="ascii") as f:
        f.write("mark\n")


class ScaleBench:
    """The measures of this module, on the desktop and programs of a bench_wine.Bench."""

    def __init__(self, bench):
        self.bench = bench
        self.quick = bench.quick

    def list_box_alone(self, lines):
        """The driver's own list box with the given number of lines: the driver's
        resident set before and after, read here while it waits."""
        bench = self.bench
        process, out = bench.driver_start("listbox", lines, LINE_CHARS)
        wait_for_file(out + ".ready", 60)
        before = resident(process.pid, 0.2)
        mark(out + ".go")
        wait_for_file(out + ".added", 120)
        after = resident(process.pid)
        mark(out + ".end")
        result = bench.driver_finish(process, out, 60)
        return {"rss_before": before, "rss_after": after, **result}

    def memory(self):
        """Memory per entry of quorvel.exe, twice (the texts that it holds already
        only in the first run), each run with the list box of the driver's own."""
        bench = self.bench
        entries = 2000 if self.quick else 10000
        runs = []
        for run in range(1 if self.quick else 2):
            bench.driver("set", 16, "bench memory start %d" % run)
            process = bench.start_quorvel("quorvel.exe")
            time.sleep(1.0)  # start-up done, the first capture in
            row = {"entries": entries, "rss_start": resident(process.pid)}
            row["new"] = bench.driver("feed", entries, "bench memory new %d" % run, TEXT_CHARS, 0,
                                      "count", timeout=300)
            row["rss_new"] = resident(process.pid, 1.0)
            if run == 0:
                # Texts it holds already: four of them in turn, each moved to the end.
                tag = "bench memory known"
                bench.driver("feed", 4, tag, TEXT_CHARS, 4, "render")
                row["rss_known_start"] = resident(process.pid, 1.0)
                row["known"] = bench.driver("feed", entries, tag, TEXT_CHARS, 4, "render",
                                            timeout=300)
                row["rss_known"] = resident(process.pid, 1.0)
            bench.stop(process)
            row["list_box"] = self.list_box_alone(entries)
            runs.append(row)
        self.bench.results["memory"] = runs

    def timed_latency(self, changes, tag):
        """Capture latency of new texts, and the time the counted Quorvel spent in
        its clipboard reads and list additions meanwhile."""
        bench = self.bench
        before = bench.driver("stamps")
        latency = bench.driver("latency", changes, tag, "stamp", 1)
        after = bench.driver("stamps")
        spent = {key: after[key] - before[key]
                 for key in ("list_adds", "list_add_us", "clipboard_reads", "clipboard_read_us")}
        return {"latency": latency, "spent": spent}

    def sizes(self):
        """quorvel_counted at 10^3, 10^4 and 10^5 entries of 100 characters."""
        bench, h = self.bench, self.bench.helpers
        sizes = (1000, 10000) if self.quick else (1000, 10000, 100000)
        changes = 30 if self.quick else 100
        first = "bench sizes first"
        bench.driver("set", len(first), first)
        process = bench.start_quorvel("quorvel_counted")
        time.sleep(1.0)
        rows = [{"entries": 1, "heap": bench.driver("heap"), "rss": resident(process.pid),
                 **self.timed_latency(changes, "bench sizes at 1")}]
        count = rows[0]["latency"]["done"] + 1
        for size in sizes:
            started = time.monotonic()
            fill = bench.driver("feed", size - count, "bench sizes %d" % size, TEXT_CHARS, 0,
                                "counted", timeout=900)
            count = fill["count_after"]
            rows.append({"entries": count, "fill": fill, "fill_s": time.monotonic() - started,
                         "heap": bench.driver("heap"), "rss": resident(process.pid),
                         **self.timed_latency(changes, "bench sizes at %d" % size)})
            count += rows[-1]["latency"]["done"]
        bench.driver("set", len(NEEDLE), NEEDLE)
        count += 1
        # Shown and in front, as the user calls it up over another program.
        h.start_other_app()
        h.hotkey()
        h.wait_for(lambda: (lambda w: w["visible"] and w["foreground"])(h.main_window()),
                   "the window shown in front", timeout=30)
        finds = {"prompt_all": [], "next_all": [], "next_one": [], "prompt_first": []}

        def prompted(text):
            calls = bench.driver("stamps")["item_count_calls"]
            h.key("ctrl+f")
            result = bench.driver("find", text, timeout=240)
            stamps = bench.driver("stamps")
            result["selected_us"] = stamps["prompt_to_select_us"]
            result["item_count_calls"] = stamps["item_count_calls"] - calls
            return result

        # Each find three times, the kinds in turn; a find that stopped
        # elsewhere would time something else.
        for _ in range(3):
            finds["prompt_all"].append(prompted(NEEDLE.upper()))
            finds["next_all"].append(bench.driver("findnext", 0, timeout=240))
            finds["next_one"].append(bench.driver("findnext", count - 2, timeout=240))
            finds["prompt_first"].append(prompted(first.upper()))
        expected = {"prompt_all": count - 1, "next_all": count - 1, "next_one": count - 1,
                    "prompt_first": 0}
        for name, index in expected.items():
            for find in finds[name]:
                if find["selected"] != index or find["count"] != count:
                    raise SystemExit("bench-wine: find %s selected %d of %d, not %d of %d" % (
                        name, find["selected"], find["count"], index, count))
        finds["heap"] = bench.driver("heap")
        bench.stop(process)
        bench.desktop.stop_all()
        bench.results["sizes"] = {"rows": rows, "finds": finds, "count": count}

    def huge_text(self):
        """A text of 50 million characters: quorvel.exe's resident set, and
        quorvel_counted's resident set and heaps."""
        bench = self.bench
        rows = []
        for name in ("quorvel.exe", "quorvel_counted"):
            counted = name != "quorvel.exe"
            bench.driver("set", 16, "bench huge start")
            process = bench.start_quorvel(name)
            time.sleep(1.0)
            row = {"build": name, "rss_start": resident(process.pid),
                   "hwm_start": status_kb(process.pid, "VmHWM") * 1024}
            if counted:
                row["heap_start"] = bench.driver("heap")
            row["set"] = bench.driver("set", HUGE_CHARS, "bench huge", timeout=300)
            row["rss_captured"] = resident(process.pid, 1.0)
            row["hwm_captured"] = status_kb(process.pid, "VmHWM") * 1024
            if counted:
                row["heap_captured"] = bench.driver("heap")
            bench.driver("set", 16, "bench huge after")
            row["rss_after"] = resident(process.pid, 1.0)
            if counted:
                row["heap_after"] = bench.driver("heap")
            bench.stop(process)
            rows.append(row)
        bench.results["huge"] = rows

    def run(self):
        self.memory()
        self.sizes()
        self.huge_text()


# --- the report -------------------------------------------------------------------

def ms(us):
    return "%.1f" % (us / 1000.0)


def decile(ordered, tenths):
    return ordered[int(tenths / 10.0 * (len(ordered) - 1))]


def per_entry(before, after, entries):
    return (after - before) / float(entries)


def mb(value):
    return "%.1f MB" % (value / 1e6)


def heap_total(heap):
    return heap["runtime_bytes"] + heap["process_bytes"] + heap["other_bytes"]


def report(r):
    """Markdown sections for the results of ScaleBench."""
    lines = []
    add = lines.append
    if "memory" in r:
        add("### Memory per entry (quorvel.exe; VmRSS of its Wine process)")
        add("")
        add("| run | measure | entries | ΔRSS | per entry |")
        add("|--:|---|--:|--:|--:|")
        for number, row in enumerate(r["memory"], 1):
            n = row["entries"]
            new = per_entry(row["rss_start"], row["rss_new"], n)
            box = row["list_box"]
            alone = per_entry(box["rss_before"], box["rss_after"], n)
            add("| %d | %d distinct %d-character texts captured (list %d → %d) | %d | %s | **%.0f B** |" % (
                number, n, TEXT_CHARS, row["new"]["count_before"], row["new"]["count_after"], n,
                mb(row["rss_new"] - row["rss_start"]), new))
            if "known" in row:
                add("| %d | baseline: %d texts it holds already, 4 in turn (list %d → %d) | %d | %s | "
                    "%.0f B |" % (number, n, row["known"]["count_before"], row["known"]["count_after"],
                                  n, mb(row["rss_known"] - row["rss_known_start"]),
                                  per_entry(row["rss_known_start"], row["rss_known"], n)))
            add("| %d | baseline: a plain list box of the driver's own, %d lines of %d characters "
                "(its heap: %.0f B per line) | %d | %s | %.0f B |" % (
                    number, n, LINE_CHARS, per_entry(box["heap_before"], box["heap_after"], n), n,
                    mb(box["rss_after"] - box["rss_before"]), alone))
        add("")
        add("Feeding: %.2f ms per new text (the list polled), %.2f ms per known text "
            "(each rendered on demand)." % (
                r["memory"][0]["new"]["elapsed_us"] / 1000.0 / r["memory"][0]["entries"],
                r["memory"][0]["known"]["elapsed_us"] / 1000.0 / r["memory"][0]["entries"]))
        add("")
    if "sizes" in r:
        sizes = r["sizes"]
        rows = sizes["rows"]
        base = rows[0]
        add("### History of 100-character texts (quorvel_counted)")
        add("")
        add("| entries | fill | capture of a new text: median (p10, p90, max) ms | runtime heap per "
            "entry | process heap per entry | free blocks left in the process heap, per entry | "
            "ΔRSS per entry |")
        add("|--:|--:|--:|--:|--:|--:|--:|")
        for row in rows:
            values = sorted(row["latency"]["latency_us"])
            lat = "%s (%s, %s, %s)" % (ms(statistics.median(values)), ms(decile(values, 1)),
                                       ms(decile(values, 9)), ms(values[-1]))
            if row is base:
                add("| %d (baseline; %d changes) | — | %s | — | — | — | — |" % (
                    row["entries"], len(values), lat))
                continue
            n = row["entries"] - base["entries"]
            fill, heap, start = row["fill"], row["heap"], base["heap"]
            add("| %d | %.0f s (%.2f ms per text) | %s | %.0f B | %.0f B | %.0f B | %.0f B |" % (
                row["entries"], row["fill_s"], fill["elapsed_us"] / 1000.0 / fill["done"], lat,
                per_entry(start["runtime_bytes"], heap["runtime_bytes"], n),
                per_entry(start["process_bytes"], heap["process_bytes"], n),
                per_entry(start["process_free"], heap["process_free"], n),
                per_entry(base["rss"], row["rss"], n)))
        add("")
        add("| entries | clipboard reads | per read, µs | list additions | per addition, µs |")
        add("|--:|--:|--:|--:|--:|")
        for row in rows:
            spent = row["spent"]
            add("| %d | %d | %.0f | %d | %.0f |" % (
                row["entries"], spent["clipboard_reads"],
                spent["clipboard_read_us"] / max(1, spent["clipboard_reads"]), spent["list_adds"],
                spent["list_add_us"] / max(1, spent["list_adds"])))
        top, low = rows[-1]["latency"]["latency_us"], rows[1]["latency"]["latency_us"]
        add("")
        add("Capture at %d entries against %d: %.2f times (medians), %.2f times (p10)." % (
            rows[-1]["entries"], rows[1]["entries"], statistics.median(top) / statistics.median(low),
            decile(sorted(top), 1) / decile(sorted(low), 1)))
        add("")
        finds = sizes["finds"]
        add("| find across %d lines (median of 3, and the range) | seen from outside: until "
            "LB_GETCURSEL moved, ms | inside: from the key's command (F3) or the prompt's answer "
            "(Ctrl+F) to the selection set, ms | questions for the list's count |" % sizes["count"])
        add("|---|--:|--:|--:|")
        labels = (
            ("prompt_all", "Ctrl+F answered (OK), the match on the last line: every line searched"),
            ("next_all", "F3 from line 0 (SendInput), the match on the last line: lines 1 to %d "
             "searched" % (sizes["count"] - 1)),
            ("next_one", "baseline: F3 from the line before the match, one line searched"),
            ("prompt_first", "baseline: Ctrl+F answered, the match on line 0"))
        for name, label in labels:
            outside = [find["find_us"] for find in finds[name]]
            inside = [find["selected_us"] - find.get("command_us", 0) for find in finds[name]]
            add("| %s | %s (%s–%s) | %s (%s–%s) | %d |" % (
                label, ms(statistics.median(outside)), ms(min(outside)), ms(max(outside)),
                ms(statistics.median(inside)), ms(min(inside)), ms(max(inside)),
                finds[name][0]["item_count_calls"]))
        add("")
        add("One question for the list's count (LB_GETCOUNT from the program's own thread) takes "
            "%d ns at %d lines (fastest of five rounds of 2,000)." % (
                finds["heap"]["item_count_ns"], sizes["count"]))
        add("")
    if "huge" in r:
        add("### A text of %d characters (%s in UTF-16)" % (HUGE_CHARS, mb(2 * HUGE_CHARS)))
        add("")
        add("| build | ΔRSS right after the capture | ΔRSS once another program set a small text | "
            "ΔVmHWM (peak) | capture from CloseClipboard |")
        add("|---|--:|--:|--:|--:|")
        utf16 = 2.0 * HUGE_CHARS
        for row in r["huge"]:
            captured = row["rss_captured"] - row["rss_start"]
            after = row["rss_after"] - row["rss_start"]
            peak = row["hwm_captured"] - row["hwm_start"]
            add("| %s | %s (%.2f×) | %s (%.2f×) | %s (%.2f×) | %s ms |" % (
                row["build"], mb(captured), captured / utf16, mb(after), after / utf16, mb(peak),
                peak / utf16, ms(row["set"]["capture_after_close_us"])))
        counted = [row for row in r["huge"] if "heap_start" in row]
        if counted:
            row = counted[0]
            add("")
            add("| quorvel_counted heaps (bytes in allocated blocks) | C runtime (the program's "
                "indexes and buffers) | process heap (stored texts, list box, clipboard data) | all heaps |")
            add("|---|--:|--:|--:|")
            for label, key in (("growth right after the capture", "heap_captured"),
                               ("growth once another program set a small text", "heap_after")):
                heap, start = row[key], row["heap_start"]
                grown = heap_total(heap) - heap_total(start)
                runtime = heap["runtime_bytes"] - start["runtime_bytes"]
                process = heap["process_bytes"] - start["process_bytes"]
                add("| %s | %s (%.2f×) | %s (%.2f×) | %s (%.2f×) |" % (
                    label, mb(runtime), runtime / utf16, mb(process), process / utf16, mb(grown),
                    grown / utf16))
        add("")
    return lines
