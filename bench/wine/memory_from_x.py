"""Memory per entry of quorvel.exe under Wine when the texts come from the X
side, as a user's other Linux programs would copy them: COUNT distinct texts of
100 characters set one after another with xclip, and the growth of the Wine
process's resident set (VmRSS) divided by the entries the list gained.

    python3 bench/wine/memory_from_x.py [--build-dir build/bench-wine] [--count 10000]
                                        [--script latin|cyrillic]

Uses a build folder made by scripts/bench-wine.sh (or the windows preset) and
starts and stops that folder's Wine desktop. About 25 ms per text.
"""

import argparse
import os
import sys
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, HERE)
import harness  # noqa: E402
from bench_scale import resident  # noqa: E402

ALPHABETS = {"latin": "abcdefghijklmnopqrstuvwxyz",
             "cyrillic": "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"}


def count_lines(desktop):
    # Reading 10^4 lines from another process takes a while on a busy machine.
    state = desktop.probe("list", title=harness.QUORVEL_TITLE, cls=harness.QUORVEL_CLASS,
                          timeout=180)
    return len(state.get("items") or [])


def measure(desktop, build, count, alphabet):
    quorvel = desktop.start(os.path.join(build, "app", "quorvel.exe"))
    if desktop.probe("window", title=harness.QUORVEL_TITLE, cls=harness.QUORVEL_CLASS,
                     wait_ms=10000)["rc"] != 0:
        raise SystemExit("memory_from_x: quorvel.exe showed no window")
    desktop.set_x_clipboard("warm-up")
    time.sleep(1)
    lines_before, rss_before = count_lines(desktop), resident(quorvel.pid, settle=1)
    started = time.monotonic()
    for i in range(count):
        desktop.set_x_clipboard((("%08d " % i) + alphabet * 5)[:100])
        time.sleep(0.02)  # xclip serves one text until the next takes the selection
        if i % 50 == 49:
            desktop.reap_x_clipboards()
    lines_after, rss_after = count_lines(desktop), resident(quorvel.pid, settle=2)
    entries = lines_after - lines_before
    print("%d texts set, %d entries added, ΔRSS %.1f MB, %.0f B per entry (%.0f s)" % (
        count, entries, (rss_after - rss_before) / 1e6, (rss_after - rss_before) / max(1, entries),
        time.monotonic() - started))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench-wine"))
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--script", choices=sorted(ALPHABETS), default="latin")
    options = parser.parse_args()
    build = os.path.abspath(options.build_dir)
    workdir = os.path.join(build, "memory-from-x")
    os.makedirs(workdir, exist_ok=True)
    wine_env = os.path.join(ROOT, "scripts", "wine-env.sh")
    subprocess.run(["bash", wine_env, "start", build], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    try:
        harness.Config.probe = os.path.join(build, "tests", "e2e", "probe.exe")
        desktop = harness.Desktop(build, workdir)
        try:
            measure(desktop, build, options.count, ALPHABETS[options.script])
        finally:
            desktop.stop_all()
    finally:
        subprocess.run(["bash", wine_env, "stop", build], check=False)


if __name__ == "__main__":
    main()
