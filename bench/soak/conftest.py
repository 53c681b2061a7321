"""The Wine suite's driver and fixtures, for the soak that runs from here."""
import importlib.util
import sys
from pathlib import Path

_WINE_TESTS = Path(__file__).resolve().parents[2] / "tests" / "wine"
sys.path.insert(0, str(_WINE_TESTS))
_spec = importlib.util.spec_from_file_location("wine_conftest", _WINE_TESTS / "conftest.py")
_suite = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_suite)
wine, korvimo = _suite.wine, _suite.korvimo
