"""Drives the real korvimo.exe under Wine from outside, through kvprobe."""
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Control and command ids, read from the program's own header.
IDS = {name: int(value) for name, value in
       re.findall(r"\b(ID[A-Z]_\w+)\s*=\s*(\d+)", (ROOT / "src/app/ids.h").read_text(encoding="utf-8"))}

WM_NULL, WM_CLOSE, WM_COMMAND, WM_SYSCOMMAND, BM_CLICK = 0x0000, 0x0010, 0x0111, 0x0112, 0x00F5
WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP = 0x0200, 0x0201, 0x0202
WM_RBUTTONDOWN, WM_RBUTTONUP, STM_GETICON = 0x0204, 0x0205, 0x0171
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
TVM_SELECTITEM, TVGN_CARET, TVM_GETINDENT, TVM_GETITEMHEIGHT = 0x110B, 9, 0x1106, 0x111C
WS_VISIBLE, WS_MINIMIZE, WS_MAXIMIZE = 0x10000000, 0x20000000, 0x01000000
CONTROLS = {ident: name for name, ident in IDS.items() if name.startswith("IDC_")}
TRAY = "__winex11_standalone_tray"  # Wine's own notification area
DIALOG = "#32770"  # message boxes and file dialogs


def windows_path(path):
    """Wine sees the Linux file system as drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


def at(x, y):
    """A mouse message's point."""
    return (y & 0xFFFF) << 16 | (x & 0xFFFF)


def temp_folder():
    """The user's temporary folder in the Wine prefix (where Wine versions put it)."""
    users = Path(os.environ["WINEPREFIX"]) / "drive_c" / "users"
    return next(folder for pattern in ("*/AppData/Local/Temp", "*/Temp") for folder in users.glob(pattern))


def wait_until(predicate, timeout=10.0, what="condition"):
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.1)


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
            why = result.stderr.decode("utf-8", "replace")
            raise AssertionError(f"kvprobe {' '.join(map(str, args))} failed: {why}")
        return result.stdout.decode("utf-8", "replace") if result.returncode == 0 else ""

    def file(self, name, content):
        path = self.scratch / name
        path.write_bytes(content if isinstance(content, bytes) else content.encode("utf-8"))
        return path

    def set_clipboard(self, text=None, bitmap=None, dib=None, marks=()):
        """One change; with nothing given, the clipboard emptied."""
        args = ["--text", windows_path(self.file("clip.txt", text))] if text is not None else []
        args += ["--bitmap", "{}x{}:{}".format(*bitmap)] if bitmap else []
        args += ["--dib", windows_path(self.file("clip.dib", dib))] if dib else []
        for mark in marks:
            args += ["--mark", mark]
        self.probe("set-clipboard", *args)

    def windows(self, parent=None):
        """(class, title, Korvimo's, shown, (left, top, right, bottom) within its parent, id, style,
        user data) of every top-level window, or of every window inside `parent` (none if it is not there)."""
        out = self.probe("windows", *[] if parent is None else [parent], check=parent is None)
        rows = [line.split("\t") for line in out.splitlines()]
        return [(c, t, o == "1", s == "1", tuple(map(int, r.split())), int(i), int(style), int(data))
                for c, t, o, s, r, i, style, data in rows]

    def count(self, cls, anywhere=False):
        """Korvimo's shown windows of the class; anywhere: all of them, of any program, shown or not."""
        return sum(c == cls and (anywhere or ours and shown) for c, _, ours, shown, *_ in self.windows())

    def start(self, wait=True, exe=None, prefix=()):
        """exe: a copy of the program elsewhere; prefix: a command that runs it."""
        exe = exe or self.exe
        if wait:
            # A Korvimo left over from an earlier test would refuse this start.
            self.probe("post", 0, WM_CLOSE, 0, 0, check=False)
            self.probe("wait-gone", 15000)
        process = subprocess.Popen([*prefix, self.wine, str(exe)], cwd=str(exe.parent),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait:
            self.probe("wait-window", 20000)
        return process


class Korvimo:
    """One running Korvimo, seen from outside."""

    def __init__(self, wine, process):
        self.wine, self.process = wine, process
        self.probe, self.windows, self.count = wine.probe, wine.windows, wine.count

    def tray_icons(self):
        """The centre of each icon in Wine's own tray window, within it."""
        return [((r[0] + r[2]) // 2, (r[1] + r[3]) // 2) for _, _, _, shown, r, *_ in self.windows(TRAY) if shown]

    def tree(self):
        """(depth, key, label, item handle) for every node, in tree order."""
        rows = [line.split("\t") for line in self.probe("tree").splitlines()]
        return [(int(depth), key, label, int(item)) for depth, key, label, item in rows]

    def keys(self):
        return [key for _, key, _, _ in self.tree()]

    def entries(self, kind):
        return [key for key in self.keys() if key.startswith(kind)]

    def label(self, key):
        return next(label for _, k, label, _ in self.tree() if k == key)

    def select(self, key):
        item = {k: item for _, k, _, item in self.tree()}[key]
        self.send(IDS["IDC_TREEVIEW"], TVM_SELECTITEM, TVGN_CARET, item)

    def click_node(self, key, part="label", slide=0, button="left"):
        """A user's click on a node's label or expand button, or below the rows; with a slide, a press
        on the label's last row of pixels and the release `slide` pixels lower."""
        tree, (depth,) = IDS["IDC_TREEVIEW"], [d for d, k, _, _ in self.tree() if k == key]
        row, indent = self.send(tree, TVM_GETITEMHEIGHT), self.send(tree, TVM_GETINDENT)
        x = depth * indent + indent // 2 if part == "button" else (depth + 1) * indent + 24  # past the icon
        y = self.keys().index(key) * row + (row - 1 if slide else row // 2)
        self.probe("real-click", x, self.rect("IDC_TREEVIEW")[3] - 10 if part == "below" else y, button, tree, slide)
        self.settle()

    def controls(self):
        """{IDC_ name: (shown, (left, top, right, bottom) in its parent, user data)} of each control."""
        return {CONTROLS.get(i, i): (shown, rect, data) for _, _, _, shown, rect, i, _, data in self.windows(0)}

    def style(self):
        """The main window's style: WS_VISIBLE, WS_MINIMIZE, WS_MAXIMIZE."""
        return next(style for c, _, ours, *_, style, _ in self.windows() if c == "KorvimoMain" and ours)

    def tray_picture(self):
        return self.controls()["IDC_TRAYPICBOX"][2]

    def shown(self):
        """Whether the text box and the picture are shown."""
        controls = self.controls()
        return controls["IDC_TEXT1"][0], controls["IDC_IMAGE1"][0]

    def toolbar(self):
        """(id, enabled, text, centre) of every button, a separator (0, False, "-", ...)."""
        rows = [line.split("\t") for line in self.probe("toolbar").splitlines()]
        return [(int(ident), on == "1", text, centre.split()) for ident, on, text, centre in rows]

    def entry_buttons(self):
        """Whether 保存, 删除 and 内码转换 are enabled: they act on the selected entry."""
        enabled = {ident: on for ident, on, _, _ in self.toolbar()}
        return tuple(enabled[IDS[name]] for name in ("IDB_TOOL_SAVE", "IDB_TOOL_DELETE", "IDB_TOOL_CONVERT"))

    def click_tool(self, name):
        """A user's click on a toolbar button, posted: it may open a menu or a dialog."""
        point = next(at(*map(int, centre)) for ident, _, _, centre in self.toolbar() if ident == IDS[name])
        self.probe("post", IDS["IDC_TOOLBAR"], WM_LBUTTONDOWN, 1, point, WM_LBUTTONUP, 0, point)
        self.settle()

    def text1(self):
        return self.probe("text", IDS["IDC_TEXT1"])

    def rect(self, name):
        """(left, top, width, height) of a control within its parent."""
        left, top, right, bottom = self.controls()[name][1]
        return left, top, right - left, bottom - top

    def send(self, target, message, wparam=0, lparam=0):
        return int(self.probe("send", target, message, wparam, lparam))

    def post(self, target, message, wparam=0, lparam=0):
        self.probe("post", target, message, wparam, lparam)
        self.settle()

    def command(self, name):
        self.post(0, WM_COMMAND, IDS[name])

    def tray(self, message):
        self.post(IDS["IDC_TRAYPICBOX"], WM_MOUSEMOVE, 0, message)

    def settle(self):
        """Lets the program handle what was posted to it, then waits for its window to answer."""
        time.sleep(0.15)
        self.probe("send", 0, WM_NULL, 0, 0, check=False)

    wait_until = staticmethod(wait_until)

    def wait_window(self, cls, timeout=10.0):
        """The title of Korvimo's window of that class, once it shows."""
        found = []
        wait_until(lambda: found.extend(t for c, t, o, s, *_ in self.windows() if c == cls and o and s) or found,
                   timeout, f"a {cls} window")
        return found[0]

    def wait_gone(self, cls):
        wait_until(lambda: self.count(cls) == 0, what=f"the {cls} window closed")

    def wait_shown(self, shown):
        wait_until(lambda: bool(self.style() & WS_VISIBLE) == shown, what=f"the main window shown: {shown}")

    def message_box(self, answer=None, timeout=20.0):
        """(text, sorted buttons, shows an icon) of the message box up, pressing `answer`."""
        box = []
        wait_until(lambda: box.extend(self.windows(DIALOG)) or box, timeout, "a message box")
        statics = {i: t for c, t, *_, i, _, _ in box if c == "Static"}  # the text's id is 0xFFFF
        icon = any(self.send(f"{DIALOG}:{i}", STM_GETICON) for i in statics if i != 0xFFFF)
        if answer:
            self.probe("post", DIALOG, WM_COMMAND, answer, 0)
        return statics[0xFFFF], sorted(i for c, *_, i, _, _ in box if c == "Button"), icon

    def no_message_box(self, wait=0.0):
        """Whether no box or dialog of Korvimo's shows after `wait` seconds (one stays until answered)."""
        time.sleep(wait)
        return self.count(DIALOG) == 0

    def file_dialog(self, path, filter_index=0):
        """Fills in the open or save dialog and confirms it; no path cancels it."""
        self.probe("file-dialog", windows_path(path) if path else "", filter_index, 15000)

    def open(self, path):
        """The key of the file's new entry."""
        before = self.entries("Txt")
        self.command("IDM_OPEN")
        self.file_dialog(path)
        self.wait_until(lambda: self.entries("Txt") != before, what=f"{path.name} opened")
        return self.entries("Txt")[-1]

    def save(self, path, filter_index=1):
        self.command("IDM_SAVE")
        self.file_dialog(path, filter_index)

    def wait_for_file(self, path):
        self.wait_until(lambda: path.exists() and path.stat().st_size > 0, what=f"{path.name} written")
        time.sleep(0.3)

    def copy(self, **clipboard):
        """Sets the clipboard and waits for its entries; returns the new text
        entry's key, or the picture's when there is no text."""
        kinds = [kind for kind, given in (("Txt", "text"), ("Pic", "bitmap"), ("Pic", "dib")) if given in clipboard]
        before = {kind: self.entries(kind) for kind in kinds}
        self.wine.set_clipboard(**clipboard)
        self.wait_until(lambda: all(len(self.entries(kind)) > len(before[kind]) for kind in kinds),
                        what=f"new {' and '.join(kinds)} entries")
        return next(key for key in self.entries(kinds[0]) if key not in before[kinds[0]])

    def close(self):
        if self.process.poll() is None:
            self.probe("post", 0, WM_CLOSE, 0, 0, check=False)
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
