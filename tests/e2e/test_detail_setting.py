"""The Detail Setting page, its system menu's About box and its way to Select Port, on the
real executable under Wine."""

import re
import time
import unittest

from tests.e2e.harness import (default_arch, ROOT, E2ETestCase, Program, loader_for, pe_machine,
                               program_exe, wait_until)

SELECT_OS = "Select OS (x86/x64)"
DETAIL_SETTING = "Detail Setting (x86/x64)"
SELECT_PORT = "Select Port (x86/x64)"

IDC_NEXT_ON_SELECT_OS = 1009
IDC_BACK = 1008
IDC_NEXT = 1009
IDC_EXIT = 1010
IDC_MODEL_LIST = 1011
IDC_SET_DEFAULT = 1012
IDC_PRINTER_NAME = 1013
IDC_PORT_LIST = 1014
SERIAL_LISTS = (1015, 1016, 1017, 1018, 1019)
IDC_PORT_PAGE_BACK = 1010
IDC_PORT_PAGE_CANCEL = 1023
IDM_ABOUTBOX = 16
SS_TYPEMASK = 0x1F
SS_ICON = 0x03

# Items of the hidden serial group and the entry each list starts on.
SERIAL_ITEMS = {
    1014: (["LPT1", "LPT2", "LPT3", "COM1", "COM2", "COM3", "COM4"], 0),
    1015: (["300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"], 5),
    1016: (["5", "6", "7", "8"], 3),
    1017: (["None", "XonXoff", "Hardware"], 2),
    1018: (["Even", "Mark", "None", "Odd", "Space"], 2),
    1019: (["1", "1.5", "2"], 0),
}



def plain_names():
    """Rows 0..16 of the catalogue's plain display names and the initial printer-name text."""
    lines = [line.split("\t", 1)[1] for line in
             (ROOT / "tools/display_names.txt").read_text("utf-8").splitlines() if line.strip()]
    return lines[:17], lines[17]


def about_template_texts():
    """Caption and static texts of the About box as its template in the resource source holds them."""
    rc = (ROOT / "resources/VORNAPX.rc").read_text("utf-8")
    block = re.search(r"^IDD_ABOUTBOX DIALOGEX.*?^END", rc, re.S | re.M).group(0)
    caption = re.search(r'^CAPTION\s+"([^"]*)"', block, re.M).group(1)
    statics = re.findall(r'^\s*LTEXT\s+"([^"]*)"', block, re.M)
    return caption, statics


def has_cjk(text):
    return any("\u4e00" <= c <= "\u9fff" for c in text)


# ---- Wine's own record of the menu ---------------------------------------------------------
#
# Wine keeps a menu inside the process that made it and refuses another process's
# GetSystemMenu, so the probe cannot read the page's system menu. Wine's menu trace logs
# each item as it is stored (16-bit text, id, separator flag): that is read instead.

MF_SEPARATOR = 0x800
_INSERT = re.compile(r"trace:menu:InsertMenuW hMenu ([0-9A-Fa-f]+), pos -?\d+, flags ([0-9A-Fa-f]+), "
                     r"id ([0-9A-Fa-f]+), str (?:L\"(.*)\"|.*\(not a string\))\s*$")
_SYS_HANDLE = re.compile(r"trace:menu:get_sys_menu hwnd (0x[0-9A-Fa-f]+) \(handle (0x[0-9A-Fa-f]+)\)")
_SYS_POPUP = re.compile(r"trace:menu:get_sys_menu handle=(0x[0-9A-Fa-f]+) \(hPopup (0x[0-9A-Fa-f]+)\)")


def _unescape_debugstr_w(text):
    return re.sub(r"\\(?:([0-9a-fA-F]{4})|(.))",
                  lambda m: chr(int(m.group(1), 16)) if m.group(1)
                  else {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(2), m.group(2)), text)


def items_added_to_system_menu(log_text, hwnd):
    """(flags, id, text) of every item inserted into that window's system menu after Wine built it."""
    handle, popup, items = None, None, []
    for line in log_text.splitlines():
        m = _SYS_HANDLE.search(line)
        if m and handle is None and int(m.group(1), 16) == hwnd:
            handle = int(m.group(2), 16)
            continue
        m = _SYS_POPUP.search(line)
        if m and popup is None and handle is not None and int(m.group(1), 16) == handle:
            popup = int(m.group(2), 16)
            continue
        m = _INSERT.search(line)
        if m and popup is not None and int(m.group(1), 16) == popup:
            text = _unescape_debugstr_w(m.group(4)) if m.group(4) is not None else None
            items.append((int(m.group(2), 16), int(m.group(3), 16), text))
    return items


def start_with_menu_trace(session):
    exe = program_exe(session.package)
    env = dict(session.env, WINEDEBUG="-all,warn+debugstr,trace+menu")
    program = Program(loader_for(session.arch, pe_machine(exe)), exe, session.package, env,
                      session.workdir / f"wine-{len(session.programs) + 1}.log")
    session.programs.append(program)
    return program


class DetailSettingTest(E2ETestCase):

    def open_detail(self, session, program=None):
        """Starts the program (unless given) and goes on to the Detail Setting page."""
        if program is None:
            session.set_version("win7")
            program = session.start_program()
        select_os = session.wait_window(SELECT_OS)
        session.click_button(select_os["hwnd"], IDC_NEXT_ON_SELECT_OS)
        page = session.wait_window(DETAIL_SETTING)
        return program, page

    def page_state(self, session, hwnd):
        """Everything the user can choose on the page, as the controls hold it."""
        state = {
            "model": session.combo(hwnd, IDC_MODEL_LIST)["cursel"],
            "name": session.control(hwnd, IDC_PRINTER_NAME)["text"],
            "default": session.control(hwnd, IDC_SET_DEFAULT)["check"],
        }
        for cid in SERIAL_ITEMS:
            c = session.combo(hwnd, cid)
            state[cid] = (c["cursel"], c["enabled"])
        return state

    def fresh_state(self):
        _, initial = plain_names()
        state = {"model": 0, "name": initial, "default": 1}
        for cid, (_, default) in SERIAL_ITEMS.items():
            state[cid] = (default, cid == IDC_PORT_LIST)
        return state

    def make_user_choices(self, session, hwnd):
        """Another model, the box cleared and a COM port with another baud rate, as a user might."""
        names, _ = plain_names()
        session.select_combo(hwnd, IDC_MODEL_LIST, 9)
        session.click_button(hwnd, IDC_SET_DEFAULT)
        wait_until(lambda: session.control(hwnd, IDC_SET_DEFAULT)["check"] == 0, what="the box cleared")
        session.select_combo(hwnd, IDC_PORT_LIST, 4)
        session.select_combo(hwnd, 1015, 2)
        state = self.page_state(session, hwnd)
        self.assertEqual(state["name"], names[9])
        self.assertNotEqual(state, self.fresh_state(), "the choices differ from a fresh page")
        return state

    def test_model_list_and_printer_name(self):
        names, initial = plain_names()
        session = self.session(default_arch())
        program, page = self.open_detail(session)
        hwnd = page["hwnd"]
        models = session.combo(hwnd, IDC_MODEL_LIST)
        self.assertEqual(models["items"], names, "the seventeen names in catalogue order, placeholders gone")
        self.assertEqual(models["cursel"], 0)
        self.assertEqual(session.control(hwnd, IDC_PRINTER_NAME)["text"], initial,
                         "on opening the field shows the initial text, not row 0's name")

        # Row 0 last: choosing it again after another row shows its own name.
        for row in list(range(1, 17)) + [0]:
            with self.subTest(row=row):
                session.select_combo(hwnd, IDC_MODEL_LIST, row)
                self.assertEqual(session.control(hwnd, IDC_PRINTER_NAME)["text"], names[row])

        with self.subTest(row="none"):
            session.select_combo(hwnd, IDC_MODEL_LIST, 5)
            session.select_combo(hwnd, IDC_MODEL_LIST, -1)
            self.assertEqual(session.combo(hwnd, IDC_MODEL_LIST)["cursel"], -1)
            self.assertEqual(session.control(hwnd, IDC_PRINTER_NAME)["text"], names[5],
                             "no selection leaves the name as it was")

        session.click_button(hwnd, IDC_EXIT)
        self.assertExits(program)

    def test_serial_group_defaults_and_port_change(self):
        session = self.session(default_arch())
        program, page = self.open_detail(session)
        hwnd = page["hwnd"]
        for cid, (items, default) in SERIAL_ITEMS.items():
            with self.subTest(list=cid):
                c = session.combo(hwnd, cid)
                self.assertEqual(c["items"], items)
                self.assertEqual(c["cursel"], default)
                self.assertFalse(c["visible"], "the serial group stays hidden")
                self.assertEqual(c["enabled"], cid == IDC_PORT_LIST, "only the port list starts enabled")
        self.assertEqual(session.control(hwnd, IDC_SET_DEFAULT)["check"], 1, "Set Default Printer starts checked")

        # COM entries (index 3 and up) enable the five lists, LPT entries disable them again.
        for index in (3, 0, 6, 2, 4, 1, 5):
            with self.subTest(port_entry=index):
                session.select_combo(hwnd, IDC_PORT_LIST, index)
                for cid in SERIAL_LISTS:
                    c = session.combo(hwnd, cid)
                    self.assertEqual(c["enabled"], index > 2, f"list {cid}")
                    self.assertEqual(c["cursel"], SERIAL_ITEMS[cid][1], f"list {cid} keeps its entry")
                self.assertTrue(session.combo(hwnd, IDC_PORT_LIST)["enabled"])

        session.click_button(hwnd, IDC_EXIT)
        self.assertExits(program)

    def test_back_returns_to_select_os_and_a_fresh_page_follows(self):
        session = self.session(default_arch())
        program, page = self.open_detail(session)
        self.make_user_choices(session, page["hwnd"])

        session.click_button(page["hwnd"], IDC_BACK)
        session.wait_gone(page["hwnd"])
        program, again = self.open_detail(session, program)
        self.assertEqual(self.page_state(session, again["hwnd"]), self.fresh_state(),
                         "a new showing starts from the initial values")
        session.click_button(again["hwnd"], IDC_EXIT)
        self.assertExits(program)

    def test_exit_escape_and_close_box_end_the_program(self):
        ways = {
            "exit button": lambda s, page: s.click_button(page["hwnd"], IDC_EXIT),
            "escape key": lambda s, page: s.key(DETAIL_SETTING, "Escape"),
            "close box": lambda s, page: s.click_close_box(page["hwnd"]),
        }
        session = self.session(default_arch())
        for name, leave in ways.items():
            with self.subTest(way=name):
                program, page = self.open_detail(session)
                leave(session, page)
                seen = session.titles_until_exit(program, page["pid"])
                self.assertEqual(program.wait(), 0)
                self.assertNotIn(SELECT_OS, seen, "only < &Back goes back")

    def check_about(self, codepage):
        session = self.session(default_arch(), codepage=codepage)
        session.set_version("win7")
        program = start_with_menu_trace(session)
        program, page = self.open_detail(session, program)
        hwnd = page["hwnd"]
        caption, statics = about_template_texts()

        def traced_items():
            items = items_added_to_system_menu(program.log_path.read_text("utf-8", "replace"), hwnd)
            # The page is visible once its initialisation is over; the log may lag a little.
            return items if any(text for _, _, text in items) else None

        added = wait_until(traced_items, timeout=5, what="the page's text item in the traced system menu")
        self.assertEqual(len(added), 2, f"a separator and the About item: {added}")
        self.assertTrue(added[0][0] & MF_SEPARATOR, f"separator first: {added}")
        self.assertFalse(added[1][0] & MF_SEPARATOR)
        self.assertEqual(added[1][1], IDM_ABOUTBOX)
        self.assertEqual(added[1][2], "关于 VORNA(&A)...", "16-bit text whatever the code page")

        def about_box_roundtrip(open_it):
            open_it()
            about = session.wait_window(caption)
            self.assertEqual(about["pid"], page["pid"])
            try:
                # Static texts, not the icon (its text is the icon's resource ordinal).
                texts = [c["text"] for c in session.children(about["hwnd"])
                         if c["class"] == "Static" and c["style"] & SS_TYPEMASK != SS_ICON]
                self.assertEqual(texts, statics)
                self.assertTrue(all(has_cjk(t) for t in texts + [caption]), texts)
            finally:
                session.click_button(about["hwnd"], 1)
                session.wait_gone(about["hwnd"])
            self.assertTrue(program.running())
            self.assertEqual(session.find_visible(DETAIL_SETTING), hwnd, "the page stays")

        with self.subTest(open="system menu by keys"):
            # The page's item is the menu's last one: Up from the first item wraps to it.
            about_box_roundtrip(lambda: session.key(DETAIL_SETTING, "alt+space", "Up", "Return"))
        for command in (IDM_ABOUTBOX, IDM_ABOUTBOX | 0x0F):
            with self.subTest(open=f"WM_SYSCOMMAND {command:#x}"):
                about_box_roundtrip(lambda: session.probe.call("syscommand", hwnd, command))

        with self.subTest(open="another command id"):
            known = {w["hwnd"] for w in session.visible_windows(page["pid"])}
            session.probe.call("syscommand", hwnd, 0x20)
            time.sleep(1.0)
            self.assertEqual({w["hwnd"] for w in session.visible_windows(page["pid"])}, known,
                             "only command 16 opens the About box")

        session.click_button(hwnd, IDC_EXIT)
        self.assertExits(program)

    def test_about_box_on_the_chinese_code_page(self):
        self.check_about(936)

    def test_about_box_on_a_western_code_page(self):
        self.check_about(1252)

    def test_select_port_back_and_cancel_keep_every_choice(self):
        ways = {
            "< &Back": lambda s, port: s.click_button(port["hwnd"], IDC_PORT_PAGE_BACK),
            "&Cancel": lambda s, port: s.click_button(port["hwnd"], IDC_PORT_PAGE_CANCEL),
            "escape key": lambda s, port: s.key(SELECT_PORT, "Escape"),
            "close box": lambda s, port: s.click_close_box(port["hwnd"]),
        }
        session = self.session(default_arch())
        program, page = self.open_detail(session)
        hwnd = page["hwnd"]
        chosen = self.make_user_choices(session, hwnd)
        for name, leave in ways.items():
            with self.subTest(way=name):
                session.click_button(hwnd, IDC_NEXT)
                port = session.wait_window(SELECT_PORT)
                self.assertEqual(port["pid"], page["pid"])
                self.assertTrue(session.control(hwnd, IDC_NEXT)["visible"], "the page stays open underneath")
                self.assertFalse(session.probe.call("win", str(hwnd))["enabled"],
                                 "the page underneath takes no input while Select Port is open")
                leave(session, port)
                session.wait_gone(port["hwnd"])
                self.assertTrue(session.probe.call("win", str(hwnd))["enabled"], "the page takes input again")
                self.assertEqual(session.find_visible(DETAIL_SETTING), hwnd, "the same page, not a new one")
                self.assertEqual(self.page_state(session, hwnd), chosen)
                self.assertTrue(program.running())
        session.click_button(hwnd, IDC_EXIT)
        self.assertExits(program)


if __name__ == "__main__":
    unittest.main()
