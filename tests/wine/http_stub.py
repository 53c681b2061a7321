"""A tiny HTTP/1.0 server on 127.0.0.1 standing in for the update site.

It keeps the raw bytes of every request and answers each with the response
last given to answer(): built from body, status, content_length (True: the
body's length; None: no such line; a str: sent as the value) and extra
headers, or raw bytes; sent in pieces (chunks: a size, or a list of sizes
with the rest last) with delay seconds between them, cut after drop_after
bytes, then closed (close=False keeps it open until stop(); reset=True
ends it with a reset). refuse=True binds the port but never listens.
"""
import itertools
import socket
import struct
import threading
import time


def build_response(body=b"", status="200 OK", content_length=True, headers=()):
    lines = ["HTTP/1.0 " + status, "Content-Type: text/plain"]
    if content_length is not None:
        lines.append(f"Content-Length: {len(body) if content_length is True else content_length}")
    return ("\r\n".join([*lines, *headers]) + "\r\n\r\n").encode("latin-1") + body


class StubServer:
    def __init__(self, refuse=False):
        self.requests = []  # raw request bytes, one entry per connection since the last answer()
        self._arrived, self._stopping, self._open = threading.Condition(), threading.Event(), []
        self._sock = socket.socket()
        self._sock.bind(("127.0.0.1", 0))
        self.port = self._sock.getsockname()[1]
        if not refuse:
            self._sock.listen(5)
            self._sock.settimeout(0.2)
            threading.Thread(target=self._serve, daemon=True).start()

    def answer(self, raw=None, chunks=None, delay=0.0, drop_after=None, close=True, reset=False, **build):
        data = (raw if raw is not None else build_response(**build))[:drop_after]
        sizes = [chunks] * (len(data) // chunks) if isinstance(chunks, int) else chunks or []
        cuts = [0, *itertools.accumulate(sizes), len(data)]
        self._pieces = [data[a:b] for a, b in zip(cuts, cuts[1:]) if data[a:b]]
        self._delay, self._close, self._reset = delay, close or drop_after is not None, reset
        self.requests.clear()
        return self

    def url(self, path="/qrvupdate.txt"):
        return f"http://127.0.0.1:{self.port}{path}"

    def wait_for_request(self, timeout=10.0):
        with self._arrived:
            self._arrived.wait_for(lambda: self.requests, timeout)
            return list(self.requests)

    def stop(self):
        self._stopping.set()
        for conn in self._open:
            conn.close()
        self._sock.close()

    def _serve(self):
        while not self._stopping.is_set():
            try:
                conn, _ = self._sock.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=self._reply, args=(conn,), daemon=True).start()

    def _reply(self, conn):
        pieces, delay, close, reset = self._pieces, self._delay, self._close, self._reset
        conn.settimeout(10)
        request = b""
        try:
            while b"\r\n\r\n" not in request and (data := conn.recv(4096)):
                request += data
        except OSError:
            pass
        with self._arrived:
            self.requests.append(request)
            self._arrived.notify_all()
        try:
            for i, piece in enumerate(pieces):
                if i and delay and self._stopping.wait(delay):
                    break
                conn.sendall(piece)
        except OSError:
            pass
        if reset:  # a zero linger time makes close() send RST at once
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        if close or reset:
            conn.close()
        else:
            self._open.append(conn)


def start(refuse=False, **response):
    """A stub server in the background, answering as answer(**response) says."""
    return StubServer(refuse).answer(**response)
