"""The packages we ship, built by scripts/package: the zip carries the shipped
32-bit program and its help file; the installer installs and uninstalls them."""
import os
import subprocess
import tempfile
import zipfile
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("KORVIMO_BUILD", ROOT / "build"))
EXE = BUILD / "win32" / "src" / "korvimo.exe"
SETUP, ZIP = BUILD / "package" / "korvimo-2.20-setup.exe", BUILD / "package" / "korvimo-2.20.zip"


@pytest.fixture(scope="module", autouse=True)
def packages():
    if not all(p.exists() and p.stat().st_mtime >= EXE.stat().st_mtime for p in (SETUP, ZIP)):
        subprocess.run([ROOT / "scripts" / "package"], check=True, timeout=1200)


def test_zip_holds_the_shipped_exe_and_help():
    with zipfile.ZipFile(ZIP) as z:
        assert sorted(z.namelist()) == ["korvimo.exe", "readme.chm"] and z.testzip() is None
        assert z.read("korvimo.exe") == EXE.read_bytes(), "zip must carry the shipped build"
        assert z.read("readme.chm")[:4] == b"ITSF", "readme.chm is not a compiled help file"
    # i386 machine type in the PE header: the 32-bit program is the one shipped.
    exe = EXE.read_bytes()
    offset = int.from_bytes(exe[0x3C:0x40], "little")
    assert exe[offset:offset + 6] == b"PE\0\0\x4c\x01"


def test_installer_installs_and_uninstalls_under_wine():
    if os.environ.get("KORVIMO_ARCH") != "win32":
        pytest.skip("this kernel runs no 32-bit processes, and the NSIS installer is a 32-bit program")
    # A prefix of its own, made by the same Wine installation as ours and so
    # served by the same server.
    env = dict(os.environ, WINEPREFIX=tempfile.mkdtemp(prefix="korvimo-setup-"), WINEDEBUG="-all")

    def run(program):
        subprocess.run([os.environ["KORVIMO_WINE"], program, "/S"], env=env, check=True, timeout=300)
        subprocess.run([os.environ["KORVIMO_WINESERVER"], "-w"], env=env, timeout=120)

    run(SETUP)
    installed = next(p / "Korvimo" for p in Path(env["WINEPREFIX"], "drive_c").glob("Program Files*")
                     if (p / "Korvimo").is_dir())
    assert sorted(p.name for p in installed.iterdir()) == ["korvimo.exe", "readme.chm", "uninstall.exe"]
    run(installed / "uninstall.exe")
    assert not (installed / "korvimo.exe").exists() and not (installed / "readme.chm").exists()
