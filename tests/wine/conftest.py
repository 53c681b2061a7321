import os
import subprocess

import pytest

from korvimo_driver import Korvimo, Wine


@pytest.fixture(scope="session")
def wine():
    # One persistent wine server for the whole run makes every start fast.
    wineserver = os.environ.get("KORVIMO_WINESERVER")
    if wineserver:
        subprocess.run([wineserver, "-p"], check=False)
    session = Wine()
    # Wine's own background processes start with the first program and keep its output handles: let
    # them start here, on nothing, rather than on the pipes through which we read kvprobe's answers.
    subprocess.run([session.wine, session.probe_exe, "wait-gone", "0"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=120)
    yield session
    if wineserver:
        subprocess.run([wineserver, "-k"], check=False)


@pytest.fixture
def start_korvimo(wine):
    """Starts Korvimo (after setting up the clipboard as the test likes)."""
    started = []

    def start(exe=None, prefix=()):
        started.append(Korvimo(wine, wine.start(exe=exe, prefix=prefix)))
        return started[-1]

    yield start
    for korvimo in started:
        korvimo.close()


@pytest.fixture(scope="module")
def korvimo(wine):
    """A Korvimo started with an empty clipboard, shared by the tests of a module: each leaves it as
    it found it, or ends it as the module's last use."""
    wine.set_clipboard()
    korvimo = Korvimo(wine, wine.start())
    yield korvimo
    korvimo.close()
