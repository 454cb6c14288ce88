"""The Select Port page and the Create Port dialog against Wine's real spooler and its local
port monitor, on the real executable under Wine."""

import time
import unittest

from tests.e2e.harness import default_arch, E2ETestCase, ProbeError, wait_until

SELECT_OS = "Select OS (x86/x64)"
DETAIL_SETTING = "Detail Setting (x86/x64)"
SELECT_PORT = "Select Port (x86/x64)"
CREATE_PORT = "Create Port"

IDC_NEXT_ON_SELECT_OS = 1009
IDC_NEXT = 1009
IDC_EXIT = 1010
IDC_LIST = 1021
IDC_CREATE_PORT = 1008
IDC_CONFIGURE_PORT = 1009
IDC_BACK = 1010
IDC_CANCEL = 1023
IDC_PROGRESS = 1025
IDC_NEW_PORT = 1008
IDC_CLOSE = 1009

LVIS_FOCUSED = 0x1
LVIS_SELECTED = 0x2
LVS_EX_GRIDLINES = 0x01
LVS_EX_TRACKSELECT = 0x08
LVS_EX_FULLROWSELECT = 0x20

DEFAULT_PORTS = ["COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"]

# The local monitor's own dialogs as Wine shows them in an English locale; the tests that
# open them run on code page 1252 so that these texts apply.
ADD_LOCAL_PORT = "Add a Local Port"
CONFIGURE_LPT = "Configure LPT Port"
NO_OPTIONS = "This port has no options to configure"
ADD_PORT_EDIT = 101

# Port sets, in the order Wine enumerates them (it sorts case-insensitively), and the row
# the page must preselect (None: no row). Each case tells a rule apart from a near miss.
PRESELECTION_CASES = (
    ("fresh prefix", DEFAULT_PORTS, 5),
    ("LPT1: in row 0 counts as no match", ["LPT1:", "USB001"], None),
    ("the last LPT1 match counts", ["LPT1:", "LPT1X"], 1),
    ("COM1 is preferred over FILE", ["AUX:", "COM1:", "FILE:"], 1),
    ("lower-case lpt1x: is no LPT1 match", ["COM1:", "FILE:", "lpt1x:"], 1),
    ("COM10: matches COM1 by its first four letters", ["AUX:", "COM10:", "FILE:"], 1),
    ("a name shorter than four letters is compared whole", ["AUX:", "COM", "FILE:"], 2),
    ("no COM1, LPT1 or FILE port", ["COM2:", "LPT2:", "USB001"], None),
    ("no ports at all", [], None),
    # The page does not scroll to a preselected row below the visible ones.
    ("preselected row far down", [f"AUX{i:02d}" for i in range(40)] + ["LPT1:"], 40),
)



def selected_rows(view):
    return [i for i, row in enumerate(view["rows"]) if row["state"] & LVIS_SELECTED]


def port_names(view):
    return [row["texts"][0] for row in view["rows"]]


def debug_names(lines):
    """Debug lines as names, checking that each one ends in a line feed."""
    names = []
    for line in lines:
        if not line.endswith("\n"):
            raise AssertionError(f"debug line without a line feed: {line!r}")
        names.append(line[:-1])
    return names


class SelectPortTest(E2ETestCase):

    def start_detail(self, session):
        session.set_version("win7")
        program = session.start_program()
        select_os = session.wait_window(SELECT_OS)
        session.click_button(select_os["hwnd"], IDC_NEXT_ON_SELECT_OS)
        return program, session.wait_window(DETAIL_SETTING)

    def open_port_page(self, session, detail):
        session.click_button(detail["hwnd"], IDC_NEXT)
        page = session.wait_window(SELECT_PORT)
        self.assertEqual(page["pid"], detail["pid"])
        return page

    def leave_port_page(self, session, page, button=IDC_BACK):
        session.click_button(page["hwnd"], button)
        session.wait_gone(page["hwnd"])

    def wait_other_window(self, session, pid, known):
        """The one visible window of pid that is not among the known hwnds, once it appears."""
        def other():
            new = [w for w in session.visible_windows(pid) if w["hwnd"] not in known]
            return new[0] if len(new) == 1 else None
        return wait_until(other, what="a new window of the program")

    def assert_nothing_opens(self, session, pid, known, seconds=1.5):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            new = [w["text"] for w in session.visible_windows(pid) if w["hwnd"] not in known]
            self.assertEqual(new, [], "no window opens")
            time.sleep(0.05)

    def type_into(self, session, title, text):
        session.xdotool("windowfocus", session.x_window(title), "type", "--delay", "30", text)

    def all_drivers(self, session):
        """Drivers of both environments; an environment the spooler refuses is noted as such."""
        found = {}
        for env in ("Windows NT x86", "Windows x64"):
            try:
                found[env] = session.drivers(env)
            except ProbeError as e:
                found[env] = f"refused: {e}"
        return found

    def expected_rows(self, session):
        return [[p["name"], p["description"]] for p in session.ports()]

    # ---- the list -------------------------------------------------------------------------

    def test_list_shows_the_spoolers_ports_once_per_fill(self):
        session = self.session(default_arch())
        program, detail = self.start_detail(session)
        page = self.open_port_page(session, detail)
        hwnd = page["hwnd"]
        expected = self.expected_rows(session)
        self.assertEqual([r[0] for r in expected], DEFAULT_PORTS, "a fresh prefix's ports")

        def check_list(what):
            view = session.list_view(hwnd, IDC_LIST)
            self.assertEqual([(c["title"], c["width"], c["fmt"]) for c in view["columns"]],
                             [("Port", 150, 0), ("Type", 280, 0)], f"{what}: columns")
            self.assertEqual([r["texts"] for r in view["rows"]], expected, f"{what}: rows as the spooler lists them")
            ex = view["exstyle"]
            self.assertEqual(ex & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT),
                             LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, f"{what}: extended style {ex:#x}")
            self.assertEqual(selected_rows(view), [DEFAULT_PORTS.index("LPT1:")], f"{what}: preselection")

        check_list("first fill")
        fill = [p[0] for p in expected]
        self.assertEqual(debug_names(program.debug_lines()), fill, "one line per listed port")

        # A refill (after Create Port closes) lists and reports every port again.
        session.click_button(hwnd, IDC_CREATE_PORT)
        dialog = session.wait_window(CREATE_PORT)
        session.click_button(dialog["hwnd"], IDC_CLOSE)
        session.wait_gone(dialog["hwnd"])
        monitors = [m["name"] for m in session.monitors()]
        wait_until(lambda: len(program.debug_lines()) >= 2 * len(fill) + len(monitors), what="the refill's lines")
        check_list("refill")
        self.assertEqual(debug_names(program.debug_lines()), fill + monitors + fill)

        self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    def test_preselection_by_port_names(self):
        # The page enumerates anew at every opening: one program serves every port set.
        session = self.session(default_arch())
        program, detail = self.start_detail(session)
        for name, ports, expected in PRESELECTION_CASES:
            with self.subTest(case=name):
                session.set_ports(ports)
                self.assertEqual([p["name"] for p in session.ports()], ports, "Wine's order of this set")
                before = len(program.debug_lines())
                page = self.open_port_page(session, detail)
                try:
                    view = session.list_view(page["hwnd"], IDC_LIST)
                    self.assertEqual(port_names(view), ports)
                    self.assertEqual(selected_rows(view), [] if expected is None else [expected])
                    if expected is not None:
                        self.assertFalse(view["rows"][expected]["state"] & LVIS_FOCUSED, "selected, not focused")
                    self.assertEqual(view["top"], 0, "the list is not scrolled")
                    self.assertEqual(debug_names(program.debug_lines()[before:]), ports)
                finally:
                    self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    def test_only_the_first_256_ports_are_listed(self):
        session = self.session(default_arch())
        # LPT1: sorts last, at index 299; COM1: in row 1 is the match that must win.
        ports = ["AUX:", "COM1:"] + [f"D{i:03d}" for i in range(297)] + ["LPT1:"]
        session.set_ports(ports)
        enumerated = [p["name"] for p in session.ports()]
        self.assertEqual(enumerated, ports, "Wine's order of this set")
        program, detail = self.start_detail(session)
        page = self.open_port_page(session, detail)
        view = session.list_view(page["hwnd"], IDC_LIST)
        self.assertEqual(view["count"], 256)
        self.assertEqual(port_names(view), enumerated[:256])
        self.assertNotIn("LPT1:", port_names(view))
        self.assertEqual(selected_rows(view), [1], "the LPT1: beyond row 255 is not considered")
        self.assertEqual(debug_names(program.debug_lines()), enumerated[:256])
        self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    # ---- the monitor's dialogs ------------------------------------------------------------

    def test_configure_port_opens_the_monitors_dialog_for_the_selected_row(self):
        session = self.session(default_arch(), codepage=1252)
        program, detail = self.start_detail(session)
        page = self.open_port_page(session, detail)
        hwnd, pid = page["hwnd"], page["pid"]
        known = {w["hwnd"] for w in session.visible_windows(pid)}
        names = port_names(session.list_view(hwnd, IDC_LIST))

        cases = (("LPT2:", CONFIGURE_LPT, None), ("FILE:", None, NO_OPTIONS))
        for port, title, message in cases:
            with self.subTest(port=port):
                session.set_list_state(hwnd, IDC_LIST, names.index(port), LVIS_SELECTED, LVIS_SELECTED)
                self.assertEqual(selected_rows(session.list_view(hwnd, IDC_LIST)), [names.index(port)])
                session.click_button(hwnd, IDC_CONFIGURE_PORT)
                window = self.wait_other_window(session, pid, known)
                try:
                    if title:
                        self.assertEqual(window["text"], title)
                    if message:
                        texts = [c["text"] for c in session.children(window["hwnd"])]
                        self.assertIn(message, texts)
                finally:
                    session.probe.call("close", window["hwnd"])
                    session.wait_gone(window["hwnd"])
                view = session.list_view(hwnd, IDC_LIST)
                self.assertEqual(port_names(view), names, "the list is not refilled")

        with self.subTest(port="none selected"):
            row = selected_rows(session.list_view(hwnd, IDC_LIST))[0]
            session.set_list_state(hwnd, IDC_LIST, row, 0, LVIS_SELECTED)
            self.assertEqual(selected_rows(session.list_view(hwnd, IDC_LIST)), [])
            session.click_button(hwnd, IDC_CONFIGURE_PORT)
            self.assert_nothing_opens(session, pid, known)

        self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    def open_create_port(self, session, page, program):
        before = len(program.debug_lines())
        session.click_button(page["hwnd"], IDC_CREATE_PORT)
        dialog = session.wait_window(CREATE_PORT)
        self.assertEqual(dialog["pid"], page["pid"])
        view = session.list_view(dialog["hwnd"], IDC_LIST)
        monitors = [m["name"] for m in session.monitors()]
        self.assertIn("Local Port", monitors)
        self.assertEqual([(c["title"], c["width"], c["fmt"]) for c in view["columns"]],
                         [("Available Port Type", 340, 0)])
        self.assertEqual([r["texts"][0] for r in view["rows"]], monitors)
        self.assertEqual(selected_rows(view), [0], "row 0 preselected")
        ex = view["exstyle"]
        self.assertEqual(ex & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT),
                         LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, f"extended style {ex:#x}")
        self.assertEqual(debug_names(program.debug_lines()[before:]), monitors, "one line per monitor")
        return dialog, view

    def add_port(self, session, dialog, name, confirm=True):
        session.click_button(dialog["hwnd"], IDC_NEW_PORT)
        add = session.wait_window(ADD_LOCAL_PORT)
        self.type_into(session, ADD_LOCAL_PORT, name)
        wait_until(lambda: session.control(add["hwnd"], ADD_PORT_EDIT)["text"] == name, what="the typed name")
        session.click_button(add["hwnd"], 1 if confirm else 2)
        session.wait_gone(add["hwnd"])

    def close_create_port(self, session, dialog, program, ports_before_refill):
        before = len(program.debug_lines())
        session.click_button(dialog["hwnd"], IDC_CLOSE)
        session.wait_gone(dialog["hwnd"])
        wait_until(lambda: len(program.debug_lines()) >= before + len(ports_before_refill), what="the refill")

    def test_new_ports_appear_after_create_port_closes(self):
        session = self.session(default_arch(), codepage=1252)
        program, detail = self.start_detail(session)
        page = self.open_port_page(session, detail)
        hwnd = page["hwnd"]
        # The user's own pick does not survive the refill.
        session.set_list_state(hwnd, IDC_LIST, DEFAULT_PORTS.index("COM2:"), LVIS_SELECTED, LVIS_SELECTED)

        dialog, view = self.open_create_port(session, page, program)
        added = ["COM7:", "COM8:"]
        for name in added:
            self.add_port(session, dialog, name)
            self.assertIn(name, [p["name"] for p in session.ports()], "the monitor created the port")
            self.assertEqual(session.list_view(dialog["hwnd"], IDC_LIST)["rows"], view["rows"],
                             "the dialog's list stays as it was")
            self.assertIsNotNone(session.find_visible(CREATE_PORT), "the dialog stays open")

        expected = self.expected_rows(session)
        names = [r[0] for r in expected]
        self.assertEqual(names, sorted(DEFAULT_PORTS + added, key=str.upper), "Wine's order with the new ports")
        before = len(program.debug_lines())
        self.close_create_port(session, dialog, program, names)
        view = session.list_view(hwnd, IDC_LIST)
        self.assertEqual([r["texts"] for r in view["rows"]], expected)
        self.assertEqual(len(view["columns"]), 2, "the columns are not added again")
        self.assertEqual(selected_rows(view), [names.index("LPT1:")], "preselected anew, on the moved LPT1: row")
        self.assertEqual(debug_names(program.debug_lines()[before:]), names)

        self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    def test_cancelled_or_impossible_new_port_changes_nothing(self):
        session = self.session(default_arch(), codepage=1252)
        program, detail = self.start_detail(session)
        page = self.open_port_page(session, detail)
        pid = page["pid"]
        ports = self.expected_rows(session)
        dialog, view = self.open_create_port(session, page, program)

        with self.subTest(case="monitor's dialog cancelled"):
            self.add_port(session, dialog, "COM9:", confirm=False)
            self.assertEqual(self.expected_rows(session), ports, "no port created")
            self.assertEqual(session.list_view(dialog["hwnd"], IDC_LIST)["rows"], view["rows"])
            self.assertIsNotNone(session.find_visible(CREATE_PORT), "the dialog stays open")

        with self.subTest(case="no monitor selected"):
            session.set_list_state(dialog["hwnd"], IDC_LIST, 0, 0, LVIS_SELECTED)
            self.assertEqual(selected_rows(session.list_view(dialog["hwnd"], IDC_LIST)), [])
            known = {w["hwnd"] for w in session.visible_windows(pid)}
            session.click_button(dialog["hwnd"], IDC_NEW_PORT)
            self.assert_nothing_opens(session, pid, known)

        names = [r[0] for r in ports]
        before = len(program.debug_lines())
        self.close_create_port(session, dialog, program, names)
        view = session.list_view(page["hwnd"], IDC_LIST)
        self.assertEqual([r["texts"] for r in view["rows"]], ports, "the same ports, listed anew")
        self.assertEqual(debug_names(program.debug_lines()[before:]), names)
        self.assertEqual(selected_rows(view), [names.index("LPT1:")])

        self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    # ---- leaving the page ----------------------------------------------------------------

    def test_back_and_cancel_then_next_show_a_fresh_page(self):
        session = self.session(default_arch())
        program, detail = self.start_detail(session)
        preselected = DEFAULT_PORTS.index("LPT1:")
        for name, button in (("< &Back", IDC_BACK), ("&Cancel", IDC_CANCEL)):
            with self.subTest(way=name):
                page = self.open_port_page(session, detail)
                session.set_list_state(page["hwnd"], IDC_LIST, 0, LVIS_SELECTED, LVIS_SELECTED)
                self.assertEqual(selected_rows(session.list_view(page["hwnd"], IDC_LIST)), [0])
                self.leave_port_page(session, page, button)
                self.assertEqual(session.find_visible(DETAIL_SETTING), detail["hwnd"], "back on Detail Setting")

                page = self.open_port_page(session, detail)
                progress = session.progress(page["hwnd"], IDC_PROGRESS)
                self.assertEqual((progress["pos"], progress["low"], progress["high"]), (0, 0, 100))
                self.assertEqual(selected_rows(session.list_view(page["hwnd"], IDC_LIST)), [preselected],
                                 "the new page preselects anew")
                self.leave_port_page(session, page)
        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)

    def test_enter_does_not_install(self):
        session = self.session(default_arch())
        drivers = self.all_drivers(session)
        printers = session.printers()
        program, detail = self.start_detail(session)
        page = self.open_port_page(session, detail)
        known = {w["hwnd"] for w in session.visible_windows(page["pid"])}

        session.key(SELECT_PORT, "Return")
        self.assert_nothing_opens(session, page["pid"], known)
        self.assertEqual(session.find_visible(SELECT_PORT), page["hwnd"], "the page stays")
        # Esc after Enter proves that the keys reach the page.
        session.key(SELECT_PORT, "Escape")
        session.wait_gone(page["hwnd"])
        self.assertEqual(session.find_visible(DETAIL_SETTING), detail["hwnd"])
        self.assertTrue(program.running())
        self.assertEqual(self.all_drivers(session), drivers, "no driver installed")
        self.assertEqual(session.printers(), printers, "no printer created")

        session.click_button(detail["hwnd"], IDC_EXIT)
        self.assertExits(program)


if __name__ == "__main__":
    unittest.main()
