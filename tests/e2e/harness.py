"""Test bed for end-to-end tests of VORNAPX.exe under Wine and Xvfb.

A test asks for a WineSession (a fresh copy of a cached Wine prefix, its own
Xvfb display and a running probe.exe in that prefix), sets the Windows version,
ports and registry it needs, starts the program, drives it with real keys and
clicks (xdotool) or posted messages (probe), and reads back windows, controls,
the spooler, the registry and the program's debug lines.

Environment (all optional):
  VORNAPX_DIST         package folder holding VORNAPX.exe (default build/win/dist/VORNAPX)
  VORNAPX_PROBE        a prebuilt probe.exe (used where its bitness fits; otherwise
                       the harness compiles probe/probe.cpp with mingw-w64 itself)
  VORNAPX_E2E_CACHE    prefix templates, compiled probes and per-test work folders
                       (default build/win/e2e)
  VORNAPX_E2E_ARCHS    prefix kinds to test, space separated (default "win32 win64")
  VORNAPX_E2E_KEEP=1   keep the prefix copy of a passing test as well

Run the prefix templates once:  python3 -m tests.e2e.harness build-templates
"""

import contextlib
import fcntl
import hashlib
import json
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
HERE = Path(__file__).resolve().parent

WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"

# Every version the program must classify, as Wine's HKCU\Software\Wine "Version" names them.
WINE_VERSIONS = ("win95", "win98", "winme", "nt40", "win2k", "winxp", "win2003",
                 "vista", "win7", "win8", "win81", "win10")

PORTS_KEY = r"Software\Microsoft\Windows NT\CurrentVersion\Ports"
WINDOWS_KEY = r"Software\Microsoft\Windows NT\CurrentVersion\Windows"

WINDOW_TIMEOUT = 20.0
EXIT_TIMEOUT = 15.0

# Bump when the template's contents change; part of the cache key.
TEMPLATE_REV = "3"

# Wine has no window manager to talk to on Xvfb: unmanaged windows get Wine's own
# caption (a real close box to click) and close at once instead of waiting 2 s for a
# window manager that never answers. "宋体"/"SimSun" need a CJK font to render.
TEMPLATE_REG = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"\u5b8b\u4f53"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
"""

# Wine takes the code page from LC_ALL (LANG alone is ignored when the C library
# lacks that locale, and the registry's Nls values are rewritten at start-up).
CODEPAGE_LOCALES = {936: "zh_CN.UTF-8", 1252: "en_US.UTF-8"}


class HarnessError(RuntimeError):
    """The test bed itself cannot run: missing tool, exe, or unsupported host."""


class ProbeError(RuntimeError):
    """The probe answered a command with an error."""


# ---- configuration ----------------------------------------------------------------

def dist_dir():
    return Path(os.environ.get("VORNAPX_DIST", ROOT / "build/win/dist/VORNAPX"))


def program_exe(package=None):
    return Path(package or dist_dir()) / "VORNAPX.exe"


def cache_dir():
    path = Path(os.environ.get("VORNAPX_E2E_CACHE", ROOT / "build/win/e2e"))
    path.mkdir(parents=True, exist_ok=True)
    return path


def enabled_archs():
    return os.environ.get("VORNAPX_E2E_ARCHS", "win32 win64").split()


def default_arch():
    """The prefix kind a test uses when any will do: the program's own home is a
    32-bit Windows; 64-bit only where that is all there is."""
    archs = enabled_archs()
    return "win32" if "win32" in archs else archs[0]


def runnable_build():
    """(prefix kind, package folder) this host can run: the shipped program, or
    its 64-bit build where the kernel runs no 32-bit code."""
    if host_runs_i386():
        return "win32", ROOT / "dist" / "VORNAPX"
    return "win64", ROOT / "build" / "win64" / "dist" / "VORNAPX"


def pe_machine(path):
    """'i386' or 'amd64' from a PE file's header."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ":
        raise HarnessError(f"{path} is not a Windows executable")
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    machine = struct.unpack_from("<H", head, offset + 4)[0]
    return {0x14C: "i386", 0x8664: "amd64"}.get(machine, hex(machine))


_host_i386 = None


def host_runs_i386():
    """Whether this Linux can execute 32-bit x86 code at all (Wine's 32-bit side needs it)."""
    global _host_i386
    if _host_i386 is None:
        try:
            subprocess.run([WINE32_LOADER, "--version"], capture_output=True, timeout=30)
            _host_i386 = True
        except OSError:
            _host_i386 = False
    return _host_i386


def require_tools():
    missing = [t for t in ("Xvfb", "xdotool", "import") if not shutil.which(t)]
    missing += [p for p in (WINE64_LOADER, WINESERVER) if not os.path.exists(p)]
    if missing:
        raise HarnessError("missing for the end-to-end tests: " + ", ".join(missing)
                           + " (run tools/bootstrap.sh)")


def require_program(package=None):
    exe = program_exe(package)
    if not exe.is_file():
        raise HarnessError(f"{exe} does not exist: build it (tools/build.sh) or set VORNAPX_DIST")
    return exe


def require_arch_runs(arch, exe_machine):
    """Refuse loudly what this host cannot run, instead of letting Wine fail obscurely."""
    needs_i386 = arch == "win32" or exe_machine == "i386"
    if needs_i386 and not host_runs_i386():
        raise HarnessError(
            f"this host cannot execute 32-bit x86 code (the kernel refuses i386 programs), so Wine "
            f"cannot run a {exe_machine} program in a {arch} prefix here; only 64-bit programs in "
            f"win64 prefixes can run (set VORNAPX_E2E_ARCHS=win64 and a 64-bit build)")


def loader_for(arch, machine):
    if arch == "win32":
        return WINE32_LOADER
    # The 64-bit loader hands 32-bit programs to the 32-bit one by itself.
    return WINE64_LOADER


@contextlib.contextmanager
def file_lock(path):
    with open(path, "w") as f:
        fcntl.flock(f, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(f, fcntl.LOCK_UN)


def wine_version():
    out = subprocess.run([WINE64_LOADER, "--version"], capture_output=True, text=True, timeout=60)
    return out.stdout.strip()


# ---- prefix templates ---------------------------------------------------------------

def template_key(arch):
    h = hashlib.sha256()
    for part in (TEMPLATE_REV, arch, wine_version(), TEMPLATE_REG, json.dumps(CODEPAGE_LOCALES)):
        h.update(part.encode() + b"\0")
    return h.hexdigest()[:12]


def base_env(prefix, arch, display=None, codepage=936):
    env = dict(os.environ)
    for var in ("LANG", "LANGUAGE", "LC_CTYPE", "LC_MESSAGES"):
        env.pop(var, None)
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": "-all",
        # No Mono or Gecko installer prompts, no menu entries on the host.
        "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=",
        "LC_ALL": CODEPAGE_LOCALES[codepage],
        "LANG": CODEPAGE_LOCALES[codepage],
    })
    if arch == "win32":
        env["WINEARCH"] = "win32"
    else:
        env.pop("WINEARCH", None)
    if display is None:
        env.pop("DISPLAY", None)
    else:
        env["DISPLAY"] = f":{display}"
    return env


def ensure_template(arch):
    """Path of the cached, fully booted prefix of that kind; builds it when stale or missing."""
    if arch not in ("win32", "win64"):
        raise HarnessError(f"unknown prefix kind {arch}")
    if arch == "win32" and not host_runs_i386():
        require_arch_runs(arch, "i386")
    root = cache_dir() / "templates"
    root.mkdir(exist_ok=True)
    final = root / f"{arch}-{template_key(arch)}"
    with file_lock(root / f"{arch}.lock"):
        if (final / "system.reg").exists():
            return final
        for stale in root.glob(f"{arch}-*"):
            shutil.rmtree(stale, ignore_errors=True)
        work = Path(tempfile.mkdtemp(prefix=f".build-{arch}-", dir=root))
        prefix = work / "prefix"
        env = base_env(prefix, arch)
        loader = loader_for(arch, None)
        started = time.monotonic()
        try:
            _run([loader, "wineboot", "-i"], env, 300, "wineboot")
            reg = work / "template.reg"
            # regedit reads UTF-16 files whatever the code page: the font name is Chinese.
            reg.write_text("\ufeff" + TEMPLATE_REG.replace("\n", "\r\n"), encoding="utf-16-le")
            _run([loader, "regedit", "/S", str(reg)], env, 120, "regedit")
            _run([WINESERVER, "-w"], env, 120, "wineserver -w")
        except BaseException:
            subprocess.run([WINESERVER, "-k"], env=env, capture_output=True, timeout=60)
            shutil.rmtree(work, ignore_errors=True)
            raise
        os.rename(prefix, final)
        shutil.rmtree(work, ignore_errors=True)
        print(f"e2e: built {arch} prefix template {final} in {time.monotonic() - started:.1f}s",
              file=sys.stderr)
        return final


def _run(cmd, env, timeout, what):
    r = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=timeout)
    if r.returncode != 0:
        raise HarnessError(f"{what} failed ({r.returncode}): {r.stderr[-2000:]}")
    return r


def _big_binary(rel):
    parts = [p.lower() for p in rel.parts]
    return (len(parts) > 2 and parts[0] == "drive_c" and parts[1] == "windows"
            and parts[2] in ("system32", "syswow64", "winsxs") and "spool" not in parts)


def copy_prefix(template, dest):
    """Copy a template; the system DLLs, which nothing writes, are hard links (cp -a costs 3 s)."""
    dest.mkdir(parents=True)
    for dirpath, dirnames, filenames in os.walk(template):
        src_dir = Path(dirpath)
        rel_dir = src_dir.relative_to(template)
        out_dir = dest / rel_dir
        for d in list(dirnames):
            s = src_dir / d
            if s.is_symlink():
                os.symlink(os.readlink(s), out_dir / d)
                dirnames.remove(d)
            else:
                (out_dir / d).mkdir()
        for name in filenames:
            s = src_dir / name
            o = out_dir / name
            if s.is_symlink():
                os.symlink(os.readlink(s), o)
            elif _big_binary(rel_dir / name) and s.stat().st_size > 65536:
                os.link(s, o)
            else:
                shutil.copy2(s, o)


# ---- the probe --------------------------------------------------------------------------

def ensure_probe(bits):
    """A probe.exe of that bitness: VORNAPX_PROBE when it fits, otherwise compiled here once."""
    given = os.environ.get("VORNAPX_PROBE")
    want = "i386" if bits == 32 else "amd64"
    if given and Path(given).is_file() and pe_machine(given) == want:
        return Path(given)
    source = HERE / "probe" / "probe.cpp"
    compiler = "i686-w64-mingw32-g++" if bits == 32 else "x86_64-w64-mingw32-g++"
    digest = hashlib.sha256(source.read_bytes() + compiler.encode()).hexdigest()[:12]
    out = cache_dir() / f"probe{bits}-{digest}.exe"
    with file_lock(cache_dir() / f"probe{bits}.lock"):
        if not out.exists():
            if not shutil.which(compiler):
                raise HarnessError(f"{compiler} missing: cannot build the {bits}-bit probe")
            tmp = out.with_suffix(".tmp.exe")
            r = subprocess.run([compiler, "-std=c++17", "-Wall", "-Wextra", "-Werror", "-O2", "-static",
                                "-o", str(tmp), str(source), "-lcomctl32", "-lwinspool", "-luser32",
                                "-ladvapi32", "-lgdi32"], capture_output=True, text=True, timeout=300)
            if r.returncode != 0:
                raise HarnessError("probe build failed:\n" + r.stderr[-4000:])
            os.rename(tmp, out)
    return out


class Probe:
    """probe.exe running in the session's prefix: one command line in, one JSON line out."""

    def __init__(self, loader, exe, env, stderr_path):
        self._stderr = open(stderr_path, "wb")
        self.proc = subprocess.Popen([loader, str(exe)], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self._stderr)
        self._buf = b""
        self.info = self._read_line(90.0)  # the probe's own facts, sent when it is up

    def call(self, cmd, *args, timeout=30.0):
        """Runs one command; returns the answer dict, raises ProbeError on an error answer."""
        fields = [cmd] + [str(a) for a in args]
        for f in fields:
            if "\t" in f or "\n" in f:
                raise ValueError(f"probe argument holds a tab or line feed: {f!r}")
        self.proc.stdin.write(("\t".join(fields) + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        answer = self._read_line(timeout)
        if not answer.get("ok"):
            raise ProbeError(f"{cmd} {args}: {answer.get('error')}")
        return answer

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        fd = self.proc.stdout.fileno()
        while b"\n" not in self._buf:
            left = deadline - time.monotonic()
            if left <= 0:
                raise ProbeError("probe did not answer in time")
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise ProbeError(f"probe ended (exit {self.proc.poll()})")
                self._buf += chunk
        line, self._buf = self._buf.split(b"\n", 1)
        return json.loads(line.decode("utf-8"))

    def quit(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()
        for f in (self.proc.stdin, self.proc.stdout, self._stderr):
            with contextlib.suppress(OSError):
                f.close()


# ---- the program's debug output ----------------------------------------------------------

_DEBUG_LINE = re.compile(r':warn:debugstr:OutputDebugString([AW]) L?"(.*)"(\.\.\.)?\s*$')


def _unescape_wine(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 == len(text):
            out.append(c)
            i += 1
            continue
        n = text[i + 1]
        simple = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"', "0": "\0"}
        if n == "x":
            out.append(chr(int(text[i + 2:i + 4], 16)))
            i += 4
        elif n == "u":
            out.append(chr(int(text[i + 2:i + 6], 16)))
            i += 6
        else:
            out.append(simple.get(n, n))
            i += 2
    return "".join(out)


def parse_debug_lines(log_text):
    """The texts given to OutputDebugString, in order, as Wine's debugstr channel logged them.

    8-bit texts come back with each byte as one character (latin-1); Wine cuts long
    texts (a cut one ends in "...")."""
    lines = []
    for raw in log_text.splitlines():
        m = _DEBUG_LINE.search(raw)
        if m:
            lines.append(_unescape_wine(m.group(2)) + (m.group(3) or ""))
    return lines


class Program:
    """One run of VORNAPX.exe (or another exe) in a session."""

    def __init__(self, loader, exe, cwd, env, log_path):
        self.log_path = log_path
        self._log = open(log_path, "wb")
        self.started = time.monotonic()
        self.proc = subprocess.Popen([loader, str(exe)], cwd=str(cwd), env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log)

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=EXIT_TIMEOUT):
        """The exit code; raises AssertionError when the process is still running after timeout."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"program still running after {timeout}s (log {self.log_path})")

    def debug_lines(self):
        self._log.flush()
        return parse_debug_lines(Path(self.log_path).read_text("utf-8", errors="replace"))

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self._log.close()


# ---- X display ---------------------------------------------------------------------------

class Xvfb:
    def __init__(self, log_path, screen="1280x1024x24"):
        r, w = os.pipe()
        self._log = open(log_path, "wb")
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", screen,
                                      "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(w,), stdout=self._log, stderr=self._log)
        os.close(w)
        data = b""
        deadline = time.monotonic() + 30
        while not data.endswith(b"\n"):
            ready, _, _ = select.select([r], [], [], max(0.0, deadline - time.monotonic()))
            if not ready:
                self.stop()
                raise HarnessError("Xvfb did not start")
            chunk = os.read(r, 64)
            if not chunk:
                break
            data += chunk
        os.close(r)
        if not data.strip():
            self.stop()
            raise HarnessError(f"Xvfb did not report a display (log {log_path})")
        self.display = int(data.strip())

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self._log.close()


# ---- registry files read from disk ------------------------------------------------------------

def read_reg_file(path):
    """{key path (lower case): {value name: raw text after '='}} of a Wine .reg hive file."""
    keys, current, pending = {}, None, ""
    for line in Path(path).read_text("utf-8", errors="replace").splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and current is not None and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("["):
            name = line[1:line.index("]")].replace("\\\\", "\\")
            current = keys.setdefault(name.lower(), {})
        elif current is not None and (line.startswith('"') or line.startswith("@=")):
            m = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
            if m:
                name = "" if m.group(1) == "@" else _unescape_wine(m.group(1)[1:-1])
                current[name] = m.group(2)
    return keys


def reg_string(raw):
    """The text of a REG_SZ value as a .reg file stores it ("..."), else None."""
    if raw is not None and raw.startswith('"') and raw.endswith('"'):
        return _unescape_wine(raw[1:-1])
    return None


# ---- a session -----------------------------------------------------------------------------------

class WineSession:
    """A fresh prefix copy, an Xvfb display and a probe, torn down by close()."""

    def __init__(self, arch="win32", codepage=936, name="session", package=None):
        require_tools()
        self.arch = arch
        self.codepage = codepage
        self.package = Path(package or dist_dir())
        exe = require_program(self.package)
        self.exe_machine = pe_machine(exe)
        require_arch_runs(arch, self.exe_machine)
        # The registry view the program sees: a 32-bit program on 64-bit Windows has its own.
        self.program_view = "32" if (arch == "win64" and self.exe_machine == "i386") else ""
        self.workdir = Path(tempfile.mkdtemp(prefix=f"{_safe(name)}-", dir=_runs_dir()))
        self.prefix = self.workdir / "prefix"
        self.programs = []
        self.xvfb = None
        self.probe = None
        self._closed = False
        t0 = time.monotonic()
        try:
            copy_prefix(ensure_template(arch), self.prefix)
            self.xvfb = Xvfb(self.workdir / "xvfb.log")
            self.env = base_env(self.prefix, arch, self.xvfb.display, codepage)
            probe_bits = 32 if arch == "win32" else 64
            self.probe = Probe(loader_for(arch, None), ensure_probe(probe_bits), self.env,
                               self.workdir / "probe.log")
        except BaseException:
            self.close(keep=True)
            raise
        self.startup_seconds = time.monotonic() - t0

    # -- settings

    def set_version(self, version):
        """Windows version that programs started from now on see (Wine's own setting)."""
        if version not in WINE_VERSIONS:
            raise ValueError(f"unknown Wine version {version}")
        self.probe.call("regset", "HKCU", r"Software\Wine", "Version", version)

    def set_ports(self, names):
        """Replaces the local monitor's ports by these names, in the view the program reads."""
        for n in names:
            # An unnamed value hangs Wine's enumeration and a 260+ name cuts it short.
            if not n or len(n) >= 260 or "\t" in n or "\n" in n:
                raise ValueError(f"port name Wine cannot list: {n!r}")
        for v in self.probe.call("regvalues", "HKLM", PORTS_KEY, self.program_view).get("values", []):
            self.probe.call("regdelete", "HKLM", PORTS_KEY, v["name"], self.program_view)
        for n in names:
            self.probe.call("regset", "HKLM", PORTS_KEY, n, "", self.program_view)

    def create_windows_key(self):
        """The HKCU "...\\CurrentVersion\\Windows" key, which real Windows has and Wine lacks."""
        self.probe.call("regcreate", "HKCU", WINDOWS_KEY)

    def regedit_import(self, text):
        """Imports a .reg text ("Windows Registry Editor Version 5.00" first) with Wine's regedit,
        in one process for all its keys (64-bit view in a win64 prefix)."""
        path = self.workdir / f"import-{time.monotonic_ns()}.reg"
        path.write_text("\ufeff" + text.replace("\n", "\r\n"), encoding="utf-16-le")
        _run([loader_for(self.arch, None), "regedit", "/S", str(path)], self.env, 120, "regedit")

    def reg(self, root, key, value, view=None):
        """A registry value as the probe reads it (dict with exists, type, hex, text, a_size...)."""
        return self.probe.call("regget", root, key, value, self.program_view if view is None else view)

    # -- the program

    def copy_package(self):
        """A private copy of the package folder that a test may change."""
        dest = self.workdir / "package"
        shutil.copytree(self.package, dest, symlinks=True)
        return dest

    def start_program(self, cwd=None, exe=None):
        """Starts VORNAPX.exe (or exe) with cwd (default: the package folder) as current directory."""
        cwd = Path(cwd or self.package)
        exe = Path(exe or cwd / "VORNAPX.exe")
        env = dict(self.env, WINEDEBUG="-all,warn+debugstr")
        log = self.workdir / f"wine-{len(self.programs) + 1}.log"
        program = Program(loader_for(self.arch, pe_machine(exe)), exe, cwd, env, log)
        self.programs.append(program)
        return program

    # -- windows

    def wait_window(self, title, timeout=WINDOW_TIMEOUT, pid=0):
        """Info dict of the visible top-level window with exactly this title, once it appears."""
        return self.probe.call("wait", title, int(timeout * 1000), pid, timeout=timeout + 10)

    def find_window(self, title):
        """hwnd of a top-level window with exactly this title, or None."""
        return self.probe.call("find", title)["hwnd"]

    def find_visible(self, title):
        """hwnd of a visible top-level window with exactly this title, or None."""
        return next((w["hwnd"] for w in self.visible_windows() if w["text"] == title), None)

    def visible_windows(self, pid=None):
        wins = self.probe.call("windows")["windows"]
        return [w for w in wins if pid is None or w["pid"] == pid]

    def titles_until_exit(self, program, pid, timeout=EXIT_TIMEOUT):
        """Titles of the visible windows of process pid seen until the program exits; raises
        AssertionError when it does not exit in time."""
        seen = set()
        deadline = time.monotonic() + timeout
        while program.running():
            seen.update(w["text"] for w in self.visible_windows(pid))
            if time.monotonic() > deadline:
                raise AssertionError(f"program still running after {timeout}s; windows seen: {sorted(seen)}")
            time.sleep(0.03)
        return seen

    def wait_gone(self, hwnd, timeout=WINDOW_TIMEOUT):
        self.probe.call("gone", hwnd, int(timeout * 1000), timeout=timeout + 10)

    def control(self, hwnd, control_id):
        return self.probe.call("ctl", hwnd, control_id)

    def children(self, hwnd):
        return self.probe.call("children", hwnd)["children"]

    def click_button(self, hwnd, control_id):
        """BM_CLICK, posted: the handler may run a modal loop."""
        self.probe.call("click", hwnd, control_id)

    def post_command(self, hwnd, control_id, code=0):
        self.probe.call("command", hwnd, control_id, code)

    def combo(self, hwnd, control_id):
        return self.probe.call("combo", hwnd, control_id)

    def select_combo(self, hwnd, control_id, index):
        self.probe.call("comboselect", hwnd, control_id, index)

    def list_view(self, hwnd, control_id):
        return self.probe.call("listview", hwnd, control_id)

    def set_list_state(self, hwnd, control_id, row, state, mask):
        self.probe.call("lvstate", hwnd, control_id, row, state, mask)

    def progress(self, hwnd, control_id):
        return self.probe.call("progress", hwnd, control_id)

    def is_wow64(self, pid):
        return self.probe.call("wow64", pid)["wow64"]

    # -- spooler

    def printers(self):
        return self.probe.call("printers")["printers"]

    def drivers(self, environment):
        return self.probe.call("drivers", environment)["drivers"]

    def ports(self):
        return self.probe.call("ports")["ports"]

    def monitors(self):
        return self.probe.call("monitors")["monitors"]

    def driver_directory(self, environment):
        return self.probe.call("driverdir", environment)["path"]

    def unix_path(self, windows_path):
        """Host path of a C:\\ path in this prefix."""
        if not windows_path[:3].upper() == "C:\\":
            raise ValueError(f"not a C: path: {windows_path}")
        return self.prefix / "drive_c" / windows_path[3:].replace("\\", "/")

    # -- real input on the X display

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                           text=True, timeout=30)
        if r.returncode != 0:
            raise HarnessError(f"xdotool {args} failed: {r.stderr.strip()}")
        return r.stdout

    def x_window(self, title, timeout=5.0):
        """X window id of the Wine window with exactly this title."""
        deadline = time.monotonic() + timeout
        pattern = "^" + re.escape(title) + "$"
        while True:
            r = subprocess.run(["xdotool", "search", "--name", pattern], env=self.env,
                               capture_output=True, text=True, timeout=30)
            ids = r.stdout.split()
            if ids:
                return ids[0]
            if time.monotonic() > deadline:
                raise HarnessError(f"no X window titled {title!r}")
            time.sleep(0.05)

    def key(self, title, *keys):
        """Real key strokes (xdotool names: Return, Escape, alt+n) into the window with that title.

        Focus is set on the X window directly: Xvfb has no window manager to activate it."""
        self.xdotool("windowfocus", self.x_window(title), "key", "--delay", "40", *keys)

    def click_at(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)

    def click_close_box(self, hwnd):
        """A real mouse click on the close box that Wine draws in the window's caption."""
        point = self.probe.call("closebox", hwnd)
        self.click_at(point["x"], point["y"])

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", "-display", f":{self.xvfb.display}", str(path)],
                       capture_output=True, timeout=60)
        return path

    # -- after the programs

    def stop_wine(self):
        """Ends the probe and waits for the wineserver to write the registry to disk."""
        if self.probe:
            self.probe.quit()
            self.probe = None
        for p in self.programs:
            p.kill()
        try:
            subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=60)
        except subprocess.TimeoutExpired:
            subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True, timeout=60)

    def registry_file(self, hive):
        """Parsed system.reg or user.reg; call stop_wine() first so that it is current."""
        return read_reg_file(self.prefix / f"{hive}.reg")

    def close(self, keep=False):
        if self._closed:
            return
        self._closed = True
        if self.probe:
            self.probe.quit()
        for p in self.programs:
            p.kill()
        if self.prefix.exists():
            env = getattr(self, "env", None) or base_env(self.prefix, self.arch)
            subprocess.run([WINESERVER, "-k"], env=env, capture_output=True, timeout=60)
        if self.xvfb:
            self.xvfb.stop()
        if not keep:
            shutil.rmtree(self.workdir, ignore_errors=True)


def wait_until(check, timeout=WINDOW_TIMEOUT, what="condition"):
    """Polls check() until it returns a true value, which it returns; AssertionError on timeout.

    Posted input is handled after the probe's sent queries, so state is polled, not read once."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(0.03)


def _safe(name):
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", name)[-80:]


def _runs_dir():
    d = cache_dir() / "runs"
    d.mkdir(exist_ok=True)
    return d


class E2ETestCase(unittest.TestCase):
    """Base of the end-to-end tests: sessions made by self.session() are torn down after the
    test; a failing test keeps its folder and prints the screenshot and log paths."""

    @classmethod
    def setUpClass(cls):
        require_tools()
        require_program()

    def setUp(self):
        self._sessions = []

    def session(self, arch="win32", codepage=936, package=None):
        if arch not in enabled_archs():
            self.skipTest(f"{arch} prefixes are not enabled (VORNAPX_E2E_ARCHS)")
        s = WineSession(arch, codepage, self.id().split(".", 2)[-1], package)
        self._sessions.append(s)
        return s

    @contextlib.contextmanager
    def subTest(self, msg=unittest.case._subtest_msg_sentinel, **params):
        # A failing row is photographed at once: the test goes on and changes the screen.
        with super().subTest(msg, **params):
            try:
                yield
            except Exception:
                self._report_failure("-".join(f"{k}={v}" for k, v in params.items()))
                raise

    def _report_failure(self, label=""):
        for s in self._sessions:
            if s._closed:
                continue
            shot = s.screenshot(s.workdir / f"screenshot{'-' + _safe(label) if label else ''}.png")
            logs = ", ".join(str(p.log_path) for p in s.programs) or "(no program started)"
            print(f"\n[e2e] {self.id()} {label} failed: screenshot {shot}; wine logs {logs}; "
                  f"probe log {s.workdir / 'probe.log'}", file=sys.stderr)

    def tearDown(self):
        failed = self._failed_so_far()
        if failed:
            self._report_failure()
        keep = failed or os.environ.get("VORNAPX_E2E_KEEP") == "1"
        for s in self._sessions:
            s.close(keep=keep)

    def _failed_so_far(self):
        # The outcome's success flag is reset for tearDown itself; the result's lists are not.
        result = getattr(getattr(self, "_outcome", None), "result", None)
        if result is None:
            return True
        for test, _ in list(result.failures) + list(result.errors):
            if test is self or getattr(test, "test_case", None) is self:
                return True
        return False

    # -- checks shared by the tests

    def assertExits(self, program, timeout=EXIT_TIMEOUT):
        rc = program.wait(timeout)
        self.assertEqual(rc, 0, f"exit code of {program.log_path}")


def main(argv):
    if argv[1:2] == ["build-templates"]:
        require_tools()
        for arch in argv[2:] or enabled_archs():
            print(ensure_template(arch))
        for bits in sorted({32 if a == "win32" else 64 for a in (argv[2:] or enabled_archs())}):
            print(ensure_probe(bits))
        return 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except HarnessError as e:
        print(f"e2e: {e}", file=sys.stderr)
        sys.exit(1)
