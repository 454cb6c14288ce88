#!/usr/bin/env python3
"""Measures the wizard side by side with a bare dialog program under the same Wine.

Prints, from one run in one fresh prefix on a virtual display:
  (a) start to first page shown: VORNAPX.exe and a bare Win32 dialog program built here by
      the same mingw-w64 compiler (tests/e2e/bench/bare_dialog.cpp -> build/bench/), medians
      over N runs and their ratio;
  (b) the executable's size and its imports;
  (c) "&Next >" on Detail Setting to the Select Port page shown, with 8 ports and with
      10,000 enumerated ports (256 listed): the extra time in ms;
  (d) "&Install" to the end of the Select Port page, minus its 500 ms pause.
Figures only, no thresholds. Where this host runs no 32-bit code the 64-bit build runs in a
64-bit prefix, else the shipped dist/VORNAPX in a 32-bit one.

    python3 tools/benchmark.py [--runs N]
"""

import argparse
import re
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT))

from tests.e2e import harness  # noqa: E402
from tests.e2e.harness import PORTS_KEY, HarnessError, WineSession, pe_machine  # noqa: E402

BENCH_SRC = ROOT / "tests" / "e2e" / "bench" / "bare_dialog.cpp"
BENCH_OUT = ROOT / "build" / "bench"

SELECT_OS = "Select OS (x86/x64)"
DETAIL_SETTING = "Detail Setting (x86/x64)"
SELECT_PORT = "Select Port (x86/x64)"
BARE_TITLE = "Bench Dialog"
APP_TITLE = "VORNAPX"

IDOK = 1
IDC_NEXT = 1009
IDC_EXIT = 1010
IDC_PORT_BACK = 1010
IDC_INSTALL = 1022
MSGBOX_TEXT_ID = 0xFFFF

SIZE_GOAL_KIB = 150
MANY_PORTS = 10_000
PAUSE_MS = 500



def compiler_for(machine):
    return "i686-w64-mingw32" if machine == "i386" else "x86_64-w64-mingw32"


def build_bare(machine):
    """The bare dialog program, built with the wizard's own size options."""
    BENCH_OUT.mkdir(parents=True, exist_ok=True)
    out = BENCH_OUT / f"bare_dialog-{machine}.exe"
    cmd = [compiler_for(machine) + "-g++", "-std=c++17", "-Wall", "-Wextra", "-Werror", "-Os",
           "-ffunction-sections", "-fdata-sections", "-mwindows", "-static", "-static-libgcc",
           "-static-libstdc++", "-s", "-Wl,--gc-sections", "-o", str(out), str(BENCH_SRC)]
    r = subprocess.run(cmd, capture_output=True, text=True, timeout=300)
    if r.returncode != 0:
        raise HarnessError("bare dialog build failed:\n" + r.stderr[-4000:])
    return out


def imports(exe, machine):
    """{dll: [function names]} from the PE import table as objdump prints it."""
    r = subprocess.run([compiler_for(machine) + "-objdump", "-p", str(exe)],
                       capture_output=True, text=True, timeout=60, check=True)
    table, current = {}, None
    for line in r.stdout.splitlines():
        s = line.strip()
        if s.startswith("DLL Name:"):
            current = table.setdefault(s.split(":", 1)[1].strip(), [])
        elif current is not None and re.fullmatch(r"[0-9a-f]+\s+\d+\s+\S+", s):
            current.append(s.split()[-1])  # vma, hint, name
        elif current is not None and s and not s.startswith("vma:"):
            current = None
    return table


def ms(seconds):
    return seconds * 1000.0


def poll_until(check, timeout=30.0):
    """Monotonic time at which check() first holds, polled as fast as the probe answers."""
    deadline = time.monotonic() + timeout
    while True:
        if check():
            return time.monotonic()
        if time.monotonic() > deadline:
            raise AssertionError("timed out")


def visible_title(session, title, pid=None):
    return any(w["text"] == title for w in session.visible_windows(pid))


def end_program(session, program, title):
    hwnd = session.find_visible(title)
    if hwnd:
        session.probe.call("close", hwnd)
    try:
        program.wait(10)
    except AssertionError:
        program.kill()


def start_to_first_page(session, exe, title, cwd):
    program = session.start_program(cwd=cwd, exe=exe)
    shown = poll_until(lambda: visible_title(session, title))
    elapsed = shown - program.started
    end_program(session, program, title)
    return elapsed


def open_detail(session, package):
    program = session.start_program(cwd=package)
    first = session.wait_window(SELECT_OS)
    session.click_button(first["hwnd"], IDC_NEXT)
    detail = session.wait_window(DETAIL_SETTING, pid=first["pid"])
    return program, detail


def next_to_port_page(session, package, runs):
    """Times of "&Next >" to the Select Port page shown, each on a freshly filled page."""
    program, detail = open_detail(session, package)
    times, count = [], None
    for _ in range(runs):
        t0 = time.monotonic()
        session.click_button(detail["hwnd"], IDC_NEXT)
        shown = poll_until(lambda: session.find_visible(SELECT_PORT))
        times.append(shown - t0)
        page = session.find_visible(SELECT_PORT)
        count = session.list_view(page, 1021)["count"]
        session.click_button(page, IDC_PORT_BACK)
        session.wait_gone(page)
    session.click_button(detail["hwnd"], IDC_EXIT)
    program.wait(15)
    return times, count


def install_page_time(session, package):
    """"&Install" to the Select Port page's end; the probe's queries wait while it installs."""
    session.probe.call("regset", "HKCU", r"Software\Wine", "Version", "win7")
    program, detail = open_detail(session, package)
    session.click_button(detail["hwnd"], IDC_NEXT)
    page = session.wait_window(SELECT_PORT)
    t0 = time.monotonic()
    session.click_button(page["hwnd"], IDC_INSTALL)
    ended = poll_until(lambda: session.find_visible(SELECT_PORT) is None)
    boxes = []
    while program.running():
        box = session.find_visible(APP_TITLE)
        if box:
            boxes.append(next((c["text"] for c in session.children(box) if c["id"] == MSGBOX_TEXT_ID), ""))
            session.click_button(box, IDOK)
            session.wait_gone(box)
        time.sleep(0.02)
    program.wait(15)
    return ended - t0, boxes


def enum_ports_times(session, runs=3):
    """How long one port enumeration takes the spooler by itself, asked from the probe."""
    times = []
    for _ in range(runs):
        t0 = time.monotonic()
        session.ports()
        times.append(time.monotonic() - t0)
    return times


def set_many_ports(session, count):
    """count ports in the local monitor's list (LPT1: among them), imported in one regedit run."""
    names = ["COM1:", "FILE:", "LPT1:"] + [f"P{i:05d}" for i in range(count - 3)]
    key = "HKEY_LOCAL_MACHINE\\" + PORTS_KEY
    lines = ["Windows Registry Editor Version 5.00", "", f"[-{key}]", "", f"[{key}]"]
    lines += [f'"{n}"=""' for n in names]
    session.regedit_import("\n".join(lines) + "\n")


def fmt_stats(values):
    return (f"median {ms(statistics.median(values)):7.1f} ms  "
            f"min {ms(min(values)):7.1f}  max {ms(max(values)):7.1f}  (n={len(values)})")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--runs", type=int, default=7, help="runs per start-up figure (default 7)")
    args = ap.parse_args()
    started = time.monotonic()

    arch, package = harness.runnable_build()
    exe = harness.require_program(package)
    machine = pe_machine(exe)
    bare = build_bare(machine)
    print(f"benchmark: {exe.relative_to(ROOT)} ({machine}) in a {arch} prefix, {harness.wine_version()}")

    # (b) needs no Wine.
    size = exe.stat().st_size
    table = imports(exe, machine)
    shipped = ROOT / "dist" / "VORNAPX" / "VORNAPX.exe"

    session = WineSession(arch, codepage=936, name="benchmark", package=package)
    try:
        session.set_version("win7")
        session.create_windows_key()
        # One unmeasured start of each warms Wine's caches for both alike.
        start_to_first_page(session, bare, BARE_TITLE, BENCH_OUT)
        start_to_first_page(session, exe, SELECT_OS, package)
        wizard, baseline = [], []
        for _ in range(args.runs):  # interleaved, so drift hits both
            wizard.append(start_to_first_page(session, exe, SELECT_OS, package))
            baseline.append(start_to_first_page(session, bare, BARE_TITLE, BENCH_OUT))

        few, few_count = next_to_port_page(session, package, args.runs)
        few_enum = enum_ports_times(session)
        install_times = []
        for _ in range(3):
            t, boxes = install_page_time(session, package)
            install_times.append(t)
        set_many_ports(session, MANY_PORTS)
        enumerated = len(session.ports())
        many_enum = enum_ports_times(session)
        many, many_count = next_to_port_page(session, package, args.runs)
    finally:
        session.close()

    print("\n(a) start to first page shown (process start -> visible top-level window)")
    print(f"    VORNAPX.exe     {fmt_stats(wizard)}")
    print(f"    bare dialog     {fmt_stats(baseline)}   [{bare.relative_to(ROOT)}, {bare.stat().st_size} bytes]")
    print(f"    ratio of medians  {statistics.median(wizard) / statistics.median(baseline):.2f}")

    print(f"\n(b) executable size (goal <= {SIZE_GOAL_KIB} KiB)")
    print(f"    {exe.relative_to(ROOT)}: {size} bytes = {size / 1024:.1f} KiB")
    if shipped.is_file() and shipped != exe:
        print(f"    {shipped.relative_to(ROOT)} (shipped, 32-bit): {shipped.stat().st_size} bytes "
              f"= {shipped.stat().st_size / 1024:.1f} KiB")
    print(f"    imports of {exe.name}:")
    for dll, funcs in table.items():
        print(f"      {dll} ({len(funcs)}): {' '.join(sorted(funcs))}")

    print('\n(c) "&Next >" to the Select Port page shown')
    print(f"    {few_count:5d} listed of     8 ports  {fmt_stats(few)}")
    print(f"    {many_count:5d} listed of {enumerated:5d} ports  {fmt_stats(many)}")
    print(f"    extra time  {ms(statistics.median(many) - statistics.median(few)):.1f} ms")
    print(f"    for comparison, the spooler's EnumPortsW alone (probe):")
    print(f"          8 ports  {fmt_stats(few_enum)}")
    print(f"      {enumerated:5d} ports  {fmt_stats(many_enum)}")

    print('\n(d) "&Install" to the end of the Select Port page, minus the 500 ms pause')
    print(f"    {fmt_stats([t - PAUSE_MS / 1000 for t in install_times])}   last boxes: {boxes}")

    print(f"\ntotal {time.monotonic() - started:.0f} s")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (HarnessError, AssertionError, harness.ProbeError) as e:
        print(f"benchmark: {e}", file=sys.stderr)
        sys.exit(1)
