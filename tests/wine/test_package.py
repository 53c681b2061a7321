"""The packages we ship: the installer and the zip, built by scripts/package."""
import os
import subprocess
import tempfile
import zipfile

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("KORVIMO_BUILD", os.path.join(ROOT, "build"))
EXE = os.path.join(BUILD, "win32", "src", "korvimo.exe")
OUT = os.path.join(BUILD, "package")
SETUP = os.path.join(OUT, "korvimo-2.20-setup.exe")
ZIP = os.path.join(OUT, "korvimo-2.20.zip")


def _fresh(path):
    return os.path.exists(path) and os.path.exists(EXE) and os.path.getmtime(path) >= os.path.getmtime(EXE)


@pytest.fixture(scope="module")
def packages():
    if not (_fresh(SETUP) and _fresh(ZIP)):
        subprocess.run([os.path.join(ROOT, "scripts", "package")], check=True, timeout=1200)
    return SETUP, ZIP


def _is_pe(path):
    with open(path, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ":
        return False
    offset = int.from_bytes(head[0x3C:0x40], "little")
    return head[offset:offset + 4] == b"PE\0\0"


def test_zip_holds_exe_and_help(packages):
    _, zip_path = packages
    with zipfile.ZipFile(zip_path) as z:
        assert sorted(z.namelist()) == ["korvimo.exe", "readme.chm"]
        assert z.testzip() is None
        exe = z.read("korvimo.exe")
        chm = z.read("readme.chm")
    with open(EXE, "rb") as f:
        assert exe == f.read(), "zip must carry the shipped 32-bit build"
    assert chm[:4] == b"ITSF", "readme.chm is not a compiled help file"
    # i386 machine type in the PE header: the 32-bit program is the one shipped.
    offset = int.from_bytes(exe[0x3C:0x40], "little")
    assert exe[offset:offset + 4] == b"PE\0\0"
    assert exe[offset + 4:offset + 6] == b"\x4c\x01"


def test_installer_is_pe_and_carries_payload(packages):
    setup, _ = packages
    assert _is_pe(setup)
    # Compressed, it must still be larger than a bare NSIS stub (~50 KB).
    assert os.path.getsize(setup) > 200_000
    with open(setup, "rb") as f:
        assert b"NullsoftInst" in f.read()


def test_installer_installs_and_uninstalls_under_wine(packages):
    if os.environ.get("KORVIMO_ARCH") != "win32":
        pytest.skip("this kernel runs no 32-bit processes, and the NSIS installer is a 32-bit program")
    wine, wineserver = os.environ["KORVIMO_WINE"], os.environ["KORVIMO_WINESERVER"]
    setup, _ = packages
    # A prefix of its own, made by the same Wine installation as ours and so
    # served by the same server.
    prefix = tempfile.mkdtemp(prefix="korvimo-setup-")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    subprocess.run([wine, setup, "/S"], env=env, check=True, timeout=300)
    subprocess.run([wineserver, "-w"], env=env, timeout=120)
    installed = os.path.join(prefix, "drive_c", "Program Files", "Korvimo")
    if not os.path.isdir(installed):
        installed = os.path.join(prefix, "drive_c", "Program Files (x86)", "Korvimo")
    for name in ("korvimo.exe", "readme.chm", "uninstall.exe"):
        assert os.path.exists(os.path.join(installed, name)), name
    subprocess.run([wine, os.path.join(installed, "uninstall.exe"), "/S"],
                   env=env, check=True, timeout=300)
    subprocess.run([wineserver, "-w"], env=env, timeout=120)
    for name in ("korvimo.exe", "readme.chm"):
        assert not os.path.exists(os.path.join(installed, name)), name
