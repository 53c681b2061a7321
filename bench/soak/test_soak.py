"""Soak: many clipboard changes of every kind, read back entry by entry.

The setter (kvbench soak) makes each change once Korvimo's tree shows the
one before, and between changes selects entries (checking what the viewer
shows), edits texts and deletes entries, as a user would. Afterwards every
entry must hold what was copied (or what the edit made of it), read back
through the viewer and, for a sample, through the save command; none lost and
none doubled, and Korvimo's working set must stay within twice the data it
holds (plus what Wine itself keeps of every picture read, see below). Size with
KORVIMO_SOAK_CHANGES (600 by default, 10000 for a full run).
"""
import os
import subprocess
import time

from korvimo_driver import IDNO, windows_path

CHANGES = int(os.environ.get("KORVIMO_SOAK_CHANGES", "600"))
# Wine's own share of a GUI process, the tree and the controls.
FIXED_ALLOWANCE_KB = 96 * 1024
# Wine keeps every bitmap a viewer reads from another program's clipboard,
# with its transfer buffer, until the viewer itself empties the clipboard
# (which a history must never do): two copies of each picture read, that
# Windows does not keep. Measured with a bare reader of 1000 x 1000 pictures.
WINE_COPIES_PER_PICTURE_READ = 2


def read_changes(path):
    data, at, changes = path.read_bytes(), 0, []
    while at < len(data):
        end = data.index(b"\n", at)
        _, kind, size, picture = data[at:end].decode().split()
        text = data[end + 1:end + 1 + int(size)].decode("utf-8")
        at = end + 1 + int(size) + 1
        width, height = map(int, picture.split("x"))
        changes.append((kind, text, width, height))
    return changes


def read_texts(path):
    data, at, texts = path.read_bytes(), 0, []
    while at < len(data):
        end = data.index(b"\n", at)
        texts.append(data[end + 1:end + 1 + int(data[at:end])].decode("utf-8"))
        at = end + 1 + int(data[at:end]) + 1
    return texts


def read_acts(path):
    """The soak's edits and deletes: {change index: [(verb, key, text)]}."""
    data, at, acts = path.read_bytes(), 0, {}
    while at < len(data):
        end = data.index(b"\n", at)
        change, verb, key, size = data[at:end].decode().split()
        acts.setdefault(int(change), []).append((verb, key, data[end + 1:end + 1 + int(size)].decode("utf-8")))
        at = end + 1 + int(size) + 1
    return acts


def expected_history(changes, acts):
    """The text slots and the live entries Korvimo must hold. A new text is an
    entry when it differs from the newest slot as that slot stands (edited or
    emptied by a delete); a deleted entry leaves its slot empty."""
    slots, pictures, deleted = [], 0, set()
    for index, (_, text, width, _) in enumerate(changes):
        if text and (not slots or slots[-1] != text):
            slots.append(text)
        pictures += width > 0
        for verb, key, edited in acts.get(index, []):
            if verb == "edit":
                slots[int(key[3:])] = edited
            else:
                deleted.add(key)
                if key.startswith("Txt"):
                    slots[int(key[3:])] = ""
    texts = {f"Txt{i}": t for i, t in enumerate(slots) if f"Txt{i}" not in deleted}
    picture_keys = [f"Pic{i}" for i in range(pictures) if f"Pic{i}" not in deleted]
    return texts, picture_keys


def saved_sample(expected, count=12):
    """Text entries to read back through the save command as well: the
    longest, the shortest, and some between."""
    by_size = sorted(expected, key=lambda k: (len(expected[k]), k))
    step = max(1, len(by_size) // count)
    return sorted(set(by_size[:2] + by_size[-3:] + by_size[::step][:count]), key=lambda k: int(k[3:]))


def ansi(text):
    """Text as a save writes it, in code page 936: Windows puts the euro at
    0x80, where Python's codec has none; what the code page cannot hold
    becomes "?"."""
    return b"\x80".join(part.encode("cp936", errors="replace") for part in text.split("\u20ac"))


def code_page_holds(text):
    try:
        text.replace("\u20ac", "").encode("cp936")
        return True
    except UnicodeEncodeError:
        return False


def bench_driver(wine, *args, timeout):
    """kvbench, the benchmarks' second process: its one line of figures."""
    result = subprocess.run([wine.wine, os.environ["KORVIMO_BENCH_DRIVER"], *map(str, args)], capture_output=True,
                            timeout=timeout)
    assert result.returncode == 0, result.stderr.decode("utf-8", "replace")
    return result.stdout.decode("utf-8")


SHOWN_WHOLE = 131072  # a longer text shows in part, read-only, after a line of note


def shows_as(shown, text):
    note, _, rest = shown.partition("\r\n")
    return shown == text if len(text) <= SHOWN_WHOLE else note.startswith("［此条目共") and rest == text[:SHOWN_WHOLE]


def test_soak_records_every_change_in_order(wine, korvimo, tmp_path):
    out = tmp_path / "changes.bin"
    started = time.monotonic()
    summary = bench_driver(wine, "soak", 20261207, CHANGES, windows_path(out), timeout=CHANGES * 2 + 120)
    soak_seconds = time.monotonic() - started
    assert korvimo.process.poll() is None
    memory = dict((k, int(v)) for k, v in (p.split("=") for p in summary.split()))

    changes = read_changes(out)
    assert len(changes) == CHANGES
    expected, expected_pictures = expected_history(changes, read_acts(tmp_path / "changes.bin.acts"))
    dump = tmp_path / "texts.bin"
    bench_driver(wine, "texts", windows_path(dump), timeout=CHANGES + 120)
    keys = korvimo.entries("Txt")
    texts = dict(zip(keys, read_texts(dump)))
    assert keys == sorted(expected, key=lambda k: int(k[3:])), "text entries lost or doubled"
    wrong = [k for k in keys if not shows_as(texts[k], expected[k])]
    assert korvimo.entries("Pic") == expected_pictures, "picture entries lost or doubled"
    sizes = [w * h * 4 for _, _, w, h in changes if w]
    held_kb = (sum(len(t.encode("utf-16-le")) for t in expected.values()) +
               sum(sizes[int(k[3:])] for k in expected_pictures)) // 1024
    wine_kept_kb = WINE_COPIES_PER_PICTURE_READ * sum(sizes) // 1024
    print(f"\nsoak: {summary.strip()} seconds={soak_seconds:.1f} entries_checked={len(keys)} "
          f"wrong={len(wrong)} pictures={len(expected_pictures)} data_held_kb={held_kb} "
          f"wine_kept_kb={wine_kept_kb}")
    assert wrong == [], [(k, len(texts[k]), len(expected[k]), texts[k][:30], expected[k][:30]) for k in wrong[:5]]
    assert memory["working_set_kb"] <= 2 * held_kb + wine_kept_kb + FIXED_ALLOWANCE_KB

    for key in saved_sample(expected):
        korvimo.select(key)
        target = tmp_path / f"{key}.txt"
        korvimo.save(target)
        if not code_page_holds(expected[key]):
            korvimo.message_box(IDNO)  # asked whether to save it as UTF-8: no, in the code page
        korvimo.wait_for_file(target)
        assert target.read_bytes() == ansi(expected[key]), key
