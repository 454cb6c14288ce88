"""The installation through the real pages, checked in the real spooler, registry and files."""

import ntpath
import re
import shutil
import time
import unittest
from collections import namedtuple

from tests.e2e.harness import (default_arch, PORTS_KEY, WINDOWS_KEY, E2ETestCase, Program, loader_for,
                               pe_machine, wait_until)

SELECT_OS = "Select OS (x86/x64)"
DETAIL_SETTING = "Detail Setting (x86/x64)"
SELECT_PORT = "Select Port (x86/x64)"
# Message boxes carry the executable's name.
APP_TITLE = "VORNAPX"
COMPLETED = "Completed!"

IDC_NEXT = 1009  # on Select OS and on Detail Setting
IDC_MODEL_LIST = 1011
IDC_SET_DEFAULT = 1012
IDC_PORT_LIST = 1014
IDC_PORT_ROWS = 1021
IDC_INSTALL = 1022
SERIAL_LISTS = {"baud": 1015, "data": 1016, "flow": 1017, "parity": 1018, "stop": 1019}
IDOK = 1
MSGBOX_TEXT_ID = 0xFFFF
LVIS_SELECTED = 2

Model = namedtuple("Model", "row dll gpd driver plugin")
MODELS = (
    Model(0, "ZR1", "Z101", "ZRT-101", False),
    Model(5, "Z106", "Z106", "ZRT-106", False),  # one stem for both model files
    Model(9, "ZR3", "Z110", "ZRT-110", True),    # first row with the plug-in
    Model(16, "ZR3", "Z117", "ZRT-117", True),   # last row
)

# The files every row needs besides its own two, in copy order.
SHARED_FILES = ("uniDRVui.DLL", "uniDRV.DLL", "UNIDRV.HLP", "UNIRES.DLL", "TTFSUB.GPD",
                "STDNAMES.GPD", "RDRPLUG.ini", "RDRPLUG.dll")

Profile = namedtuple("Profile", "environment folder other")
X86 = Profile("Windows NT x86", "x86", "x64")
X64 = Profile("Windows x64", "x64", "x86")

# The page's start, then the positions the installation sets.
PROGRESS_STEPS = (0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100)
PAUSE_SECONDS = 0.45  # 500 ms; the trace clock is a coarse tick count


def package_files(model):
    return (model.dll + ".DLL", model.gpd + ".GPD") + SHARED_FILES


def dependent_files(model):
    plugin = ["RDRPLUG.ini", "RDRPLUG.dll"] if model.plugin else []
    return ["ttfsub.GPD", "unires.DLL", "stdnames.GPD"] + plugin + [model.dll + ".DLL"]


def registered_files(model):
    return ["uniDRV.DLL", model.gpd + ".GPD", "uniDRVui.DLL", "uniDRV.HLP"] + dependent_files(model)


def profile_of(session):
    # 64-bit Windows takes the x64 driver whatever the program's own bitness.
    return X64 if session.arch == "win64" else X86


WIN9X = ("win95", "win98", "winme")


def printer_creatable(session, version="win7"):
    """Whether Wine's AddPrinterA finds the driver just registered.

    Wine looks the driver up in the caller's own environment: "Windows NT x86" for a 32-bit
    process even on 64-bit Windows (real Windows would find the x64 driver), and
    "Windows 4.0" whenever the version reported is a Windows 9x one."""
    if version in WIN9X:
        return False
    return not (session.arch == "win64" and session.exe_machine == "i386")



def source_folder(package, profile, other=False):
    return package / "Printer Driver" / (profile.other if other else profile.folder)


def find_case_insensitive(folder, name):
    matches = [p for p in folder.iterdir() if p.name.lower() == name.lower()] if folder.is_dir() else []
    return matches[0] if matches else None


# The bar's own trace: every message it gets, with the time. The page's thread answers no
# questions while it installs (the 500 ms pause included) and the page is gone right after,
# so the positions are read from what the bar was told.
PROGRESS_TRACE = "-all,warn+debugstr,+timestamp,trace+progress"
_BAR_MESSAGE = re.compile(r"^(\d+\.\d+):[0-9a-f]+:trace:progress:ProgressWindowProc hwnd ([0-9A-Fa-f]+), "
                          r"msg ([0-9a-f]+), wparam ([0-9a-f]+)")
_BAR_CREATED = re.compile(r":trace:progress:ProgressWindowProc Progress Ctrl creation, hwnd=([0-9A-Fa-f]+)")
PBM_SETPOS = 0x402
WM_DESTROY = 0x0002


def bar_history(log_path):
    """(seconds, position) of every PBM_SETPOS to the last progress bar made, and the time it
    was destroyed (None if it was not)."""
    text = log_path.read_text("utf-8", errors="replace")
    created = _BAR_CREATED.findall(text)
    if not created:
        return [], None
    bar = created[-1]
    settings, destroyed = [], None
    for line in text.splitlines():
        m = _BAR_MESSAGE.match(line)
        if not m or m.group(2) != bar:
            continue
        msg = int(m.group(3), 16)
        if msg == PBM_SETPOS and destroyed is None:
            settings.append((float(m.group(1)), int(m.group(4), 16)))
        elif msg == WM_DESTROY and destroyed is None:
            destroyed = float(m.group(1))
    return settings, destroyed


def start_traced(session, cwd):
    """Starts the package's VORNAPX.exe as the session does, with the progress bar traced."""
    exe = cwd / "VORNAPX.exe"
    env = dict(session.env, WINEDEBUG=PROGRESS_TRACE)
    log = session.workdir / f"wine-{len(session.programs) + 1}.log"
    program = Program(loader_for(session.arch, pe_machine(exe)), exe, cwd, env, log)
    session.programs.append(program)
    return program


Box = namedtuple("Box", "text page_open")


class InstallRun:
    def __init__(self, program, boxes):
        self.program = program
        self.boxes = boxes
        self.progress, self.bar_destroyed = bar_history(program.log_path)


class InstallTest(E2ETestCase):

    # ---- driving the pages

    def install(self, session, model, package, version="win7", port_index=None, serial=None,
                set_default=True):
        """One run from Select OS to the program's exit; every message box is answered with OK."""
        session.set_version(version)
        program = start_traced(session, package)
        first = session.wait_window(SELECT_OS)
        pid = first["pid"]
        session.click_button(first["hwnd"], IDC_NEXT)

        detail = session.wait_window(DETAIL_SETTING, pid=pid)["hwnd"]
        session.select_combo(detail, IDC_MODEL_LIST, model.row)
        self.assertEqual(session.combo(detail, IDC_MODEL_LIST)["cursel"], model.row)
        if port_index is not None:
            session.select_combo(detail, IDC_PORT_LIST, port_index)
        for name, index in (serial or {}).items():
            session.select_combo(detail, SERIAL_LISTS[name], index)
        if not set_default:
            session.click_button(detail, IDC_SET_DEFAULT)
            wait_until(lambda: session.control(detail, IDC_SET_DEFAULT)["check"] == 0,
                       what="Set Default Printer cleared")
        session.click_button(detail, IDC_NEXT)

        page = session.wait_window(SELECT_PORT, pid=pid)["hwnd"]
        rows = session.list_view(page, IDC_PORT_ROWS)["rows"]
        selected = [r["texts"][0] for r in rows if r["state"] & LVIS_SELECTED]
        self.assertEqual(selected, ["LPT1:"], "the preselected port")

        session.click_button(page, IDC_INSTALL)
        boxes = self.answer_boxes(session, program, pid)
        self.assertExits(program)
        return InstallRun(program, boxes)

    def answer_boxes(self, session, program, pid):
        boxes = []
        deadline = time.monotonic() + 30
        while program.running():
            box = next((w for w in session.visible_windows(pid) if w["text"] == APP_TITLE), None)
            if box is None:
                self.assertLess(time.monotonic(), deadline, "the program did not end")
                time.sleep(0.03)
                continue
            text = next((c["text"] for c in session.children(box["hwnd"]) if c["id"] == MSGBOX_TEXT_ID), None)
            boxes.append(Box(text, session.find_visible(SELECT_PORT) is not None))
            self.assertTrue(program.running(), "the program waits for the box")
            session.click_button(box["hwnd"], IDOK)
            session.wait_gone(box["hwnd"])
        return boxes

    # ---- fixtures

    def package_copy(self, session, name):
        dest = session.workdir / name
        shutil.copytree(session.package, dest, symlinks=True)
        return dest

    def clear_driver_files(self, session, profile):
        """Removes what earlier runs copied, so that each run's files are its own."""
        names = {p.name.lower() for p in source_folder(session.package, profile).iterdir()}
        directory = session.unix_path(session.driver_directory(profile.environment))
        for folder in (directory, directory / "3"):
            if folder.is_dir():
                for f in folder.iterdir():
                    if f.name.lower() in names:
                        f.unlink()

    # ---- expectations

    def printer_failure_prefix(self, model):
        return f'The printer "{model.driver}" could not be created on port "LPT1:":\n'

    def assert_boxes(self, session, run, model, completed, set_default=True, version="win7"):
        """The boxes a run that copied and registered everything shows."""
        if printer_creatable(session, version):
            self.assertEqual([b.text for b in run.boxes], [COMPLETED] if completed else [])
            for box in run.boxes:
                self.assertFalse(box.page_open, "Completed! comes after the Select Port page")
            return
        texts = [b.text for b in run.boxes]
        self.assertEqual(len(texts), 1, texts)
        self.assertTrue(texts[0].startswith(self.printer_failure_prefix(model)), texts[0])
        self.assertEqual(texts[0].endswith("\nThe default printer was left unchanged."), set_default, texts[0])

    def assert_files_deployed(self, session, model, package):
        profile = profile_of(session)
        directory_win = session.driver_directory(profile.environment)
        directory = session.unix_path(directory_win)
        source = source_folder(package, profile)
        other = source_folder(session.package, profile, other=True)
        registered = {n.lower() for n in registered_files(model)}
        for name in package_files(model):
            with self.subTest(file=name):
                wanted = (source / name).read_bytes()
                # The stand-ins name their architecture; identical ones could not tell the profiles apart.
                self.assertNotEqual(wanted, (other / name).read_bytes(), "fixture: x86 and x64 differ")
                self.assertIn(f"({profile.folder})".encode(), wanted, "fixture: the stand-in names its arch")
                # Exact letter case: the copy keeps the package's name.
                self.assertEqual((directory / name).read_bytes(), wanted, f"{name} in {directory_win}")
                # The spooler takes into its own folder just the files the driver names.
                copied = find_case_insensitive(directory / "3", name)
                if name.lower() in registered:
                    self.assertIsNotNone(copied, f"{name} in the spooler's version-3 folder")
                    self.assertEqual(copied.read_bytes(), wanted)
                else:
                    self.assertIsNone(copied, f"{name} is not named to the spooler")

    def assert_driver_registered(self, session, model):
        profile = profile_of(session)
        drivers = {d["name"]: d for d in session.drivers(profile.environment)}
        self.assertIn(model.driver, drivers)
        d = drivers[model.driver]
        folder = (session.driver_directory(profile.environment) + "\\3").lower()
        files = {
            "driver_path": "uniDRV.DLL",
            "data_file": model.gpd + ".GPD",
            "config_file": "uniDRVui.DLL",
            "help_file": "uniDRV.HLP",
        }
        for field, name in files.items():
            self.assertEqual(ntpath.basename(d[field]), name, field)
            self.assertEqual(ntpath.dirname(d[field]).lower(), folder, field)
        self.assertEqual([ntpath.basename(p) for p in d["dependent_files"]], dependent_files(model))
        self.assertEqual(d["environment"], profile.environment)
        self.assertEqual(d["default_datatype"], "RAW")
        # The spooler's own record, as it keeps the names it was given.
        key = (r"System\CurrentControlSet\Control\Print\Environments" + "\\" + profile.environment
               + r"\Drivers\Version-3" + "\\" + model.driver)
        self.assertEqual(session.reg("HKLM", key, "Dependent Files")["texts"], dependent_files(model))
        self.assertEqual(session.reg("HKLM", key, "Data File")["text"], model.gpd + ".GPD")

    def assert_printer(self, session, model, port="LPT1:", version="win7"):
        printers = [p for p in session.printers() if p["name"] == model.driver]
        if not printer_creatable(session, version):
            self.assertEqual(printers, [])
            return
        self.assertEqual(len(printers), 1, printers)
        p = printers[0]
        self.assertEqual((p["port"], p["driver"], p["processor"], p["datatype"]),
                         (port, model.driver, "WinPrint", "RAW"))

    def device(self, session):
        value = session.reg("HKCU", WINDOWS_KEY, "Device")
        if not value["exists"]:
            return None
        self.assertEqual(value["type"], 1, "REG_SZ")
        return value["text"]

    def assert_device(self, session, model, port="LPT1:", version="win7"):
        # No printer, no default pointing at it.
        expected = f"{model.driver},winspool,{port}" if printer_creatable(session, version) else None
        self.assertEqual(self.device(session), expected)

    def assert_progress(self, run):
        positions = [p for _, p in run.progress]
        self.assertEqual(positions, list(PROGRESS_STEPS), "each position once, in order, from the page's 0")
        times = dict((p, t) for t, p in run.progress)
        self.assertGreaterEqual(times[100] - times[95], PAUSE_SECONDS, "the pause between 95 and 100")
        self.assertIsNotNone(run.bar_destroyed, "the page closed")
        self.assertLessEqual(times[100], run.bar_destroyed, "100 before the page closes")

    # ---- the tests

    def check_rows(self, arch):
        session = self.session(arch)
        session.create_windows_key()
        profile = profile_of(session)
        package = self.package_copy(session, "package")
        # Without the other architecture's files only the profile's folder can serve.
        shutil.rmtree(source_folder(package, profile, other=True))
        for model in MODELS:
            with self.subTest(row=model.row):
                self.clear_driver_files(session, profile)
                run = self.install(session, model, package)
                self.assert_boxes(session, run, model, completed=True)
                self.assert_progress(run)
                self.assert_files_deployed(session, model, package)
                self.assert_driver_registered(session, model)
                self.assert_printer(session, model)
                self.assert_device(session, model)

    def test_rows_install_on_32_bit_windows(self):
        self.check_rows("win32")

    def test_rows_install_on_64_bit_windows(self):
        self.check_rows("win64")

    def test_completed_box_only_on_the_nt_family(self):
        session = self.session(default_arch())
        session.create_windows_key()
        for version, completed, model in (("winxp", True, MODELS[0]), ("win98", False, MODELS[1])):
            with self.subTest(version=version):
                session.probe.call("regdelete", "HKCU", WINDOWS_KEY, "Device")
                run = self.install(session, model, session.package, version=version)
                self.assert_boxes(session, run, model, completed, version=version)
                self.assert_progress(run)
                self.assert_driver_registered(session, model)
                self.assert_printer(session, model, version=version)
                self.assert_device(session, model, version=version)

    def test_default_printer_needs_the_box_and_the_key(self):
        cases = (
            # (the HKCU Windows key exists, "Set Default Printer" checked)
            (False, True),
            (True, False),
        )
        model = MODELS[0]
        for key_exists, set_default in cases:
            with self.subTest(key=key_exists, box=set_default):
                session = self.session(default_arch())
                if key_exists:
                    session.create_windows_key()
                run = self.install(session, model, session.package, set_default=set_default)
                self.assert_boxes(session, run, model, completed=True, set_default=set_default)
                self.assert_progress(run)
                self.assert_printer(session, model)
                self.assertIsNone(self.device(session))
                if not key_exists:
                    key = session.probe.call("regvalues", "HKCU", WINDOWS_KEY)
                    self.assertIs(key.get("exists"), False, "the program does not make the key")
                session.close()

    def test_com_port_line_settings(self):
        unset = "untouched"
        com_values = ("COM1:", "COM2:", "COM3:", "COM4:")
        cases = (
            # (port list index, serial list indexes to pick, value written, its text)
            (3, {}, "COM1:", "19200,N,8,1,p"),
            (3, {"baud": 4, "parity": 2, "data": 3, "stop": 0, "flow": 0}, "COM1:", "9600,N,8,1, "),
            # "Mark" is stored as "E", like "Even".
            (6, {"baud": 8, "parity": 1, "data": 2, "stop": 2, "flow": 1}, "COM4:", "115200,E,7,2,x"),
            # An LPT entry writes no line settings.
            (1, {"baud": 4, "parity": 2, "data": 3, "stop": 0, "flow": 0}, None, None),
        )
        session = self.session(default_arch())
        session.create_windows_key()
        model = MODELS[0]
        for port_index, serial, name, text in cases:
            with self.subTest(port_index=port_index, serial=serial):
                for value in com_values:
                    session.probe.call("regset", "HKLM", PORTS_KEY, value, unset, session.program_view)
                run = self.install(session, model, session.package, port_index=port_index, serial=serial)
                self.assert_boxes(session, run, model, completed=True)
                self.assert_progress(run)
                # The value keeps the exact text; Wine adds a NUL to the stored bytes.
                stored = {v: session.reg("HKLM", PORTS_KEY, v)["text"] for v in com_values}
                self.assertEqual(stored, {v: text if v == name else unset for v in com_values})
                self.assert_printer(session, model)

    def test_missing_package_files_stop_before_anything_is_installed(self):
        def empty(folder):
            for f in folder.iterdir():
                f.unlink()

        def remove(name):
            return lambda folder: (folder / name).unlink()

        cases = (
            ("empty folder", MODELS[0], empty, list(package_files(MODELS[0]))),
            ("model GPD", MODELS[2], remove("Z110.GPD"), ["Z110.GPD"]),
            ("core file", MODELS[1], remove("UNIRES.DLL"), ["UNIRES.DLL"]),
            # Copied for every row, so needed even where the driver does not name it.
            ("plug-in module", MODELS[0], remove("RDRPLUG.dll"), ["RDRPLUG.dll"]),
        )
        session = self.session(default_arch())
        session.create_windows_key()
        profile = profile_of(session)
        directory = session.unix_path(session.driver_directory(profile.environment))
        all_names = {n.lower() for m in MODELS for n in package_files(m)}
        for label, model, damage, missing in cases:
            with self.subTest(case=label):
                package = self.package_copy(session, label.replace(" ", "-"))
                damage(source_folder(package, profile))
                run = self.install(session, model, package)
                expected = (f'The driver files are missing from the package folder '
                            f'"Printer Driver\\{profile.folder}":' + "".join("\n  " + n for n in missing)
                            + "\nNothing was installed.")
                self.assertEqual(run.boxes, [Box(expected, True)], "one message, over the page")
                self.assertEqual([p for _, p in run.progress], [0], "the bar never moved")
                self.assertNotIn(model.driver, [d["name"] for d in session.drivers(profile.environment)])
                self.assertNotIn(model.driver, [p["name"] for p in session.printers()])
                self.assertIsNone(self.device(session))
                for folder in (directory, directory / "3"):
                    if folder.is_dir():
                        self.assertEqual([f.name for f in folder.iterdir() if f.name.lower() in all_names], [],
                                         f"nothing copied to {folder}")

    def test_second_installation_replaces_changed_files_and_keeps_the_printer(self):
        session = self.session(default_arch())
        session.create_windows_key()
        profile = profile_of(session)
        model = MODELS[2]
        directory = session.unix_path(session.driver_directory(profile.environment))
        for attempt in (1, 2):
            with self.subTest(run=attempt):
                if attempt == 2:
                    (directory / (model.gpd + ".GPD")).write_bytes(b"changed since the first run\n")
                    (directory / "UNIDRV.HLP").unlink()
                run = self.install(session, model, session.package)
                self.assert_boxes(session, run, model, completed=True)
                self.assert_progress(run)
                self.assert_files_deployed(session, model, session.package)
                self.assert_driver_registered(session, model)
                self.assertEqual([d["name"] for d in session.drivers(profile.environment)].count(model.driver), 1)
                self.assert_printer(session, model)
                self.assert_device(session, model)


if __name__ == "__main__":
    unittest.main()
