"""A tiny HTTP/1.0 server on 127.0.0.1 standing in for the update site.

It keeps the raw bytes of every request and answers each with the response last given to answer():
built from body and status, or raw bytes; sent in pieces (chunks: a size, or a list of sizes with
the rest last) with delay seconds between them, then closed (close=False keeps it open until stop()).
"""
import contextlib
import itertools
import socketserver
import threading

import pytest


def build_response(body=b"", status="200 OK"):
    head = f"HTTP/1.0 {status}\r\nContent-Type: text/plain\r\nContent-Length: {len(body)}\r\n\r\n"
    return head.encode("latin-1") + body


class _Reply(socketserver.StreamRequestHandler):
    timeout = 10

    def handle(self):
        server, request = self.server, b""
        pieces, delay, close = server.pieces, server.delay, server.close
        while not request.endswith(b"\r\n\r\n") and (line := self.rfile.readline()):
            request += line
        server.requests.append(request)
        for i, piece in enumerate(pieces):
            if i and delay and server.stopping.wait(delay):
                return
            self.wfile.write(piece)
        if not close:
            server.stopping.wait()


class StubServer(socketserver.ThreadingTCPServer):
    daemon_threads = True

    def __init__(self, **response):
        super().__init__(("127.0.0.1", 0), _Reply)
        self.port = self.server_address[1]
        self.requests = []  # raw request bytes, one entry per connection since the last answer()
        self.stopping = threading.Event()
        self.answer(**response)
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def answer(self, raw=None, chunks=None, delay=0.0, close=True, **build):
        data = raw if raw is not None else build_response(**build)
        sizes = [chunks] * (len(data) // chunks) if isinstance(chunks, int) else chunks or []
        cuts = [0, *itertools.accumulate(sizes), len(data)]
        self.pieces = [data[a:b] for a, b in zip(cuts, cuts[1:]) if data[a:b]]
        self.delay, self.close = delay, close
        self.requests.clear()

    def url(self, path="/qrvupdate.txt"):
        return f"http://127.0.0.1:{self.port}{path}"

    def stop(self):
        self.stopping.set()
        self.shutdown()
        self.server_close()


@contextlib.contextmanager
def update_site(**response):
    """A stub server that the programs started meanwhile take for the update site."""
    stub = StubServer(**response)
    with pytest.MonkeyPatch.context() as env:
        env.setenv("KORVIMO_UPDATE_URL", stub.url())  # read as the program starts
        yield stub
    stub.stop()
