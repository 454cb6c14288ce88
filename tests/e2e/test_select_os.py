"""The Select OS page and the wizard loop around it, on the real executable under Wine."""

import unittest

import shutil

from tests.e2e.harness import default_arch, E2ETestCase, HarnessError, host_runs_i386, pe_machine, wait_until

SELECT_OS = "Select OS (x86/x64)"
DETAIL_SETTING = "Detail Setting (x86/x64)"

IDC_BACK = 1008
IDC_NEXT = 1009
IDC_EXIT = 1010
IDC_USB_SETUP = 1022
IDC_USB_SETUP_X86 = 1023

# Radio ids in template order of the OS group; the first three are hidden in the template.
RADIOS = (1020, 1000, 1001, 1002, 1003, 1004, 1011, 1005, 1006)
HIDDEN_RADIOS = {1000, 1001, 1002}

# Wine's version name -> the radio the page must check. The program has no manifest,
# so Wine reports 6.2 on win81 and win10, as Windows does.
EXPECTED_RADIO = {
    "win95": 1000, "win98": 1001, "winme": 1001, "nt40": 1002,
    "win2k": 1003, "winxp": 1004, "win2003": 1011, "vista": 1020,
    "win7": 1005, "win8": 1006, "win81": 1006, "win10": 1006,
}

STANDINS = {
    "x86": r"USB Driver\x86\dpinstx86.exe",
    "x64": r"USB Driver\x64\dpinstx64.exe",
    "fixed": r"USBdriver\x86\dpinst.exe",
}
# Each stand-in titles its message box with its own file name.
BOX_TITLES = {rel.rsplit("\\", 1)[1] for rel in STANDINS.values()}



class SelectOsTest(E2ETestCase):

    def start_select_os(self, session, version="win7"):
        # A page left over from an earlier row would be found instead of the new one.
        wait_until(lambda: session.find_visible(SELECT_OS) is None, what="no Select OS page before the start")
        session.set_version(version)
        program = session.start_program()
        try:
            page = session.wait_window(SELECT_OS)
        except BaseException:
            program.kill()
            raise
        return program, page

    def end_program(self, session, program, page):
        """Leaves through "&Exit" when the row left the page open; kills what does not end."""
        try:
            if program.running():
                session.click_button(page["hwnd"], IDC_EXIT)
            program.wait()
        finally:
            program.kill()

    def radio_states(self, session, hwnd):
        return {rid: session.control(hwnd, rid) for rid in RADIOS}

    def assert_radio_checked(self, session, hwnd, expected):
        states = self.radio_states(session, hwnd)
        checked = [rid for rid, c in states.items() if c["check"] == 1]
        self.assertEqual(checked, [expected], "exactly one radio, the detected one, is checked")
        for rid, c in states.items():
            self.assertEqual(c["visible"], rid not in HIDDEN_RADIOS, f"visibility of radio {rid}")

    def test_each_windows_version_checks_its_radio(self):
        # Nothing is written by the page, so one prefix serves every row.
        session = self.session(default_arch())
        for version, expected in EXPECTED_RADIO.items():
            with self.subTest(version=version):
                program, page = self.start_select_os(session, version)
                try:
                    self.assert_radio_checked(session, page["hwnd"], expected)
                finally:
                    self.end_program(session, program, page)

    def test_exit_escape_and_close_box_end_the_program(self):
        ways = {
            "exit button": lambda s, page: s.click_button(page["hwnd"], IDC_EXIT),
            "escape key": lambda s, page: s.key(SELECT_OS, "Escape"),
            "close box": lambda s, page: s.click_close_box(page["hwnd"]),
        }
        session = self.session(default_arch())
        for name, leave in ways.items():
            with self.subTest(way=name):
                program, page = self.start_select_os(session)
                try:
                    leave(session, page)
                    seen = session.titles_until_exit(program, page["pid"])
                    self.assertEqual(program.wait(), 0)
                    self.assertNotIn(DETAIL_SETTING, seen)
                finally:
                    program.kill()

    def test_next_then_back_shows_a_freshly_initialised_select_os(self):
        session = self.session(default_arch())
        program, page = self.start_select_os(session, "win7")
        # A user's pick among the radios must not survive the trip: the page initialises anew.
        session.click_button(page["hwnd"], 1004)
        wait_until(lambda: session.control(page["hwnd"], 1004)["check"] == 1, what="the user's radio pick")

        session.key(SELECT_OS, "alt+n")
        detail = session.wait_window(DETAIL_SETTING)
        self.assertEqual(detail["pid"], page["pid"])
        self.assertIsNone(session.find_visible(SELECT_OS), "Select OS is gone while Detail Setting shows")

        session.click_button(detail["hwnd"], IDC_BACK)
        again = session.wait_window(SELECT_OS)
        session.wait_gone(detail["hwnd"])
        self.assert_radio_checked(session, again["hwnd"], EXPECTED_RADIO["win7"])

        session.click_button(again["hwnd"], IDC_NEXT)
        detail = session.wait_window(DETAIL_SETTING)
        session.click_button(detail["hwnd"], IDC_EXIT)
        seen = session.titles_until_exit(program, page["pid"])
        self.assertEqual(program.wait(), 0)
        self.assertNotIn(SELECT_OS, seen)

    def test_escape_and_close_box_on_detail_setting_end_the_program(self):
        ways = {
            "escape key": lambda s, page: s.key(DETAIL_SETTING, "Escape"),
            "close box": lambda s, page: s.click_close_box(page["hwnd"]),
        }
        session = self.session(default_arch())
        for name, leave in ways.items():
            with self.subTest(way=name):
                program, page = self.start_select_os(session)
                try:
                    session.click_button(page["hwnd"], IDC_NEXT)
                    detail = session.wait_window(DETAIL_SETTING)
                    leave(session, detail)
                    seen = session.titles_until_exit(program, page["pid"])
                    self.assertEqual(program.wait(), 0)
                    self.assertNotIn(SELECT_OS, seen, "no way back to Select OS but < &Back")
                finally:
                    program.kill()

    def runnable_standins(self, package):
        """Where this host cannot run 32-bit code, a 64-bit stand-in takes the 32-bit ones' place.

        The stand-ins act by their own file name only, so the copy still tells which path
        the program started."""
        if host_runs_i386():
            return
        paths = [package / rel.replace("\\", "/") for rel in STANDINS.values()]
        usable = next((p for p in paths if pe_machine(p) == "amd64"), None)
        if usable is None:
            raise HarnessError("no stand-in installer of the package can run on this host")
        for p in paths:
            if pe_machine(p) != "amd64":
                shutil.copyfile(usable, p)

    def check_usb_commands(self, arch):
        session = self.session(arch)
        package = session.copy_package()
        self.runnable_standins(package)
        program = session.start_program(cwd=package)
        page = session.wait_window(SELECT_OS)
        wow64 = session.is_wow64(page["pid"])
        if arch == "win32":
            self.assertFalse(wow64, "a 32-bit Windows has no WOW64")
        elif session.exe_machine == "i386":
            self.assertTrue(wow64, "a 32-bit program on 64-bit Windows runs under WOW64")

        cases = (
            # The installer goes by the Windows, not by the program's own bitness.
            (IDC_USB_SETUP, "x64" if arch == "win64" else "x86"),
            (IDC_USB_SETUP_X86, "fixed"),
        )
        for command, expected in cases:
            box = None
            with self.subTest(command=command):
                session.post_command(page["hwnd"], command)
                box = wait_until(lambda: next((w for w in session.visible_windows() if w["text"] in BOX_TITLES), None),
                                 what="a stand-in installer's message box")
                self.assertEqual(box["text"], STANDINS[expected].rsplit("\\", 1)[1], "the installer started")
                for kind, rel in STANDINS.items():
                    marker = package / (rel.replace("\\", "/") + ".ran")
                    self.assertEqual(marker.exists(), kind == expected, f"marker {marker}")
                self.assertTrue(program.running(), "the page does not wait for the installer")
                self.assertTrue(session.control(page["hwnd"], IDC_EXIT)["visible"], "Select OS stays open")
            # Outside the row, so that a failing row is photographed with the box still up.
            if box:
                session.probe.call("close", box["hwnd"])
                session.wait_gone(box["hwnd"])
            for rel in STANDINS.values():
                (package / (rel.replace("\\", "/") + ".ran")).unlink(missing_ok=True)
        session.click_button(page["hwnd"], IDC_EXIT)
        self.assertEqual(program.wait(), 0)

    def test_usb_installer_commands_on_32_bit_windows(self):
        self.check_usb_commands("win32")

    def test_usb_installer_commands_on_64_bit_windows(self):
        self.check_usb_commands("win64")


if __name__ == "__main__":
    unittest.main()
