"""The update window, against a local HTTP server standing in for the update site."""
import glob
import os
import random
import socket
import threading
import time
import types

import pytest

import http_stub
from korvimo_driver import IDNO, IDOK, IDYES

UPDATE_CLASS = "KorvimoUpdate"
LBLSTATUS = 7102
LBLSIZE = 7104
LBLRECIEVE = 7106

LATEST = "您使用的是最新版本"
NEW_VERSION = "发现新版本，是否要更新？"
COMPLETE = "下载完成！"
FAILED = "下载失败！"


# One program for the module, pointed at one stub server whose answer each
# test sets; every test leaves the update window closed.
ONE_SESSION = True


@pytest.fixture(scope="module", autouse=True)
def site():
    stub = http_stub.StubServer()
    with pytest.MonkeyPatch.context() as env:
        env.setenv("KORVIMO_UPDATE_URL", stub.url())  # read as the program starts
        yield stub
    stub.stop()


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


def local_files():
    """The downloaded file as the host sees it (GetTempPath + qrvu.tmp)."""
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    return glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Temp", "qrvu.tmp")) + \
        glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Local", "Temp", "qrvu.tmp"))


def remove_local_file():
    for path in local_files():
        os.remove(path)


def open_update_window(korvimo):
    remove_local_file()
    korvimo.command("IDM_UPDATE")
    assert korvimo.probe("wait-class", UPDATE_CLASS, 15000).strip() == "升级"


def control_text(korvimo, control_id):
    return korvimo.probe("window-text", UPDATE_CLASS, control_id, check=False).rstrip("\n")


def message_box(korvimo, timeout_ms=20000):
    lines = korvimo.probe("messagebox", timeout_ms).splitlines()
    text = next(line[5:] for line in lines if line.startswith("text="))
    buttons = sorted(int(line[7:]) for line in lines if line.startswith("button="))
    return text, buttons, "icon=1" in lines


def wait_status(korvimo, expected, timeout=20.0):
    korvimo.wait_until(lambda: control_text(korvimo, LBLSTATUS) == expected, timeout=timeout,
                       what=f"lblStatus {expected}")


def update_window_gone(korvimo):
    return korvimo.probe("wait-class", UPDATE_CLASS, 0, check=False) == ""


def close_update_window(korvimo, answer=None):
    if answer:
        korvimo.probe("answer", answer, 5000)
    else:
        korvimo.probe("close-window", UPDATE_CLASS)
    korvimo.wait_until(lambda: update_window_gone(korvimo), what="update window closed")


def test_request_is_exact_and_latest_version_says_so(korvimo, site):
    site.answer(body=b"2.20\r\nhttp://example.org/korvimo.exe\r\n")
    open_update_window(korvimo)
    assert site.wait_for_request(timeout=15)[0] == (
        b"GET http://127.0.0.1:%d/qrvupdate.txt HTTP/1.0\r\n"
        b"Accept: *.*, */*\r\n"
        b"User-Agent: Varnel Software Downloader\r\n"
        b"Referer: 127.0.0.1:%d\r\n"
        b"\r\n" % (site.port, site.port))
    assert message_box(korvimo) == (LATEST, [IDOK], False)
    assert control_text(korvimo, LBLSTATUS) == COMPLETE
    # The file is read and deleted before the answer is shown.
    assert local_files() == []
    close_update_window(korvimo, IDOK)


@pytest.mark.parametrize("answer, box", [
    (dict(body=b"2.20 \r\nhttp://127.0.0.1:9/one\r\nhttp://127.0.0.1:9/two\r\n"), (NEW_VERSION, [IDYES, IDNO], True)),
    (dict(body=b"2.30\r\n" + b"x" * 3000 + b"\r\nhttp://127.0.0.1:9/new\r\n", chunks=7, delay=0.001),
     (NEW_VERSION, [IDYES, IDNO], True)),
    (dict(body=b"2.20\r\n", chunks=1, delay=0.01), (LATEST, [IDOK], False)),
    (dict(body=b"2.20\r\n", content_length=None, headers=["content-length: 999"]), (LATEST, [IDOK], False)),
    (dict(raw=http_stub.build_response(b"2.20\r\n" + b"z" * 500), reset=True), (LATEST, [IDOK], False)),
], ids=["other version", "slow body in small pieces", "header byte by byte", "no length: ends on close",
        "reset after the whole body"])
def test_downloads_that_complete_ask_the_version_question(korvimo, site, answer, box):
    site.answer(**answer)
    open_update_window(korvimo)
    assert message_box(korvimo, 60000) == box
    if answer.get("chunks") == 7:  # 3032 bytes: the final count is shown when it completes
        assert (control_text(korvimo, LBLSIZE), control_text(korvimo, LBLRECIEVE)) == ("2.96 KB", "2.96 KB")
    close_update_window(korvimo, box[1][-1])


SHORT_THEN_RESET = http_stub.build_response(b"2.20\r\n" + b"z" * 500)


@pytest.mark.parametrize("answer", [
    dict(body=b"<html>missing</html>", status="404 Not Found"),
    dict(body=b"2.20\r\n", content_length="lots"),
    dict(body=b"2.20\r\nhttp://example.org/\r\n", drop_after=80),
    dict(raw=SHORT_THEN_RESET, drop_after=len(SHORT_THEN_RESET) - 300, reset=True),
    dict(body=b""),
], ids=["error status", "length not a number", "dropped before complete", "reset before complete", "no version"])
def test_failures_show_download_failed_and_check_nothing(korvimo, site, answer):
    site.answer(**answer)
    open_update_window(korvimo)
    wait_status(korvimo, FAILED)
    # No version check follows, and nothing half-downloaded is left.
    assert korvimo.probe("messagebox", 2500, check=False) == ""
    assert local_files() == []
    close_update_window(korvimo)


def test_server_that_never_finishes_leaves_the_window_closable(korvimo, site):
    """Headers and part of the body, then silence with the connection open:
    the window keeps waiting, and closing it ends the download at once."""
    response = http_stub.build_response(b"2.20\r\n" + b"w" * 500)
    site.answer(raw=response, chunks=[len(response) - 300], delay=600, close=False)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: bool(local_files()) and os.path.getsize(local_files()[0]) == 206,
                       what="the first piece written")
    time.sleep(2.5)
    assert control_text(korvimo, LBLSTATUS) not in (FAILED, COMPLETE)
    assert korvimo.probe("messagebox", 500, check=False) == ""
    started = time.monotonic()
    close_update_window(korvimo)
    korvimo.settle()
    assert time.monotonic() - started < 10
    assert korvimo.process.poll() is None


def test_second_command_brings_up_the_same_download(korvimo, site):
    site.answer(body=b"2.20\r\n" + b"x" * 100, chunks=[60, 10], delay=30, close=False)
    open_update_window(korvimo)
    site.wait_for_request(timeout=15)
    korvimo.command("IDM_UPDATE")
    time.sleep(1.0)
    assert len(site.requests) == 1
    close_update_window(korvimo)


def test_closing_the_program_mid_download_leaves_the_partial_file(korvimo, site):
    response = http_stub.build_response(b"2.20\r\n" + b"y" * 200)
    site.answer(raw=response, chunks=[len(response) - 150], delay=60, close=False)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: bool(local_files()) and os.path.getsize(local_files()[0]) == 56,
                       what="first piece written")
    korvimo.close()
    files = local_files()
    assert len(files) == 1
    with open(files[0], "rb") as f:
        assert f.read() == b"2.20\r\n" + b"y" * 50


# These two need programs of their own: another address, another name server.
def test_refused_connection_fails(start_korvimo, monkeypatch):
    refused = http_stub.StubServer(refuse=True)
    monkeypatch.setenv("KORVIMO_UPDATE_URL", refused.url())
    korvimo = start_korvimo()
    open_update_window(korvimo)
    wait_status(korvimo, FAILED)
    assert korvimo.probe("messagebox", 2500, check=False) == ""
    refused.stop()


def test_main_window_answers_while_the_host_lookup_waits(wine, start_korvimo, monkeypatch, held_lookups):
    monkeypatch.setenv("KORVIMO_UPDATE_URL", "http://update.korvimo.test/qrvupdate.txt")
    korvimo = start_korvimo(prefix=held_lookups.prefix)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: held_lookups.held, what="a lookup waiting for its answer")
    wine.set_clipboard(text="captured meanwhile")
    korvimo.wait_until(lambda: "Txt0" in korvimo.keys(), what="the capture")
    assert control_text(korvimo, LBLSTATUS) == ""
    # Closed while the lookup waits: its late answer finds no window.
    korvimo.probe("close-window", UPDATE_CLASS)
    korvimo.wait_until(lambda: update_window_gone(korvimo), what="update window closed")
    held_lookups.answer()
    # Another try, answered at once: no such host.
    open_update_window(korvimo)
    wait_status(korvimo, FAILED)
    assert korvimo.process.poll() is None
