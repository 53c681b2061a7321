"""A tiny HTTP/1.0 server on 127.0.0.1 for the update tests.

It records the raw bytes of every request it receives and answers each with
one scripted response, optionally cut into pieces sent with pauses between
them, or cut short.

    stub = http_stub.start(body=b"2.20\\r\\n")
    port, requests = stub            # unpacks to (port, received_requests)
    ... point KORVIMO_UPDATE_URL at stub.url("/qrvupdate.txt") ...
    stub.wait_for_request(timeout=10)
    stub.stop()

Options of start():
    port=0              0 picks a free port
    body=b""            the response body (bytes, or str encoded as GBK)
    status="200 OK"     the status line after "HTTP/1.0 "
    content_length=True True: "Content-Length: <len(body)>"; None: no such
                        line; a str: sent verbatim as the value ("lots")
    headers=None        extra header lines (without CR LF), e.g.
                        ["content-length: 5"]
    raw=None            bytes sent instead of a built response
    chunks=None         sizes of the pieces the response is sent in (the rest
                        goes as one last piece); an int n means pieces of n
    delay=0.0           seconds to wait before each piece after the first
    drop_after=None     close after this many response bytes
    close=True          close the connection after the response; False keeps
                        it open until stop()
    refuse=False        accept nothing: the port is bound but not listening,
                        so connecting is refused
    reset=False         end the connection with a reset (RST) instead of an
                        orderly close, after the bytes that were sent
"""

import socket
import struct
import threading
import time

__all__ = ["start", "StubServer", "build_response"]


def build_response(body=b"", status="200 OK", content_length=True, headers=None):
    """The bytes of a simple HTTP/1.0 response."""
    if isinstance(body, str):
        body = body.encode("gbk")
    lines = ["HTTP/1.0 " + status, "Content-Type: text/plain"]
    if content_length is True:
        lines.append("Content-Length: %d" % len(body))
    elif content_length is not None:
        lines.append("Content-Length: " + str(content_length))
    lines.extend(headers or [])
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


def _pieces(data, chunks):
    if chunks is None:
        return [data]
    if isinstance(chunks, int):
        size = max(1, chunks)
        return [data[i:i + size] for i in range(0, len(data), size)] or [b""]
    pieces, at = [], 0
    for size in chunks:
        pieces.append(data[at:at + size])
        at += size
    if at < len(data):
        pieces.append(data[at:])
    return pieces


class StubServer:
    def __init__(self, response, port=0, chunks=None, delay=0.0, drop_after=None, close=True, refuse=False,
                 reset=False):
        self.response = response
        self.reset = reset
        self.chunks = chunks
        self.delay = delay
        self.drop_after = drop_after
        self.close_after = close
        self.requests = []  # raw request bytes, one entry per connection
        self._lock = threading.Condition()
        self._stopping = threading.Event()
        self._open = []
        self._sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._sock.bind(("127.0.0.1", port))
        self.port = self._sock.getsockname()[1]
        self._thread = None
        if not refuse:
            self._sock.listen(5)
            self._sock.settimeout(0.2)
            self._thread = threading.Thread(target=self._serve, daemon=True)
            self._thread.start()

    def __iter__(self):
        return iter((self.port, self.requests))

    def url(self, path="/qrvupdate.txt"):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def wait_for_request(self, timeout=10.0, count=1):
        """Waits until count requests have arrived; returns the list."""
        deadline = time.monotonic() + timeout
        with self._lock:
            while len(self.requests) < count:
                left = deadline - time.monotonic()
                if left <= 0:
                    break
                self._lock.wait(left)
            return list(self.requests)

    def stop(self):
        self._stopping.set()
        for conn in self._open:
            try:
                conn.close()
            except OSError:
                pass
        if self._thread:
            self._thread.join(2)
        self._sock.close()

    def _serve(self):
        while not self._stopping.is_set():
            try:
                conn, _ = self._sock.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=self._answer, args=(conn,), daemon=True).start()

    def _answer(self, conn):
        conn.settimeout(10)
        request = b""
        try:
            while b"\r\n\r\n" not in request and len(request) < 1 << 20:
                data = conn.recv(4096)
                if not data:
                    break
                request += data
        except OSError:
            pass
        with self._lock:
            self.requests.append(request)
            self._lock.notify_all()

        data = self.response
        if self.drop_after is not None:
            data = data[:self.drop_after]
        try:
            for i, piece in enumerate(_pieces(data, self.chunks)):
                if i and self.delay:
                    time.sleep(self.delay)
                if self._stopping.is_set():
                    break
                conn.sendall(piece)
        except OSError:
            pass
        if self.reset:
            # A zero linger time makes close() send RST at once.
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            conn.close()
        elif self.close_after or self.drop_after is not None:
            conn.close()
        else:
            self._open.append(conn)


def start(port=0, body=b"", status="200 OK", content_length=True, headers=None, raw=None,
          chunks=None, delay=0.0, drop_after=None, close=True, refuse=False, reset=False):
    """Starts a stub server in the background; see the module text."""
    response = raw if raw is not None else build_response(body, status, content_length, headers)
    return StubServer(response, port=port, chunks=chunks, delay=delay, drop_after=drop_after,
                      close=close, refuse=refuse, reset=reset)
