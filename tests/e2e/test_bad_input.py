"""Awkward surroundings: long and root package paths, odd port names, no ports, a locked
registry key and two programs installing at once."""

import ntpath
import os
import shutil
import subprocess
import time
import unittest

from tests.e2e.harness import (PORTS_KEY, WINDOWS_KEY, E2ETestCase, HarnessError, cache_dir, file_lock,
                               host_runs_i386, loader_for, pe_machine, wait_until)
from tests.e2e.test_install import (APP_TITLE, COMPLETED, DETAIL_SETTING, IDC_INSTALL, IDC_MODEL_LIST,
                                    IDC_NEXT, IDC_PORT_LIST, IDC_PORT_ROWS, IDOK, LVIS_SELECTED, MODELS,
                                    MSGBOX_TEXT_ID, SELECT_OS, SELECT_PORT, default_arch, package_files,
                                    printer_creatable, profile_of, source_folder)

IDC_CONFIGURE_PORT = 1009
IDC_USB_SETUP = 1022
IDC_USB_SETUP_FIXED = 1023
LVIS_FOCUSED = 1
MAX_PATH = 260
REGISTRY_ERROR = "错误：无法设置有关的注册表信息"

STANDINS = {
    IDC_USB_SETUP: r"USB Driver\x64\dpinstx64.exe",
    IDC_USB_SETUP_FIXED: r"USBdriver\x86\dpinst.exe",
}
STANDINS_X86 = {IDC_USB_SETUP: r"USB Driver\x86\dpinstx86.exe"}

# Leaves only read access on an HKLM key; Wine's server checks key security on open.
LOCK_KEY_SOURCE = r"""
#include <windows.h>
#include <aclapi.h>
int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const REGSAM view = argv[2][0] == '3' ? KEY_WOW64_32KEY : 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, WRITE_DAC | view, &key) != ERROR_SUCCESS) return 3;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return 4;
    EXPLICIT_ACCESSA ea{};
    ea.grfAccessPermissions = KEY_READ;
    ea.grfAccessMode = SET_ACCESS;
    ea.grfInheritance = NO_INHERITANCE;
    ea.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    ea.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    ea.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL acl = nullptr;
    if (SetEntriesInAclA(1, &ea, nullptr, &acl) != ERROR_SUCCESS) return 5;
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS ? 0 : 6;
}
"""


def windows_path_length(unix_path):
    # Wine shows a path outside every other drive as Z:\ plus the Unix path.
    return len("Z:") + len(str(unix_path))


def lock_key_tool(bits):
    """A small Windows program that makes an HKLM key read-only; None without a compiler."""
    compiler = "i686-w64-mingw32-g++" if bits == 32 else "x86_64-w64-mingw32-g++"
    out = cache_dir() / f"lockkey{bits}.exe"
    with file_lock(cache_dir() / f"lockkey{bits}.lock"):
        if not out.exists():
            if not shutil.which(compiler):
                return None
            src = cache_dir() / "lockkey.cpp"
            src.write_text(LOCK_KEY_SOURCE)
            tmp = out.with_suffix(".tmp.exe")
            subprocess.run([compiler, "-std=c++17", "-O2", "-static", "-o", str(tmp), str(src), "-ladvapi32"],
                           check=True, capture_output=True, timeout=300)
            os.rename(tmp, out)
    return out


class BadInputTest(E2ETestCase):

    # ---- driving

    def start(self, session, cwd=None, others=()):
        """Starts the program; returns it, its pid and its Select OS window."""
        # A Select OS page already up belongs to another program.
        taken = set(others) | {w["pid"] for w in session.visible_windows() if w["text"] == SELECT_OS}
        program = session.start_program(cwd=cwd)

        def page():
            return next((w for w in session.visible_windows() if w["text"] == SELECT_OS and w["pid"] not in taken),
                        None)
        first = wait_until(page, what="Select OS of the new program")
        return program, first["pid"], first["hwnd"]

    def to_select_port(self, session, pid, select_os, model, port_index=None):
        session.click_button(select_os, IDC_NEXT)
        detail = session.wait_window(DETAIL_SETTING, pid=pid)["hwnd"]
        session.select_combo(detail, IDC_MODEL_LIST, model.row)
        if port_index is not None:
            session.select_combo(detail, IDC_PORT_LIST, port_index)
        session.click_button(detail, IDC_NEXT)
        return session.wait_window(SELECT_PORT, pid=pid)["hwnd"]

    def answer_boxes(self, session, programs):
        """Answers every message box of these (pid, program) pairs with OK until all have ended;
        returns {pid: [box texts]}."""
        boxes = {pid: [] for pid, _ in programs}
        deadline = time.monotonic() + 40
        while any(p.running() for _, p in programs):
            self.assertLess(time.monotonic(), deadline, "the programs did not end")
            box = next((w for w in session.visible_windows() if w["text"] == APP_TITLE and w["pid"] in boxes), None)
            if box is None:
                time.sleep(0.03)
                continue
            text = next((c["text"] for c in session.children(box["hwnd"]) if c["id"] == MSGBOX_TEXT_ID), None)
            boxes[box["pid"]].append(text)
            session.click_button(box["hwnd"], IDOK)
            session.wait_gone(box["hwnd"])
        for _, p in programs:
            self.assertExits(p)
        return boxes

    def install_here(self, session, cwd, model, port_index=None, choose=None):
        """One whole run from cwd; choose(page) may change the port selection. Box texts back."""
        program, pid, page = self.start(session, cwd)
        port_page = self.to_select_port(session, pid, page, model, port_index)
        if choose:
            choose(port_page)
        session.click_button(port_page, IDC_INSTALL)
        return self.answer_boxes(session, [(pid, program)])[pid]

    # ---- expectations

    def expected_boxes(self, session, model, port):
        if printer_creatable(session):
            return [COMPLETED]
        return None  # the failure message of the spooler's refusal; checked by its start

    def assert_boxes(self, session, boxes, model, port):
        expected = self.expected_boxes(session, model, port)
        if expected is not None:
            self.assertEqual(boxes, expected)
        else:
            self.assertEqual(len(boxes), 1, boxes)
            self.assertTrue(boxes[0].startswith(f'The printer "{model.driver}" could not be created on port "{port}":'),
                            boxes[0])

    def assert_installed(self, session, model, package, port="LPT1:"):
        profile = profile_of(session)
        drivers = [d for d in session.drivers(profile.environment) if d["name"] == model.driver]
        self.assertEqual(len(drivers), 1, "driver registered once")
        directory = session.unix_path(session.driver_directory(profile.environment))
        for name in package_files(model):
            self.assertEqual((directory / name).read_bytes(), (source_folder(package, profile) / name).read_bytes(),
                             f"{name} copied")
        printers = [p for p in session.printers() if p["name"] == model.driver]
        if printer_creatable(session):
            self.assertEqual([(p["port"], p["driver"]) for p in printers], [(port, model.driver)])
        else:
            self.assertEqual(printers, [])

    def device(self, session):
        value = session.reg("HKCU", WINDOWS_KEY, "Device")
        return value["text"] if value["exists"] else None

    def clear_driver_files(self, session, model):
        profile = profile_of(session)
        directory = session.unix_path(session.driver_directory(profile.environment))
        for name in package_files(model):
            (directory / name).unlink(missing_ok=True)

    def runnable_standins(self, package):
        """Where 32-bit code cannot run, the 64-bit stand-in takes the 32-bit ones' place; the
        stand-ins act by their own file name only."""
        paths = [package / rel.replace("\\", "/") for rel in list(STANDINS.values()) + list(STANDINS_X86.values())]
        if host_runs_i386():
            return
        usable = next((p for p in paths if pe_machine(p) == "amd64"), None)
        if usable is None:
            raise HarnessError("no stand-in installer of the package can run on this host")
        for p in paths:
            if pe_machine(p) != "amd64":
                shutil.copyfile(usable, p)

    # ---- the tests

    def test_package_in_a_long_path_and_at_a_drive_root(self):
        session = self.session(default_arch())
        session.create_windows_key()
        model = MODELS[0]
        standins = dict(STANDINS)
        if session.arch == "win32":
            standins.update(STANDINS_X86)

        def long_path(length):
            def make():
                # Nested folders until the current directory has this length as Windows sees it.
                path = session.workdir / f"deep{length}"
                while windows_path_length(path) < length - 21:
                    path = path / "nested-folder-level"
                path = path.parent / ("p" * (length - windows_path_length(path.parent) - 1))
                shutil.copytree(session.package, path, symlinks=True)
                self.assertEqual(windows_path_length(path), length, "fixture: the path's length")
                return path, "Z:" + str(path).replace("/", "\\")
            return make

        def drive_root():
            path = session.workdir / "root-package"
            shutil.copytree(session.package, path, symlinks=True)
            link = session.prefix / "dosdevices" / "p:"
            link.unlink(missing_ok=True)
            os.symlink(path, link)
            return path, "P:\\"

        longest_standin = max(len(rel) for rel in standins.values()) + 1
        cases = (
            # (where, how to make it, whether the stand-ins can start: the shell starts no
            # program whose path reaches MAX_PATH)
            ("longest path for the stand-ins", long_path(MAX_PATH - 1 - longest_standin), True),
            ("250-character path", long_path(250), False),
            ("drive root", drive_root, True),
        )
        for label, make, standins_start in cases:
            with self.subTest(location=label):
                package, windows_dir = make()
                self.runnable_standins(package)
                program, pid, page = self.start(session, package)
                for command, rel in standins.items():
                    marker = package / (rel.replace("\\", "/") + ".ran")
                    session.post_command(page, command)
                    if standins_start:
                        box = wait_until(lambda: next((w for w in session.visible_windows()
                                                       if w["text"] == ntpath.basename(rel)), None),
                                         what=f"the stand-in of {rel} from {windows_dir}")
                        self.assertTrue(marker.exists(), f"{rel} ran from {windows_dir}")
                        session.probe.call("close", box["hwnd"])
                        session.wait_gone(box["hwnd"])
                        marker.unlink()
                    else:
                        # The page answers once the command has run; it survived it.
                        self.assertTrue(session.control(page, IDC_NEXT)["visible"])
                        self.assertTrue(program.running())
                self.clear_driver_files(session, model)
                session.probe.call("regdelete", "HKCU", WINDOWS_KEY, "Device")
                port_page = self.to_select_port(session, pid, page, model)
                session.click_button(port_page, IDC_INSTALL)
                boxes = self.answer_boxes(session, [(pid, program)])[pid]
                self.assert_boxes(session, boxes, model, "LPT1:")
                self.assert_installed(session, model, package)

    def test_odd_port_names_and_no_ports(self):
        # Code page 1252 holds every letter of the non-ASCII name.
        session = self.session(default_arch(), codepage=1252)
        session.create_windows_key()
        long_name = "\\\\print-server.example\\" + "queue-" * 29 + "end:"
        self.assertGreaterEqual(len(long_name), 200, "fixture")
        longest = "L" * 258 + ":"
        odd = ["FILE:", "LPT1:", long_name, "Ünïcødé:", longest]
        session.set_ports(odd)
        enumerated = [p["name"] for p in session.ports()]
        self.assertEqual(sorted(enumerated), sorted(odd), "fixture: the spooler lists every port")

        with self.subTest(case="odd names listed, install on the long one"):
            model = MODELS[0]
            long_row = enumerated.index(long_name)

            def choose(page):
                rows = session.list_view(page, IDC_PORT_ROWS)["rows"]
                self.assertEqual([r["texts"][0] for r in rows], enumerated, "every name in full, in order")
                session.set_list_state(page, IDC_PORT_ROWS, enumerated.index("LPT1:"), 0, LVIS_SELECTED)
                session.set_list_state(page, IDC_PORT_ROWS, long_row, LVIS_SELECTED, LVIS_SELECTED | LVIS_FOCUSED)

            boxes = self.install_here(session, session.package, model, choose=choose)
            self.assert_boxes(session, boxes, model, long_name)
            self.assert_installed(session, model, session.package, port=long_name)
            expected = f"{model.driver},winspool,{long_name}" if printer_creatable(session) else None
            self.assertEqual(self.device(session), expected)

        with self.subTest(case="no ports"):
            model = MODELS[1]
            session.set_ports([])
            self.assertEqual(session.ports(), [], "fixture: no port left")
            program, pid, page = self.start(session)
            port_page = self.to_select_port(session, pid, page, model)
            self.assertEqual(session.list_view(port_page, IDC_PORT_ROWS)["rows"], [])
            before = {w["hwnd"] for w in session.visible_windows(pid)}
            session.click_button(port_page, IDC_CONFIGURE_PORT)
            # The page answers a query only after the command: nothing new opened meanwhile.
            self.assertEqual(session.list_view(port_page, IDC_PORT_ROWS)["rows"], [])
            self.assertEqual({w["hwnd"] for w in session.visible_windows(pid)}, before, "Configure Port... did nothing")
            session.click_button(port_page, IDC_INSTALL)
            boxes = self.answer_boxes(session, [(pid, program)])[pid]
            printers = [p for p in session.printers() if p["name"] == model.driver]
            if printers:
                self.assertEqual([p["port"] for p in printers], [""])
                self.assertEqual(boxes, [COMPLETED])
                self.assertEqual(self.device(session), f"{model.driver},winspool,")
            else:
                self.assertEqual(len(boxes), 1, boxes)
                self.assertTrue(boxes[0].startswith(f'The printer "{model.driver}" could not be created on port "":'),
                                boxes[0])
                self.assertNotEqual((self.device(session) or "").split(",")[0], model.driver)

    def test_read_only_ports_key_for_a_com_installation(self):
        session = self.session(default_arch())
        session.create_windows_key()
        tool = lock_key_tool(32 if session.exe_machine == "i386" and session.arch == "win32" else 64)
        if tool is None:
            self.skipTest("no mingw-w64 compiler to build the key-locking helper")
        session.probe.call("regset", "HKLM", PORTS_KEY, "COM1:", "untouched", session.program_view)
        r = subprocess.run([loader_for(session.arch, pe_machine(tool)), str(tool), PORTS_KEY,
                            session.program_view or "-"], env=session.env, capture_output=True, timeout=60)
        self.assertEqual(r.returncode, 0, "fixture: the key's security was set")
        with self.assertRaises(Exception, msg="fixture: the key refuses writes"):
            session.probe.call("regset", "HKLM", PORTS_KEY, "COM2:", "x", session.program_view)

        model = MODELS[0]
        boxes = self.install_here(session, session.package, model, port_index=3)
        self.assertLessEqual(boxes.count(REGISTRY_ERROR), 1, boxes)
        others = [b for b in boxes if b != REGISTRY_ERROR]
        if REGISTRY_ERROR in boxes and printer_creatable(session):
            self.assertEqual(others, [], "a refused write is said once, without Completed!")
        else:
            self.assert_boxes(session, others, model, "LPT1:")
        self.assertEqual(session.reg("HKLM", PORTS_KEY, "COM1:")["text"], "untouched")
        self.assert_installed(session, model, session.package)
        if printer_creatable(session):
            self.assertEqual(self.device(session), f"{model.driver},winspool,LPT1:", "the run went on")

    def test_two_programs_installing_the_same_model(self):
        session = self.session(default_arch())
        session.create_windows_key()
        model = MODELS[2]
        first, pid1, page1 = self.start(session)
        second, pid2, page2 = self.start(session, others=(pid1,))
        port1 = self.to_select_port(session, pid1, page1, model)
        port2 = self.to_select_port(session, pid2, page2, model)
        session.click_button(port1, IDC_INSTALL)
        session.click_button(port2, IDC_INSTALL)
        boxes = self.answer_boxes(session, [(pid1, first), (pid2, second)])
        for pid in (pid1, pid2):
            with self.subTest(pid=pid):
                # Either program may come second; its spooler calls find the first one's work.
                self.assert_boxes(session, boxes[pid], model, "LPT1:")
        self.assert_installed(session, model, session.package)
        expected = f"{model.driver},winspool,LPT1:" if printer_creatable(session) else None
        self.assertEqual(self.device(session), expected)


if __name__ == "__main__":
    unittest.main()
