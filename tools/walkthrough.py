#!/usr/bin/env python3
"""Walks through a whole installation under Wine on a virtual display and photographs it.

Every page and dialog is saved, cropped to its window, in build/walkthrough/; the
spooler's printers and drivers and the default printer ("Device") are printed at the end.
Where this host runs no 32-bit code the 64-bit build runs in a 64-bit prefix, else the
shipped dist/VORNAPX in a 32-bit one.

    python3 tools/walkthrough.py
"""

import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT))

from tests.e2e import harness  # noqa: E402
from tests.e2e.harness import WINDOWS_KEY, HarnessError, WineSession, wait_until  # noqa: E402

OUT = ROOT / "build" / "walkthrough"

SELECT_OS = "Select OS (x86/x64)"
DETAIL_SETTING = "Detail Setting (x86/x64)"
SELECT_PORT = "Select Port (x86/x64)"
CREATE_PORT = "Create Port"
ABOUT = "关于 VORNAPX"
APP_TITLE = "VORNAPX"  # message boxes carry the executable's name

IDOK = 1
IDCANCEL = 2
IDC_NEXT = 1009            # Select OS and Detail Setting
IDM_ABOUTBOX = 16          # the page's system-menu item
IDC_CREATE_PORT = 1008     # Select Port
IDC_CONFIGURE_PORT = 1009
IDC_PORT_ROWS = 1021
IDC_INSTALL = 1022
IDC_PROGRESS = 1025
IDC_NEW_PORT = 1008        # Create Port
IDC_CLOSE = 1009
MSGBOX_TEXT_ID = 0xFFFF
LVIS_SELECTED = 2



class Walk:
    def __init__(self, session):
        self.s = session
        self.saved = []

    def shot(self, name, window):
        """Screenshot of the screen cropped to the window (its rect as Windows reports it)."""
        path = OUT / name
        r = window["rect"]
        left, top, right, bottom = (r["left"], r["top"], r["right"], r["bottom"]) if isinstance(r, dict) else r
        # Windows that have just appeared may not have painted yet.
        time.sleep(0.4)
        cmd = ["import", "-window", "root", "-display", f":{self.s.xvfb.display}"]
        if right > left and bottom > top:
            cmd += ["-crop", f"{right - left}x{bottom - top}+{max(left, 0)}+{max(top, 0)}", "+repage"]
        subprocess.run(cmd + [str(path)], check=True, capture_output=True, timeout=60)
        self.saved.append(path)
        print(f"  {path.relative_to(ROOT)}  ({window['text']})")

    def new_window(self, pid, known, what):
        def other():
            new = [w for w in self.s.visible_windows(pid) if w["hwnd"] not in known]
            return new[0] if len(new) == 1 else None
        return wait_until(other, what=what)

    def close_and_wait(self, window, button=None):
        if button is None:
            self.s.probe.call("close", window["hwnd"])
        else:
            self.s.click_button(window["hwnd"], button)
        self.s.wait_gone(window["hwnd"])


def run(session):
    w = Walk(session)
    s = session
    s.set_version("win7")
    # Real Windows has this key; the default printer is stored under it.
    s.create_windows_key()
    program = s.start_program()

    page = s.wait_window(SELECT_OS)
    pid = page["pid"]
    w.shot("01-select-os.png", page)
    s.click_button(page["hwnd"], IDC_NEXT)

    detail = s.wait_window(DETAIL_SETTING, pid=pid)
    w.shot("02-detail-setting.png", detail)
    s.probe.call("syscommand", detail["hwnd"], IDM_ABOUTBOX)
    about = s.wait_window(ABOUT, pid=pid)
    w.shot("03-about.png", about)
    w.close_and_wait(about, IDOK)
    s.click_button(detail["hwnd"], IDC_NEXT)

    port_page = s.wait_window(SELECT_PORT, pid=pid)
    w.shot("04-select-port.png", port_page)
    hwnd = port_page["hwnd"]

    s.click_button(hwnd, IDC_CREATE_PORT)
    create = s.wait_window(CREATE_PORT, pid=pid)
    w.shot("05-create-port.png", create)
    known = {x["hwnd"] for x in s.visible_windows(pid)}
    s.click_button(create["hwnd"], IDC_NEW_PORT)
    # The local monitor's own dialog; its caption follows Wine's UI language.
    add = w.new_window(pid, known, "the monitor's Add Port dialog")
    w.shot("06-add-local-port.png", add)
    w.close_and_wait(add, IDCANCEL)
    w.close_and_wait(create, IDC_CLOSE)

    rows = s.list_view(hwnd, IDC_PORT_ROWS)["rows"]
    selected = [r["texts"][0] for r in rows if r["state"] & LVIS_SELECTED]
    if not selected or not selected[0].startswith("LPT"):
        raise AssertionError(f"expected an LPT port preselected, got {selected}")
    known = {x["hwnd"] for x in s.visible_windows(pid)}
    s.click_button(hwnd, IDC_CONFIGURE_PORT)
    configure = w.new_window(pid, known, "the monitor's Configure LPT Port dialog")
    w.shot("07-configure-lpt-port.png", configure)
    w.close_and_wait(configure)

    s.click_button(hwnd, IDC_INSTALL)
    caught = install_and_catch_progress(w, port_page, pid)
    if not caught:
        print("  08-installing.png skipped: the installation ended before a screenshot could be taken")

    # Completed!, or whatever the program reports, then its exit.
    boxes = []
    deadline = time.monotonic() + 30
    while program.running():
        box = next((x for x in s.visible_windows(pid) if x["text"] == APP_TITLE), None)
        if box is None:
            if time.monotonic() > deadline:
                raise AssertionError("the program did not end")
            time.sleep(0.03)
            continue
        text = next((c["text"] for c in s.children(box["hwnd"]) if c["id"] == MSGBOX_TEXT_ID), "")
        boxes.append(text)
        if len(boxes) == 1:
            w.shot("09-completed.png", box)
        s.click_button(box["hwnd"], IDOK)
        s.wait_gone(box["hwnd"])
    rc = program.wait()
    print(f"message boxes: {boxes}")
    print(f"exit code: {rc}")
    return rc, boxes


def install_and_catch_progress(w, port_page, pid):
    """Photographs the Select Port page while it installs.

    The page's thread answers no messages while it installs, and the probe's window
    queries wait for it, so only X is asked here: the picture is taken during the final
    500 ms pause and kept if the page was still mapped and no box had appeared."""
    s = w.s
    r = port_page["rect"]
    left, top, right, bottom = (r["left"], r["top"], r["right"], r["bottom"]) if isinstance(r, dict) else r
    path = OUT / "08-installing.png"
    time.sleep(0.2)
    subprocess.run(["import", "-window", "root", "-display", f":{s.xvfb.display}",
                    "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", str(path)],
                   check=True, capture_output=True, timeout=60)
    if x_mapped(s, SELECT_PORT) and not x_mapped(s, APP_TITLE):
        w.saved.append(path)
        print(f"  {path.relative_to(ROOT)}  (installing)")
        return True
    path.unlink(missing_ok=True)
    return False


def x_mapped(s, title):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title) + "$"],
                       env=s.env, capture_output=True, text=True, timeout=30)
    return bool(r.stdout.split())


def report_state(s):
    profile_env = "Windows x64" if s.arch == "win64" else "Windows NT x86"
    print("\nspooler printers:")
    for p in s.printers():
        print(f"  {p}")
    print(f"spooler drivers ({profile_env}):")
    for d in s.drivers(profile_env):
        print(f"  {d}")
    device = s.reg("HKCU", WINDOWS_KEY, "Device")
    print(f'HKCU\\{WINDOWS_KEY} "Device": {device.get("text") if device.get("exists") else "(absent)"}')


def main():
    arch, package = harness.runnable_build()
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.glob("*.png"):
        old.unlink()
    print(f"walkthrough: {package / 'VORNAPX.exe'} in a fresh {arch} prefix")
    session = WineSession(arch, codepage=936, name="walkthrough", package=package)
    ok = False
    try:
        rc, boxes = run(session)
        report_state(session)
        ok = rc == 0
    finally:
        session.close(keep=not ok)
        if not ok:
            print(f"kept {session.workdir} for inspection", file=sys.stderr)
    print(f"\n{len(list(OUT.glob('*.png')))} screenshots in {OUT.relative_to(ROOT)}/")
    return 0 if ok else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (HarnessError, AssertionError, harness.ProbeError) as e:
        print(f"walkthrough: {e}", file=sys.stderr)
        sys.exit(1)
