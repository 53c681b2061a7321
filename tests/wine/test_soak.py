"""Soak: many clipboard changes of every kind, read back entry by entry.

The setter (kvprobe soak) makes each change only after Korvimo has answered a
message sent after it, so Korvimo reads every change before the next one is
made. At that pace the strict rule holds: every text change that differs from
the newest recorded text is an entry, in order, none lost and none doubled.
Size with KORVIMO_SOAK_CHANGES (600 by default, 10000 for a full run).
"""
import os
import subprocess
import time

import pytest

from korvimo_driver import windows_path

pytestmark = pytest.mark.soak

CHANGES = int(os.environ.get("KORVIMO_SOAK_CHANGES", "600"))
# Wine's own share of a GUI process, the tree and the controls.
FIXED_ALLOWANCE_KB = 96 * 1024


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
    data, at, texts = path.read_bytes(), 0, {}
    while at < len(data):
        end = data.index(b"\n", at)
        key, size = data[at:end].decode().split()
        texts[key] = data[end + 1:end + 1 + int(size)].decode("utf-8")
        at = end + 1 + int(size) + 1
    return texts


def recorded_by_rule(changes):
    """The texts Korvimo must record: the same text twice in a row is one entry."""
    expected = []
    for _, text, _, _ in changes:
        if text and (not expected or expected[-1] != text):
            expected.append(text)
    return expected


def working_set(korvimo):
    return dict((k, int(v)) for k, v in (p.split("=") for p in korvimo.probe("working-set").split()))


@pytest.mark.skipif(
    "KORVIMO_SOAK_CHANGES" not in os.environ,
    reason="the setter paces itself on a WM_NULL round trip, which Wine can answer before the "
           "clipboard notice arrives, so changes outrun the reader; until it waits for each "
           "change to be recorded (as kvprobe flood does), run it by hand with KORVIMO_SOAK_CHANGES")
def test_soak_records_every_change_in_order(wine, korvimo, tmp_path):
    out = tmp_path / "changes.bin"
    started = time.monotonic()
    summary = korvimo.probe("soak", 20261207, CHANGES, windows_path(out), timeout=CHANGES * 2 + 120)
    soak_seconds = time.monotonic() - started
    assert korvimo.process.poll() is None
    memory = working_set(korvimo)

    changes = read_changes(out)
    assert len(changes) == CHANGES
    expected = recorded_by_rule(changes)
    dump = tmp_path / "texts.bin"
    korvimo.probe("texts", windows_path(dump), timeout=CHANGES + 120)
    texts = read_texts(dump)

    keys = [int(key[3:]) for key in korvimo.entries("Txt")]
    assert keys == list(range(len(expected))), "text entries lost or doubled"
    wrong = [k for k in keys if texts[f"Txt{k}"] != expected[k]]
    pictures = sum(1 for kind, _, _, _ in changes if kind in "PB")
    held_kb = (sum(len(t.encode("utf-16-le")) for t in expected) +
               sum(w * h * 4 for _, _, w, h in changes)) // 1024
    print(f"\nsoak: {summary.strip()} seconds={soak_seconds:.1f} entries_checked={len(keys)} "
          f"wrong={len(wrong)} pictures={pictures} data_held_kb={held_kb} {memory}")
    assert wrong == []
    assert len(korvimo.entries("Pic")) == pictures
    assert memory["working_set_kb"] <= 2 * held_kb + FIXED_ALLOWANCE_KB


def test_clipboard_held_after_changes_loses_nothing_after_the_hold(wine, korvimo, tmp_path):
    """Another program grabs the clipboard for 300 ms right after every second
    change. The change it races may be missed (Korvimo gives up after about
    100 ms); the change after the hold must be recorded, and Korvimo must keep
    answering."""
    rounds = 5
    ready = tmp_path / "ready"
    holder = subprocess.Popen([wine.wine, wine.probe_exe, "hold-on-change", "300", str(rounds),
                               windows_path(ready)], stdout=subprocess.PIPE)
    try:
        korvimo.wait_until(ready.exists, timeout=30, what="the holder")
        for i in range(rounds):
            wine.set_clipboard(text=f"raced {i}")
            time.sleep(0.05)
            started = time.monotonic()
            wine.set_clipboard(text=f"after hold {i}")  # waits for the holder to let go
            korvimo.settle()
            assert time.monotonic() - started < 10, "Korvimo stopped answering"
        assert holder.wait(timeout=30) == 0
    finally:
        if holder.poll() is None:
            holder.kill()
            holder.wait()
    korvimo.settle()
    keys = korvimo.entries("Txt")
    texts = []
    for key in keys:
        korvimo.select(key)
        korvimo.settle()
        texts.append(korvimo.text1())
    after = [t for t in texts if t.startswith("after hold")]
    raced = [t for t in texts if t.startswith("raced")]
    print(f"\nhold: entries={len(texts)} raced_recorded={len(raced)}/{rounds}")
    assert after == [f"after hold {i}" for i in range(rounds)]
    assert texts == sorted(set(texts), key=texts.index)  # none doubled
    assert texts == [t for t in texts if t in {f"raced {i}" for i in range(rounds)} | set(after)]
    assert korvimo.process.poll() is None
