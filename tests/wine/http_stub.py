"""A tiny HTTP/1.0 server on 127.0.0.1 standing in for the update site.

It keeps the raw bytes of every request and answers each with the response
last given to answer(): built from body and status, or raw bytes; sent in
pieces (chunks: a size, or a list of sizes with the rest last) with delay
seconds between them, then closed (close=False keeps it open until stop()).
refuse=True binds the port but never listens.
"""
import itertools
import socket
import threading
import time


def build_response(body=b"", status="200 OK"):
    head = f"HTTP/1.0 {status}\r\nContent-Type: text/plain\r\nContent-Length: {len(body)}\r\n\r\n"
    return head.encode("latin-1") + body


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

    def answer(self, raw=None, chunks=None, delay=0.0, close=True, **build):
        data = raw if raw is not None else build_response(**build)
        sizes = [chunks] * (len(data) // chunks) if isinstance(chunks, int) else chunks or []
        cuts = [0, *itertools.accumulate(sizes), len(data)]
        self._pieces = [data[a:b] for a, b in zip(cuts, cuts[1:]) if data[a:b]]
        self._delay, self._close = delay, close
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
        pieces, delay, close = self._pieces, self._delay, self._close
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
        if close:
            conn.close()
        else:
            self._open.append(conn)


def start(refuse=False, **response):
    """A stub server in the background, answering as answer(**response) says."""
    return StubServer(refuse).answer(**response)
