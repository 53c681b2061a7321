"""The update window, against a local HTTP server standing in for the update site: one program
for the module, pointed at one stub server whose answer each test sets, each test leaving the
update window closed; the tests that start programs of their own come last, for those end the module's."""
import os
import select
import socket
import time

import pytest

import http_stub
from korvimo_driver import IDNO, IDOK, IDYES, WM_CLOSE, temp_folder

UPDATE = "KorvimoUpdate"
LBLSTATUS = 7102
# The version check's question: text, buttons, whether it shows an icon.
NEW_VERSION = ("发现新版本，是否要更新？", [IDYES, IDNO], True)
COMPLETE, FAILED = "下载完成！", "下载失败！"


@pytest.fixture(scope="module", autouse=True)
def site():
    with http_stub.update_site() as stub:
        yield stub


def downloaded():
    """The downloaded file as the host sees it (GetTempPath + qrvu.tmp)."""
    return list(temp_folder().glob("qrvu.tmp"))


def open_update_window(korvimo):
    for path in downloaded():
        path.unlink()
    korvimo.command("IDM_UPDATE")
    assert korvimo.wait_window(UPDATE, 15) == "升级"


def label(korvimo, control):
    return korvimo.probe("text", f"{UPDATE}:{control}", check=False)


def test_lines_ending_in_lf_after_a_bom_name_the_latest_version(korvimo, site):
    site.answer(body=b"\xef\xbb\xbf2.20\nhttp://127.0.0.1:9/new\n")
    open_update_window(korvimo)
    assert korvimo.message_box(IDOK) == ("您使用的是最新版本", [IDOK], False)
    korvimo.wait_gone(UPDATE)


def test_a_server_silent_for_thirty_seconds_fails_the_download(korvimo, site):
    site.answer(raw=b"", close=False)
    open_update_window(korvimo)
    started = time.monotonic()
    korvimo.wait_until(lambda: label(korvimo, LBLSTATUS) == FAILED, timeout=45, what="the download failed")
    assert time.monotonic() - started > 28 and korvimo.no_message_box() and downloaded() == []
    korvimo.post(UPDATE, WM_CLOSE)
    korvimo.wait_gone(UPDATE)


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
    assert korvimo.no_message_box(0.5) and len(site.requests) == 1
    started = time.monotonic()
    korvimo.post(UPDATE, WM_CLOSE)
    korvimo.wait_gone(UPDATE)
    korvimo.settle()
    assert time.monotonic() - started < 10 and korvimo.process.poll() is None

    site.answer(body=b"2.20\r\n" + b"y" * 200, chunks=[66 + 56], delay=60, close=False)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: [p.stat().st_size for p in downloaded()] == [56], what="the first piece written")
    korvimo.close()
    assert [p.read_bytes() for p in downloaded()] == [b"2.20\r\n" + b"y" * 50]


@pytest.mark.parametrize("url", [None, "http://127.0.0.1:1/qrvupdate.txt"], ids=["error status", "refused"])
def test_a_failed_download_shows_download_failed_and_checks_nothing(start_korvimo, site, monkeypatch, url):
    site.answer(body=b"<html>missing</html>", status="404 Not Found")
    if url:  # nothing listens on port 1
        monkeypatch.setenv("KORVIMO_UPDATE_URL", url)
    korvimo = start_korvimo()
    open_update_window(korvimo)
    korvimo.wait_until(lambda: label(korvimo, LBLSTATUS) == FAILED, timeout=20, what="the download failed")
    # No version check follows, and nothing half-downloaded is left.
    assert korvimo.no_message_box(2.5) and downloaded() == []


def private(file, over):
    """A prefix that runs the program with file bound over a system one, in a mount namespace of its own."""
    if os.geteuid() != 0:
        pytest.skip("a private mount needs root")
    return ["unshare", "-m", "sh", "-c", 'mount --bind "$0" "$1" && shift && exec "$@"', str(file), over]


def test_a_newer_version_from_the_hosts_second_address_sent_slowly_in_small_pieces_asks_to_update(
        start_korvimo, site, monkeypatch, tmp_path):
    """The host's first address, ::1, refuses: the server listens on 127.0.0.1 only."""
    hosts = tmp_path / "hosts"
    hosts.write_text("::1 update.korvimo.test\n127.0.0.1 update.korvimo.test\n")
    site.answer(body=b"2.30\r\n" + b"x" * 3000 + b"\r\nhttp://127.0.0.1:9/new\r\n", chunks=7, delay=0.001)
    monkeypatch.setenv("KORVIMO_UPDATE_URL", f"http://update.korvimo.test:{site.port}/qrvupdate.txt")
    korvimo = start_korvimo(prefix=private(hosts, "/etc/hosts"))
    open_update_window(korvimo)
    # The file is read and deleted before the answer is shown.
    assert korvimo.message_box(IDNO, timeout=60) == NEW_VERSION and downloaded() == []


def test_main_window_answers_while_the_host_lookup_waits(start_korvimo, monkeypatch, tmp_path):
    """Lookups go to a name server of the test's own, through a resolv.conf bound over the system's in
    a private mount namespace. It holds each query: the window goes on meanwhile and closes; the late
    answer, no such host, finds no window; the next try, answered at once, fails."""
    conf = tmp_path / "resolv.conf"
    prefix = private(conf, "/etc/resolv.conf")
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind((f"127.53.{os.getpid() % 250 + 1}.1", 53))
    conf.write_text(f"nameserver {server.getsockname()[0]}\noptions timeout:30 attempts:1\n")

    def answer():
        """Each query waiting: the same id and question; a response, recursion available, NXDOMAIN."""
        while select.select([server], [], [], 0.1)[0]:
            query, peer = server.recvfrom(512)
            server.sendto(query[:2] + b"\x81\x83" + query[4:6] + bytes(6) + query[12:], peer)

    monkeypatch.setenv("KORVIMO_UPDATE_URL", "http://update.korvimo.test/qrvupdate.txt")
    korvimo = start_korvimo(prefix=prefix)
    open_update_window(korvimo)
    korvimo.wait_until(lambda: select.select([server], [], [], 0)[0], what="a lookup waiting for its answer")
    korvimo.copy(text="captured meanwhile")
    assert label(korvimo, LBLSTATUS) == ""
    korvimo.post(UPDATE, WM_CLOSE)
    korvimo.wait_gone(UPDATE)
    answer()
    open_update_window(korvimo)
    korvimo.wait_until(lambda: answer() or label(korvimo, LBLSTATUS) == FAILED, timeout=20, what="no such host")
    assert korvimo.process.poll() is None
    server.close()
