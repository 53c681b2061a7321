"""Drives the real korvimo.exe under Wine from outside, through kvprobe."""
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def _read_ids():
    """Control and command ids, read from the program's own header."""
    text = (ROOT / "src/app/ids.h").read_text(encoding="utf-8")
    return {name: int(value) for name, value in re.findall(r"\b(ID[A-Z]_\w+)\s*=\s*(\d+)", text)}


IDS = _read_ids()

WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK = 0x0200, 0x0201, 0x0202, 0x0203
WM_RBUTTONDOWN, WM_RBUTTONUP = 0x0204, 0x0205
WM_COMMAND = 0x0111
IDOK, IDYES, IDNO = 1, 6, 7


def windows_path(path):
    """Wine sees the Linux file system as drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


class Wine:
    def __init__(self):
        self.wine = os.environ["KORVIMO_WINE"]
        self.exe = Path(os.environ["KORVIMO_EXE"])
        self.probe_exe = os.environ["KORVIMO_PROBE"]
        self.scratch = Path(tempfile.mkdtemp(prefix="korvimo-test-"))

    def probe(self, *args, check=True, timeout=60):
        command = [self.wine, self.probe_exe, *map(str, args)]
        result = subprocess.run(command, capture_output=True, timeout=timeout)
        if result.returncode != 0 and b"kvprobe:" not in result.stderr:
            # Wine itself, not kvprobe, failed to start the program (it happens
            # now and then under load); kvprobe's commands are safe to repeat.
            result = subprocess.run(command, capture_output=True, timeout=timeout)
        if check and result.returncode != 0:
            raise AssertionError(f"kvprobe {' '.join(map(str, args))} failed ({result.returncode}): "
                                 f"{result.stderr.decode('utf-8', 'replace')}")
        return result.stdout.decode("utf-8", "replace")

    def file(self, name, content):
        path = self.scratch / name
        path.write_bytes(content if isinstance(content, bytes) else content.encode("utf-8"))
        return path

    def set_clipboard(self, text=None, bitmap=None, marks=(), hold_ms=0):
        args = []
        if text is not None:
            args += ["--text", windows_path(self.file("clip.txt", text))]
        if bitmap is not None:
            width, height, seed = bitmap
            args += ["--bitmap", f"{width}x{height}:{seed}"]
        for mark in marks:
            args += ["--mark", mark]
        if hold_ms:
            args += ["--hold", str(hold_ms)]
        self.probe("set-clipboard", *args)

    def empty_clipboard(self):
        self.probe("empty-clipboard")

    def main_window_count(self):
        return int(self.probe("count-class", "KorvimoMain", "any").strip())

    def start(self, wait=True, prefix=(), exe=None):
        """prefix: a command that runs the program, such as one giving it
        a name server of the test's own; exe: a copy of the program elsewhere."""
        exe = exe or self.exe
        if wait:
            # A Korvimo left over from an earlier test would refuse this start.
            self.probe("close", check=False)
            self.probe("wait-gone", 15000)
        process = subprocess.Popen([*prefix, self.wine, str(exe)], cwd=str(exe.parent),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait:
            self.probe("wait-window", 20000)
        return process


class Korvimo:
    """One running Korvimo, seen from outside."""

    def __init__(self, wine, process):
        self.wine = wine
        self.process = process

    def probe(self, *args, **kwargs):
        return self.wine.probe(*args, **kwargs)

    def tree(self):
        """(depth, key, label, selected) for every node, in tree order."""
        rows = []
        for line in self.probe("tree").splitlines():
            depth, key, label, selected = line.split("\t")
            rows.append((int(depth), key, label, selected == "1"))
        return rows

    def keys(self):
        return [key for _, key, _, _ in self.tree()]

    def label(self, key):
        return next(label for _, k, label, _ in self.tree() if k == key)

    def select(self, key):
        self.probe("select", key)

    def state(self):
        return dict(line.split("=", 1) for line in self.probe("state").splitlines())

    def button_enabled(self, name):
        return self.state()[f"button.{IDS[name]}"] == "1"

    def entry_buttons(self):
        """Whether 保存, 删除 and 内码转换 are enabled: they act on the selected entry."""
        state = self.state()
        return tuple(state[f"button.{IDS[name]}"] == "1"
                     for name in ("IDB_TOOL_SAVE", "IDB_TOOL_DELETE", "IDB_TOOL_CONVERT"))

    def text1(self):
        out = self.wine.scratch / "text1.out"
        self.probe("text", windows_path(out))
        return out.read_bytes().decode("utf-8")

    def type_text1(self, text):
        self.probe("set-text1", windows_path(self.wine.file("text1.in", text)))

    def command(self, name):
        self.probe("send", 0, WM_COMMAND, IDS[name], 0, "post")
        self.settle()

    def tray(self, message):
        self.probe("send", IDS["IDC_TRAYPICBOX"], WM_MOUSEMOVE, 0, message, "post")
        self.settle()

    def settle(self):
        """Lets the program handle what was posted to it."""
        self.probe("sync")

    def wait_until(self, predicate, timeout=10.0, what="condition"):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate():
                return
            time.sleep(0.1)
        raise AssertionError(f"timed out waiting for {what}")

    def file_dialog(self, path, filter_index=0):
        """Fills in the open or save dialog and confirms it; no path cancels it."""
        self.probe("file-dialog", windows_path(path) if path else "", filter_index, 15000)

    def wait_for_file(self, path):
        self.wait_until(lambda: path.exists() and path.stat().st_size > 0, what=f"{path.name} written")
        time.sleep(0.3)

    def entries(self, kind):
        return [key for key in self.keys() if key.startswith(kind)]

    def copy(self, **clipboard):
        """Sets the clipboard and waits for its entries; returns the new text
        entry's key, or the picture's when there is no text."""
        kinds = [kind for kind, given in (("Txt", "text"), ("Pic", "bitmap")) if given in clipboard]
        before = {kind: self.entries(kind) for kind in kinds}
        self.wine.set_clipboard(**clipboard)
        self.wait_until(lambda: all(len(self.entries(kind)) > len(before[kind]) for kind in kinds),
                        what=f"new {' and '.join(kinds)} entries")
        return next(key for key in self.entries(kinds[0]) if key not in before[kinds[0]])

    def close(self):
        if self.process.poll() is None:
            self.probe("close", check=False)
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
