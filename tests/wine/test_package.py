"""What users download, as scripts/package makes it: the zip, and the installer run silently under Wine."""
import os
import struct
import subprocess
import zipfile
from pathlib import Path

from korvimo_driver import ROOT, wait_until, windows_path


def test_the_zip_and_the_installer_hold_the_32_bit_program_and_its_help_and_uninstall_clean(wine, tmp_path):
    build = Path(os.environ["KORVIMO_EXE"]).parents[2]
    subprocess.run(["bash", ROOT / "scripts/package"], env=dict(os.environ, KORVIMO_BUILD=str(build)),
                   check=True, capture_output=True, timeout=600)
    with zipfile.ZipFile(build / "package/korvimo-2.20.zip") as package:
        assert sorted(package.namelist()) == ["korvimo.exe", "readme.chm"]
        exe = package.read("korvimo.exe")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    machine, flags = struct.unpack_from("<H16xH", exe, pe + 4)
    # i386, and large-address-aware: all 4 GB of a 64-bit Windows for the pictures.
    assert (exe[pe:pe + 4], machine, flags & 0x20) == (b"PE\0\0", 0x14C, 0x20)

    if os.environ["KORVIMO_ARCH"] == "win32":  # the installer is a 32-bit program too
        folder = tmp_path / "Korvimo"
        startup = lambda: [p.name for p in Path(os.environ["WINEPREFIX"], "drive_c/users").glob(  # noqa: E731
            "*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup/*.lnk")]
        subprocess.run([wine.wine, build / "package/korvimo-2.20-setup.exe", "/S", "/D=" + windows_path(folder)],
                       check=True, timeout=300)
        assert sorted(p.name for p in folder.iterdir()) == ["korvimo.exe", "readme.chm", "uninstall.exe"]
        assert (folder / "korvimo.exe").read_bytes() == exe
        # Started with Windows: the component is on by default, and a silent install takes it.
        assert startup() == ["Korvimo 剪贴板.lnk"]
        # The uninstaller runs from a copy of itself, so that it can delete the original.
        subprocess.run([wine.wine, folder / "uninstall.exe", "/S"], check=True, timeout=300)
        wait_until(lambda: not folder.exists(), timeout=60, what="the program's folder removed")
        assert startup() == []
