#!/usr/bin/env python3
"""Checks a built VORNAPX package folder: the executable's PE headers, imports
and resources (dialog templates, list items, strings, icon, version), the
driver folders' file lists and stand-in files, the DPInst programs and the zip.

Usage: check_package.py [package folder] [unittest options]
The folder defaults to dist/VORNAPX of the source tree. Exits non-zero when
any check fails. Reads the PE files itself, with the standard library only.
"""
import os
import struct
import sys
import unittest
import zipfile
import zlib
from collections import namedtuple

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PACKAGE = os.path.join(ROOT, "dist", "VORNAPX")

# --- PE constants -----------------------------------------------------------

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
MAGIC_PE32 = 0x10B
MAGIC_PE32_PLUS = 0x20B
FILE_DLL = 0x2000
SUBSYSTEM_GUI = 2

DIR_EXPORT, DIR_IMPORT, DIR_RESOURCE, DIR_DELAY_IMPORT = 0, 1, 2, 13

RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST, RT_DLGINIT = 3, 5, 6, 14, 16, 24, 240

WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_DISABLED = 0x08000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_VSCROLL = 0x00200000
WS_SYSMENU = 0x00080000
WS_TABSTOP = 0x00010000
WS_EX_APPWINDOW = 0x00040000
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
DS_SHELLFONT = 0x48

BS_TYPEMASK = 0x0F
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0, 1, 3, 7, 9
BUTTON_TYPES = {0: "BS_PUSHBUTTON", 1: "BS_DEFPUSHBUTTON", 2: "BS_CHECKBOX", 3: "BS_AUTOCHECKBOX",
                4: "BS_RADIOBUTTON", 5: "BS_3STATE", 6: "BS_AUTO3STATE", 7: "BS_GROUPBOX",
                8: "BS_USERBUTTON", 9: "BS_AUTORADIOBUTTON", 11: "BS_OWNERDRAW"}
SS_TYPEMASK = 0x1F
SS_TEXT_TYPES = {0x0: "SS_LEFT", 0x1: "SS_CENTER", 0x2: "SS_RIGHT", 0xB: "SS_SIMPLE", 0xC: "SS_LEFTNOWORDWRAP"}
ES_AUTOHSCROLL = 0x80
ES_READONLY = 0x800
CBS_TYPEMASK = 0x3
CBS_DROPDOWNLIST = 0x3
CBS_SORT = 0x100
LVS_TYPEMASK = 0x3
LVS_REPORT = 0x1
LVS_SINGLESEL = 0x4
LVS_SHOWSELALWAYS = 0x8

# Ordinals of the predefined dialog control classes.
CLASS_ORDINALS = {0x80: "button", 0x81: "edit", 0x82: "static", 0x83: "listbox", 0x84: "scrollbar",
                  0x85: "combobox"}

# The add-string message that dialog initialisation data records carry.
DLGINIT_ADDSTRING = 0x0403

# DLLs every supported Windows (2000 and later) ships. No UCRT forwarders
# (api-ms-win-*, ucrtbase): Windows 2000 and XP lack them.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "comctl32.dll",
               "winspool.drv", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll", "shlwapi.dll",
               "version.dll"}


class PeError(Exception):
    pass


Section = namedtuple("Section", "name vaddr vsize raw_off raw_size")


class PeFile:
    """The parts of a PE image the checks need; raises PeError on a malformed file."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        try:
            self._parse_headers()
        except struct.error as e:
            raise PeError("%s: truncated PE headers (%s)" % (path, e))

    def _parse_headers(self):
        d = self.data
        if d[:2] != b"MZ":
            raise PeError("%s: no MZ signature" % self.path)
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise PeError("%s: no PE signature at 0x%x" % (self.path, pe))
        (self.machine, nsections, _, _, _, opt_size, self.characteristics) = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        if self.magic == MAGIC_PE32:
            dirs_at, count_at = 96, 92
        elif self.magic == MAGIC_PE32_PLUS:
            dirs_at, count_at = 112, 108
        else:
            raise PeError("%s: unknown optional header magic 0x%x" % (self.path, self.magic))
        self.os_version = struct.unpack_from("<HH", d, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", d, opt + 48)
        self.subsystem = struct.unpack_from("<H", d, opt + 68)[0]
        ndirs = struct.unpack_from("<I", d, opt + count_at)[0]
        self.dirs = [struct.unpack_from("<II", d, opt + dirs_at + 8 * i) for i in range(min(ndirs, 16))]
        self.sections = []
        at = opt + opt_size
        for i in range(nsections):
            name, vsize, vaddr, raw_size, raw_off = struct.unpack_from("<8sIIII", d, at + 40 * i)
            self.sections.append(Section(name.rstrip(b"\0").decode("latin-1"), vaddr, vsize, raw_off, raw_size))

    @property
    def is_dll(self):
        return bool(self.characteristics & FILE_DLL)

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) else (0, 0)

    def offset(self, rva):
        for s in self.sections:
            if s.vaddr <= rva < s.vaddr + max(s.vsize, s.raw_size):
                off = rva - s.vaddr
                if off >= s.raw_size:
                    raise PeError("%s: RVA 0x%x lies in uninitialised data" % (self.path, rva))
                return s.raw_off + off
        raise PeError("%s: RVA 0x%x is in no section" % (self.path, rva))

    def cstring(self, rva):
        at = self.offset(rva)
        end = self.data.find(b"\0", at)
        if end < 0:
            raise PeError("%s: unterminated string at RVA 0x%x" % (self.path, rva))
        return self.data[at:end].decode("latin-1")

    def imported_dlls(self):
        """Names of every DLL imported, directly or delay-loaded."""
        names = []
        rva, _ = self.directory(DIR_IMPORT)
        if rva:
            at = self.offset(rva)
            while True:
                desc = struct.unpack_from("<IIIII", self.data, at)
                if not any(desc):
                    break
                names.append(self.cstring(desc[3]))
                at += 20
        rva, _ = self.directory(DIR_DELAY_IMPORT)
        if rva:
            at = self.offset(rva)
            while True:
                desc = struct.unpack_from("<8I", self.data, at)
                if not any(desc):
                    break
                names.append(self.cstring(desc[1]))
                at += 32
        return names

    def exported_names(self):
        rva, _ = self.directory(DIR_EXPORT)
        if not rva:
            return []
        at = self.offset(rva)
        (_, _, _, _, _, _, _, nnames, _, names_rva, _) = struct.unpack_from("<IIHHIIIIIII", self.data, at)
        table = self.offset(names_rva) if nnames else 0
        return [self.cstring(struct.unpack_from("<I", self.data, table + 4 * i)[0]) for i in range(nnames)]

    def resources(self):
        """{type: {name: {language: bytes}}}; ids are ints, named entries strs."""
        rva, _ = self.directory(DIR_RESOURCE)
        if not rva:
            return {}
        base = self.offset(rva)
        d = self.data

        def entries(at):
            _, _, _, _, named, ids = struct.unpack_from("<IIHHHH", d, base + at)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", d, base + at + 16 + 8 * i)
                if name & 0x80000000:
                    so = base + (name & 0x7FFFFFFF)
                    n = struct.unpack_from("<H", d, so)[0]
                    name = d[so + 2:so + 2 + 2 * n].decode("utf-16-le")
                yield name, target

        def leaf(target):
            if target & 0x80000000:
                raise PeError("%s: resource tree deeper than three levels" % self.path)
            data_rva, data_size, _, _ = struct.unpack_from("<IIII", d, base + target)
            at = self.offset(data_rva)
            return d[at:at + data_size]

        tree = {}
        for rtype, t1 in entries(0):
            for rname, t2 in entries(t1 & 0x7FFFFFFF):
                for lang, t3 in entries(t2 & 0x7FFFFFFF):
                    tree.setdefault(rtype, {}).setdefault(rname, {})[lang] = leaf(t3)
        return tree


def load_pe(path):
    try:
        return PeFile(path)
    except (OSError, PeError) as e:
        raise AssertionError(str(e))


def machine_text(pe):
    names = {MACHINE_I386: "i386", MACHINE_AMD64: "AMD64"}
    kind = {MAGIC_PE32: "PE32", MAGIC_PE32_PLUS: "PE32+"}[pe.magic]
    return "%s %s" % (kind, names.get(pe.machine, "machine 0x%x" % pe.machine))


# --- resource formats -------------------------------------------------------

class Reader:
    def __init__(self, data, at=0):
        self.data, self.at = data, at

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def wstring(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            if end + 2 > len(self.data):
                raise PeError("unterminated 16-bit string")
            end += 2
        text = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return text

    def sz_or_ord(self):
        first = struct.unpack_from("<H", self.data, self.at)[0]
        if first == 0xFFFF:
            self.at += 2
            return self.take("H")
        return self.wstring()

    def align(self, n=4):
        self.at = (self.at + n - 1) // n * n


Dialog = namedtuple("Dialog", "style exstyle cx cy caption point_size typeface controls")
Control = namedtuple("Control", "id cls text style exstyle")


def parse_dialog(data):
    """A DLGTEMPLATEEX; raises PeError for the plain DLGTEMPLATE form."""
    r = Reader(data)
    version, signature = r.take("HH")
    if (version, signature) != (1, 0xFFFF):
        raise PeError("not a DLGTEMPLATEEX (version %d, signature 0x%x)" % (version, signature))
    _, exstyle, style, count = r.take("IIIH")
    _, _, cx, cy = r.take("hhhh")
    r.sz_or_ord()  # menu
    r.sz_or_ord()  # window class
    caption = r.wstring()
    point_size, typeface = None, None
    if style & DS_SETFONT or style & DS_SHELLFONT == DS_SHELLFONT:
        point_size, _, _, _ = r.take("HHBB")
        typeface = r.wstring()
    controls = []
    for _ in range(count):
        r.align()
        _, ex, st = r.take("III")
        r.take("hhhh")
        cid = r.take("I")
        cls = r.sz_or_ord()
        if isinstance(cls, int):
            cls = CLASS_ORDINALS.get(cls, "class ordinal 0x%x" % cls)
        text = r.sz_or_ord()
        if isinstance(text, int):
            text = "#%d" % text
        extra = r.take("H")
        r.at += extra
        controls.append(Control(cid, cls, text, st, ex))
    return Dialog(style, exstyle, cx, cy, caption, point_size, typeface, controls)


def parse_string_block(data):
    r = Reader(data)
    strings = []
    for _ in range(16):
        n = r.take("H")
        strings.append(data[r.at:r.at + 2 * n].decode("utf-16-le"))
        r.at += 2 * n
    return strings


VersionNode = namedtuple("VersionNode", "key value children")


def parse_version_node(data, at=0):
    length, value_length, vtype = struct.unpack_from("<HHH", data, at)
    end = at + length
    r = Reader(data, at + 6)
    key = r.wstring()
    r.align()
    if vtype == 1:
        # Text values: compilers disagree on whether the length counts bytes
        # or characters, so read up to the terminating NUL inside the node.
        value = r.wstring() if value_length else ""
    else:
        value = data[r.at:r.at + value_length]
        r.at += value_length
    children = []
    r.align()
    while r.at + 6 <= end:
        child, child_end = parse_version_node(data, r.at)
        children.append(child)
        r.at = child_end
        r.align()
    return VersionNode(key, value, children), end


def parse_dlginit(data):
    """[(control id, message, text bytes without NUL)] and the bytes after the terminator."""
    r = Reader(data)
    records = []
    while True:
        if r.at + 2 > len(data):
            raise PeError("initialisation data has no terminating zero WORD")
        cid = r.take("H")
        if cid == 0:
            return records, data[r.at:]
        message, length = r.take("HI")
        text = data[r.at:r.at + length]
        if len(text) != length:
            raise PeError("record of control %d claims %d bytes, only %d left" % (cid, length, len(text)))
        r.at += length
        records.append((cid, message, text))


# --- expected dialog templates ------------------------------------------------

# What each kind of control is: window class, and the BS_/SS_ type where it matters.
KINDS = {
    "group box": ("button", BS_GROUPBOX),
    "auto radio": ("button", BS_AUTORADIOBUTTON),
    "auto check": ("button", BS_AUTOCHECKBOX),
    "push": ("button", BS_PUSHBUTTON),
    "static": ("static", None),
    "edit": ("edit", None),
    "drop-down list": ("combobox", None),
    "list view": ("SysListView32", None),
    "progress bar": ("msctls_progress32", None),
    "trackbar": ("msctls_trackbar32", None),
}

Expected = namedtuple("Expected", "id kind text hidden disabled style_on style_off")
NO_ID = None
HIDDEN = "hidden"


def c(cid, kind, text="", *state, on=0, off=0):
    return Expected(cid, kind, text, HIDDEN in state, "disabled" in state, on, off)


SUITABLE = "This Driver is suitable for Windows x86 and x64 OS."
LIST_VIEW = LVS_REPORT | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP
COMBO_LIST = WS_VSCROLL  # the drop-down-list type and CBS_SORT are checked for every combo box

CONTROLS = {
    129: [
        c(NO_ID, "group box", "Select OS"),
        c(1020, "auto radio", "Windows Vista"),
        c(1000, "auto radio", "Windows 95", HIDDEN),
        c(1001, "auto radio", "Windows 98", HIDDEN),
        c(1002, "auto radio", "Windows NT4.0", HIDDEN),
        c(1003, "auto radio", "Windows 2000"),
        c(1004, "auto radio", "Windows XP"),
        c(1011, "auto radio", "Windows 2003"),
        c(1007, "trackbar", "Slider1", HIDDEN),
        c(1008, "push", "< &Back", HIDDEN, "disabled"),
        c(1009, "push", "Install Printer Driver (&N) >"),
        c(1010, "push", "&Exit"),
        c(1005, "auto radio", "Windows 7"),
        c(1006, "auto radio", "Windows 8"),
        c(NO_ID, "static", SUITABLE),
        c(1022, "push", "Install USB Virtual Serial Port Driver", HIDDEN),
        c(1023, "push", "Button5", HIDDEN),
        c(1013, "edit", "", HIDDEN),
    ],
    102: [
        c(1011, "drop-down list", on=COMBO_LIST),
        c(NO_ID, "group box", "Printer Setting"),
        c(NO_ID, "group box", "打印机端口设置", HIDDEN),
        c(NO_ID, "static", "Install Module"),
        c(1012, "auto check", "Set Default Printer"),
        c(NO_ID, "static", "Printer Name"),
        c(1013, "edit", "", on=ES_READONLY | ES_AUTOHSCROLL),
        c(1014, "drop-down list", "", HIDDEN, on=COMBO_LIST),
        c(1015, "drop-down list", "", HIDDEN, on=COMBO_LIST),
        c(1016, "drop-down list", "", HIDDEN, on=COMBO_LIST),
        c(1017, "drop-down list", "", HIDDEN, on=COMBO_LIST),
        c(1018, "drop-down list", "", HIDDEN, on=COMBO_LIST),
        c(1019, "drop-down list", "", HIDDEN, on=COMBO_LIST),
        c(NO_ID, "static", "端口", HIDDEN),
        c(NO_ID, "static", "波特率", HIDDEN),
        c(NO_ID, "static", "字节长度", HIDDEN),
        c(NO_ID, "static", "停止位", HIDDEN),
        c(NO_ID, "static", "校验位", HIDDEN),
        c(NO_ID, "static", "流控制", HIDDEN),
        c(1008, "push", "< &Back"),
        c(1009, "push", "&Next >"),
        c(1010, "push", "&Exit"),
        c(NO_ID, "static", SUITABLE),
    ],
    139: [
        c(NO_ID, "static", "Specify Port "),
        c(1021, "list view", on=LIST_VIEW | LVS_SHOWSELALWAYS),
        c(1008, "push", "Create Port..."),
        c(1009, "push", "Configure Port..."),
        c(1010, "push", "< &Back"),
        c(1022, "push", "&Install"),
        c(1023, "push", "&Cancel"),
        c(1007, "trackbar", "Slider1", HIDDEN),
        c(1025, "progress bar", on=WS_BORDER),
        c(NO_ID, "static", "A port is used to connect a printer to the computer."),
        c(NO_ID, "static", "Specify the port that you are using.If you are connecting using TCP/IP or "),
        c(NO_ID, "static", "another port type not listed below,creat a new port."),
        c(NO_ID, "static", SUITABLE),
    ],
    138: [
        # The selection shows only while the list has the focus.
        c(1021, "list view", on=LIST_VIEW, off=LVS_SHOWSELALWAYS),
        c(1008, "push", "New Port..."),
        c(1009, "push", "Close"),
    ],
}

# Template: caption, size in dialog units (None: not fixed), extra style, extra extended style.
FRAMES = {
    100: ("关于 VORNAPX", None, 0, 0),
    102: ("Detail Setting (x86/x64)", (364, 239), WS_VISIBLE, WS_EX_APPWINDOW),
    129: ("Select OS (x86/x64)", (251, 190), 0, 0),
    138: ("Create Port", (254, 133), 0, 0),
    139: ("Select Port (x86/x64)", (320, 214), 0, 0),
}
FRAME_STYLE = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU

# Items of the Detail Setting page's lists, in order; the model list's six
# placeholders are free text.
LIST_ITEMS = {
    1014: ["LPT1", "LPT2", "LPT3", "COM1", "COM2", "COM3", "COM4"],
    1015: ["300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"],
    1016: ["5", "6", "7", "8"],
    1017: ["None", "XonXoff", "Hardware"],
    1018: ["Even", "Mark", "None", "Odd", "Space"],
    1019: ["1", "1.5", "2"],
}
PLACEHOLDER_COUNT = 1011, 6

# --- expected package layout --------------------------------------------------

DRIVER_DLLS = ["ZR1.DLL", "Z106.DLL", "ZR2.DLL", "ZR3.DLL", "uniDRVui.DLL", "uniDRV.DLL", "UNIRES.DLL",
               "RDRPLUG.dll"]
MODEL_GPDS = ["Z1%02d.GPD" % n for n in range(1, 18)]
DRIVER_TEXTS = ["UNIDRV.HLP", "TTFSUB.GPD", "STDNAMES.GPD", "RDRPLUG.ini"]
DRIVER_FILES = set(DRIVER_DLLS + MODEL_GPDS + DRIVER_TEXTS)
ARCHES = {"x86": (MAGIC_PE32, MACHINE_I386), "x64": (MAGIC_PE32_PLUS, MACHINE_AMD64)}
CONFIG_MODULE = "uniDRVui.DLL"
CONFIG_EXPORTS = ["DrvDocumentPropertySheets", "DrvDeviceCapabilities"]
DPINST = {
    "USB Driver/x86/dpinstx86.exe": "x86",
    "USB Driver/x64/dpinstx64.exe": "x64",
    "USBdriver/x86/dpinst.exe": "x86",
}
TOP_LEVEL = {"VORNAPX.exe", "Printer Driver", "USB Driver", "USBdriver"}


def package_files(folder):
    """Every file below folder, as '/'-separated relative paths."""
    found = set()
    for dirpath, _, files in os.walk(folder):
        for name in files:
            rel = os.path.relpath(os.path.join(dirpath, name), folder)
            found.add(rel.replace(os.sep, "/"))
    return found


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as e:
        raise AssertionError("cannot read %s: %s" % (path, e.strerror))


def describe_set_difference(actual, expected):
    parts = []
    missing = sorted(expected - actual)
    extra = sorted(actual - expected)
    if missing:
        parts.append("missing " + ", ".join(missing))
    if extra:
        parts.append("unexpected " + ", ".join(extra))
    return "; ".join(parts)


# --- the checks ---------------------------------------------------------------

class ExecutableTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = load_pe(os.path.join(PACKAGE, "VORNAPX.exe"))
        try:
            cls.res = cls.pe.resources()
        except (PeError, struct.error) as e:
            raise AssertionError("VORNAPX.exe: unreadable resources: %s" % e)

    def resource(self, rtype, name):
        langs = self.res.get(rtype, {}).get(name)
        self.assertTrue(langs, "VORNAPX.exe has no resource of type %d named %r" % (rtype, name))
        self.assertEqual(len(langs), 1, "resource %d/%r exists in several languages: %s" % (rtype, name, list(langs)))
        return next(iter(langs.values()))

    def dialog(self, template):
        try:
            return parse_dialog(self.resource(RT_DIALOG, template))
        except (PeError, struct.error) as e:
            self.fail("dialog %d: %s" % (template, e))

    def test_is_a_32_bit_gui_program_that_windows_2000_loads(self):
        pe = self.pe
        self.assertEqual((pe.magic, pe.machine), (MAGIC_PE32, MACHINE_I386),
                         "VORNAPX.exe is %s, expected PE32 i386" % machine_text(pe))
        self.assertFalse(pe.is_dll, "VORNAPX.exe is marked as a DLL")
        self.assertEqual(pe.subsystem, SUBSYSTEM_GUI, "VORNAPX.exe subsystem is %d, expected 2 (GUI)" % pe.subsystem)
        # The loader of Windows 2000 (5.0) refuses images that ask for a later version.
        for what, version in (("operating system", pe.os_version), ("subsystem", pe.subsystem_version)):
            self.assertLessEqual(version, (5, 0), "VORNAPX.exe requires %s version %d.%d" % ((what,) + version))

    def test_imports_only_system_dlls(self):
        imported = self.pe.imported_dlls()
        self.assertIn("kernel32.dll", [n.lower() for n in imported], "imports: %s" % imported)
        foreign = [n for n in imported if n.lower() not in SYSTEM_DLLS]
        if foreign:
            self.fail("VORNAPX.exe imports DLLs that are not part of Windows: %s" % foreign)

    def test_has_no_manifest(self):
        self.assertFalse(RT_MANIFEST in self.res,
                         "VORNAPX.exe carries an RT_MANIFEST resource %s" % list(self.res.get(RT_MANIFEST, {})))

    def test_version_resource(self):
        try:
            root, _ = parse_version_node(self.resource(RT_VERSION, 1))
        except (PeError, struct.error) as e:
            self.fail("version resource: %s" % e)
        self.assertEqual(root.key, "VS_VERSION_INFO")
        fixed = root.value
        self.assertGreaterEqual(len(fixed), 52, "version resource has no fixed file info")
        signature, _, file_ms, file_ls, prod_ms, prod_ls = struct.unpack_from("<6I", fixed)
        self.assertEqual(signature, 0xFEEF04BD, "bad fixed file info signature")

        def dotted(ms, ls):
            return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        self.assertEqual(dotted(file_ms, file_ls), "10.0.0.0", "FILEVERSION")
        self.assertEqual(dotted(prod_ms, prod_ls), "10.0.0.0", "PRODUCTVERSION")
        strings = {}
        for info in root.children:
            if info.key == "StringFileInfo":
                for table in info.children:
                    for s in table.children:
                        strings[s.key] = s.value
        expected = {"ProductName": "VORNAPX", "FileVersion": "10.0.0.0", "ProductVersion": "10.0.0.0"}
        self.assertEqual({k: strings.get(k) for k in expected}, expected, "version strings: %s" % strings)

    def test_icon_group_128_refers_to_icons_present(self):
        group = self.resource(RT_GROUP_ICON, 128)
        reserved, kind, count = struct.unpack_from("<HHH", group)
        self.assertEqual((reserved, kind), (0, 1), "icon group 128 has a bad header")
        self.assertGreater(count, 0, "icon group 128 holds no image")
        icons = self.res.get(RT_ICON, {})
        for i in range(count):
            size, icon_id = struct.unpack_from("<IH", group, 6 + 14 * i + 8)
            self.assertIn(icon_id, icons, "icon group 128 names icon %d, which is missing" % icon_id)
            self.assertEqual(len(next(iter(icons[icon_id].values()))), size, "icon %d has the wrong size" % icon_id)

    def test_about_menu_string_101(self):
        block = parse_string_block(self.resource(RT_STRING, 101 // 16 + 1))
        self.assertEqual(block[101 % 16], "关于 VORNA(&A)...", "string 101")

    def test_dialog_frames(self):
        for template, (caption, size, style, exstyle) in FRAMES.items():
            with self.subTest(template=template):
                dlg = self.dialog(template)
                self.assertEqual(dlg.caption, caption, "dialog %d caption" % template)
                self.assertEqual((dlg.typeface, dlg.point_size), ("宋体", 9), "dialog %d font" % template)
                if size:
                    self.assertEqual((dlg.cx, dlg.cy), size, "dialog %d size in dialog units" % template)
                want = FRAME_STYLE | style
                self.assertEqual(dlg.style & want, want,
                                 "dialog %d style 0x%08x lacks 0x%08x" % (template, dlg.style, want & ~dlg.style))
                self.assertEqual(dlg.exstyle & exstyle, exstyle,
                                 "dialog %d extended style 0x%08x lacks 0x%08x" % (template, dlg.exstyle, exstyle))

    def test_about_box_has_an_ok_button(self):
        ids = [ctl.id for ctl in self.dialog(100).controls if ctl.cls == "button"]
        self.assertIn(1, ids, "About box has no OK button (id 1); button ids: %s" % ids)

    def test_dialog_controls(self):
        for template, expected in CONTROLS.items():
            with self.subTest(template=template):
                actual = self.dialog(template).controls
                self.assertEqual(len(actual), len(expected),
                                 "dialog %d has %d controls, expected %d: %s"
                                 % (template, len(actual), len(expected), [(a.id, a.text) for a in actual]))
                for index, (want, got) in enumerate(zip(expected, actual)):
                    with self.subTest(template=template, control=index):
                        self.check_control(template, index, want, got)

    def check_control(self, template, index, want, got):
        where = "dialog %d control #%d (%r)" % (template, index, want.text or want.id)
        got_id = None if got.id in (0xFFFF, 0xFFFFFFFF) else got.id
        self.assertEqual(got_id, want.id, "%s: id" % where)
        cls, btype = KINDS[want.kind]
        self.assertEqual(got.cls.lower(), cls.lower(), "%s: window class" % where)
        self.assertEqual(got.text, want.text, "%s: text" % where)
        self.assertEqual(not (got.style & WS_VISIBLE), want.hidden,
                         "%s: expected %s" % (where, "hidden" if want.hidden else "visible (WS_VISIBLE)"))
        self.assertEqual(bool(got.style & WS_DISABLED), want.disabled,
                         "%s: expected %s" % (where, "disabled" if want.disabled else "enabled"))
        if btype is not None:
            kind = got.style & BS_TYPEMASK
            self.assertEqual(kind, btype, "%s: button kind is %s, expected %s"
                             % (where, BUTTON_TYPES.get(kind, kind), BUTTON_TYPES[btype]))
        if cls == "static":
            self.assertIn(got.style & SS_TYPEMASK, SS_TEXT_TYPES,
                          "%s: static style 0x%x is not a text" % (where, got.style))
        if cls == "combobox":
            self.assertEqual(got.style & CBS_TYPEMASK, CBS_DROPDOWNLIST, "%s: not CBS_DROPDOWNLIST" % where)
            self.assertFalse(got.style & CBS_SORT, "%s: sorted (CBS_SORT)" % where)
        if cls == "SysListView32":
            self.assertEqual(got.style & LVS_TYPEMASK, LVS_REPORT, "%s: not LVS_REPORT" % where)
        self.assertEqual(got.style & want.style_on, want.style_on,
                         "%s: style 0x%08x lacks 0x%08x" % (where, got.style, want.style_on & ~got.style))
        self.assertFalse(got.style & want.style_off,
                         "%s: style 0x%08x has 0x%08x" % (where, got.style, got.style & want.style_off))

    def test_detail_setting_list_items(self):
        try:
            records, tail = parse_dlginit(self.resource(RT_DLGINIT, 102))
        except (PeError, struct.error) as e:
            self.fail("initialisation data of dialog 102: %s" % e)
        self.assertFalse(tail.strip(b"\0"), "bytes after the terminating zero: %r" % tail)
        items = {}
        for cid, message, text in records:
            self.assertEqual(message, DLGINIT_ADDSTRING, "control %d: message 0x%04x" % (cid, message))
            self.assertTrue(text.endswith(b"\0") and b"\0" not in text[:-1],
                            "control %d: item %r is not one NUL-terminated text" % (cid, text))
            items.setdefault(cid, []).append(text[:-1].decode("latin-1"))
        placeholder_id, placeholder_count = PLACEHOLDER_COUNT
        self.assertEqual(set(items), set(LIST_ITEMS) | {placeholder_id}, "lists with items")
        for cid, want in LIST_ITEMS.items():
            with self.subTest(list=cid):
                self.assertEqual(items.get(cid), want, "items of list %d" % cid)
        with self.subTest(list=placeholder_id):
            placeholders = items.get(placeholder_id, [])
            self.assertEqual(len(placeholders), placeholder_count, "placeholders of list %d: %s"
                             % (placeholder_id, placeholders))
            self.assertTrue(all(placeholders), "empty placeholder in list %d" % placeholder_id)


class PackageLayoutTest(unittest.TestCase):
    def assert_lists(self, folder, expected):
        path = os.path.join(PACKAGE, folder)
        actual = set(os.listdir(path)) if os.path.isdir(path) else set()
        if actual != expected:
            self.fail("%s: %s" % (folder, describe_set_difference(actual, expected)))

    def assert_machine(self, pe, rel, expected):
        if (pe.magic, pe.machine) != expected:
            self.fail("%s is %s, expected %s" % (rel, machine_text(pe),
                                                  "PE32 i386" if expected[0] == MAGIC_PE32 else "PE32+ AMD64"))

    def test_top_level(self):
        self.assert_lists(".", TOP_LEVEL)
        self.assert_lists("Printer Driver", set(ARCHES))
        self.assert_lists("USB Driver", set(ARCHES))
        self.assert_lists("USBdriver", {"x86"})

    def test_driver_folders_hold_exactly_the_copied_files(self):
        for arch in ARCHES:
            with self.subTest(arch=arch):
                self.assert_lists("Printer Driver/" + arch, DRIVER_FILES)

    def test_driver_dlls_match_their_folder(self):
        for arch, (magic, machine) in ARCHES.items():
            for name in DRIVER_DLLS:
                with self.subTest(arch=arch, file=name):
                    path = os.path.join(PACKAGE, "Printer Driver", arch, name)
                    pe = load_pe(path)
                    self.assert_machine(pe, "%s/%s" % (arch, name), (magic, machine))
                    self.assertTrue(pe.is_dll, "%s/%s is not marked as a DLL" % (arch, name))
                    marker = ("VORNAPX stand-in %s (%s)" % (name, arch)).encode()
                    self.assertIn(marker, pe.data, "%s/%s lacks %r" % (arch, name, marker.decode()))

    def test_text_files_name_their_arch(self):
        for arch in ARCHES:
            other = "(x64)" if arch == "x86" else "(x86)"
            for name in MODEL_GPDS + DRIVER_TEXTS:
                with self.subTest(arch=arch, file=name):
                    text = read_file(os.path.join(PACKAGE, "Printer Driver", arch, name)).decode("latin-1")
                    names = "ZRT-" + name[1:4] if name in MODEL_GPDS else name
                    self.assertIn("VORNAPX stand-in", text, "%s/%s is no stand-in" % (arch, name))
                    self.assertIn(names, text, "%s/%s does not name %s" % (arch, name, names))
                    self.assertIn("(%s)" % arch, text, "%s/%s does not name %s" % (arch, name, arch))
                    self.assertNotIn(other, text, "%s/%s names the other architecture" % (arch, name))

    def test_config_module_exports_undecorated_entry_points(self):
        for arch in ARCHES:
            with self.subTest(arch=arch):
                pe = load_pe(os.path.join(PACKAGE, "Printer Driver", arch, CONFIG_MODULE))
                try:
                    exported = pe.exported_names()
                except (PeError, struct.error) as e:
                    self.fail("%s/%s: unreadable export table: %s" % (arch, CONFIG_MODULE, e))
                missing = [n for n in CONFIG_EXPORTS if n not in exported]
                if missing:
                    self.fail("%s/%s does not export %s; it exports %s" % (arch, CONFIG_MODULE, missing, exported))

    def test_dpinst_programs(self):
        for rel, arch in DPINST.items():
            with self.subTest(file=rel):
                self.assert_lists(os.path.dirname(rel), {os.path.basename(rel)})
                pe = load_pe(os.path.join(PACKAGE, rel))
                self.assert_machine(pe, rel, ARCHES[arch])
                self.assertFalse(pe.is_dll, "%s is marked as a DLL" % rel)


class ZipTest(unittest.TestCase):
    def test_zip_holds_the_folder(self):
        path = os.path.join(os.path.dirname(os.path.abspath(PACKAGE)), "VORNAPX.zip")
        if not os.path.exists(path):
            self.skipTest("no %s" % path)
        try:
            with zipfile.ZipFile(path) as z:
                entries = {i.filename: i for i in z.infolist() if not i.is_dir()}
        except zipfile.BadZipFile as e:
            self.fail("%s: %s" % (path, e))
        expected = {"VORNAPX/" + rel for rel in package_files(PACKAGE)}
        if set(entries) != expected:
            self.fail("VORNAPX.zip: " + describe_set_difference(set(entries), expected))
        stale = [name for name in sorted(expected)
                 if zlib.crc32(read_file(os.path.join(PACKAGE, name[len("VORNAPX/"):]))) != entries[name].CRC]
        if stale:
            self.fail("VORNAPX.zip differs from the folder (rebuild the zip target) in: %s" % ", ".join(stale))


def main():
    global PACKAGE
    args = sys.argv[1:]
    folders = [a for a in args if not a.startswith("-")]
    if len(folders) > 1:
        sys.exit("usage: check_package.py [package folder] [unittest options]")
    if folders:
        PACKAGE = os.path.abspath(folders[0])
    if not os.path.isdir(PACKAGE):
        sys.exit("check_package.py: no package folder %s" % PACKAGE)
    print("checking %s" % PACKAGE)
    unittest.main(argv=[sys.argv[0]] + [a for a in args if a.startswith("-")])


if __name__ == "__main__":
    main()
