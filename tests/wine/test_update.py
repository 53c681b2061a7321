"""The update window, against a local HTTP server standing in for the update
site: one program for the module, pointed at one stub server whose answer
each test sets; every test leaves the update window closed."""
import os
import random
import socket
import threading
import time
import types
from pathlib import Path

import pytest

import http_stub
from korvimo_driver import IDNO, IDOK, IDYES, WM_CLOSE

UPDATE = "KorvimoUpdate"
LBLSTATUS, LBLSIZE, LBLRECIEVE = 7102, 7104, 7106
# The version check's message boxes: text, buttons, whether they show an icon.
LATEST, NEW_VERSION = ("您使用的是最新版本", [IDOK], False), ("发现新版本，是否要更新？", [IDYES, IDNO], True)
COMPLETE, FAILED = "下载完成！", "下载失败！"


@pytest.fixture(scope="module", autouse=True)
def site():
    with http_stub.update_site() as stub:
        yield stub


@pytest.fixture
def held_lookups(tmp_path):
    """A name server that holds every query until answer(), then says that
    the name does not exist. Programs started through .prefix look hosts up
    there, by a resolv.conf of their own in a private mount namespace."""
    if os.geteuid() != 0:
        pytest.skip("a private resolv.conf needs root")
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind((f"127.53.{random.randrange(1, 255)}.{random.randrange(1, 255)}", 53))
    server.settimeout(0.1)
    conf = tmp_path / "resolv.conf"
    conf.write_text(f"nameserver {server.getsockname()[0]}\noptions timeout:30 attempts:1\n")
    answering, stop = threading.Event(), threading.Event()
    state = types.SimpleNamespace(held=[], answer=answering.set, prefix=[
        "unshare", "-m", "sh", "-c", 'mount --bind "$0" /etc/resolv.conf && exec "$@"', str(conf)])

    def serve():
        while not stop.is_set():
            try:
                state.held.append(server.recvfrom(512))
            except socket.timeout:
                pass
            while answering.is_set() and state.held:
                query, peer = state.held.pop()
                # The same id and question; a response, recursion available, NXDOMAIN.
                server.sendto(query[:2] + b"\x81\x83" + query[4:6] + bytes(6) + query[12:], peer)

    thread = threading.Thread(target=serve, daemon=True)
    thread.start()
    yield state
    stop.set()
    thread.join()
    server.close()


def downloaded():
    """The downloaded file as the host sees it (GetTempPath + qrvu.tmp)."""
    return list((Path(os.environ["WINEPREFIX"]) / "drive_c" / "users").glob("*/**/Temp/qrvu.tmp"))


def open_update_window(korvimo):
    for path in downloaded():
        path.unlink()
    korvimo.command("IDM_UPDATE")
    assert korvimo.wait_window(UPDATE, 15) == "升级"


def label(korvimo, control):
    return korvimo.probe("text", f"{UPDATE}:{control}", check=False)


def wait_failed(korvimo):
    korvimo.wait_until(lambda: label(korvimo, LBLSTATUS) == FAILED, timeout=20, what="the download failed")
    # No version check follows, and nothing half-downloaded is left.
    assert korvimo.no_message_box(2500) and downloaded() == []


def close_update_window(korvimo):
    korvimo.post(UPDATE, WM_CLOSE)
    korvimo.wait_gone(UPDATE)


@pytest.mark.parametrize("answer, box", [
    (dict(body=b"2.30\r\n" + b"x" * 3000 + b"\r\nhttp://127.0.0.1:9/new\r\n", chunks=7, delay=0.001), NEW_VERSION),
    (dict(body=b"2.20\r\n" + b"z" * 500, reset=True), LATEST),
], ids=["slow body in small pieces", "reset after the whole body"])
def test_downloads_that_complete_ask_the_version_question(korvimo, site, answer, box):
    site.answer(**answer)
    open_update_window(korvimo)
    # The file is read and deleted before the answer is shown.
    assert korvimo.message_box(timeout_ms=60000) == box and downloaded() == []
    if box == NEW_VERSION:  # 3032 bytes: the final count is shown when it completes
        assert (label(korvimo, LBLSIZE), label(korvimo, LBLRECIEVE)) == ("2.96 KB", "2.96 KB")
    korvimo.message_box(box[1][-1])
    korvimo.wait_gone(UPDATE)


def test_error_status_shows_download_failed_and_checks_nothing(korvimo, site):
    site.answer(body=b"<html>missing</html>", status="404 Not Found")
    open_update_window(korvimo)
    wait_failed(korvimo)
    close_update_window(korvimo)


def test_server_that_never_finishes_leaves_the_window_closable_and_closing_the_program_the_file(korvimo, site):
    """The 66 bytes of headers and part of the body, then silence with the connection open:
    the window keeps waiting, the command again brings up the same download, and closing
    the window ends it at once; closing the program mid-download leaves the partial file."""
    site.answer(body=b"2.20\r\n" + b"w" * 500, chunks=[66 + 206], delay=600, close=False)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: [p.stat().st_size for p in downloaded()] == [206], what="the first piece written")
    korvimo.command("IDM_UPDATE")
    time.sleep(2.5)
    assert label(korvimo, LBLSTATUS) not in (FAILED, COMPLETE)
    assert korvimo.no_message_box(500) and len(site.requests) == 1
    started = time.monotonic()
    close_update_window(korvimo)
    korvimo.settle()
    assert time.monotonic() - started < 10 and korvimo.process.poll() is None

    site.answer(body=b"2.20\r\n" + b"y" * 200, chunks=[66 + 56], delay=60, close=False)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: [p.stat().st_size for p in downloaded()] == [56], what="the first piece written")
    korvimo.close()
    assert [p.read_bytes() for p in downloaded()] == [b"2.20\r\n" + b"y" * 50]


# These two need programs of their own: another address, another name server.
def test_refused_connection_fails(start_korvimo, monkeypatch):
    refused = http_stub.StubServer(refuse=True)
    monkeypatch.setenv("KORVIMO_UPDATE_URL", refused.url())
    korvimo = start_korvimo()
    open_update_window(korvimo)
    wait_failed(korvimo)
    refused.stop()


def test_main_window_answers_while_the_host_lookup_waits(wine, start_korvimo, monkeypatch, held_lookups):
    monkeypatch.setenv("KORVIMO_UPDATE_URL", "http://update.korvimo.test/qrvupdate.txt")
    korvimo = start_korvimo(prefix=held_lookups.prefix)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: held_lookups.held, what="a lookup waiting for its answer")
    korvimo.copy(text="captured meanwhile")
    assert label(korvimo, LBLSTATUS) == ""
    # Closed while the lookup waits: its late answer finds no window.
    close_update_window(korvimo)
    held_lookups.answer()
    # Another try, answered at once: no such host.
    open_update_window(korvimo)
    wait_failed(korvimo)
    assert korvimo.process.poll() is None
