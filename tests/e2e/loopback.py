"""The loopback servers of one end-to-end test, run inside the pytest process.

Every server binds 127.0.0.1 only and records each raw request head, so a test can check what
the installer sent. The package-information server answers GET /api/softversion with a scripted
JSON reply; the content server serves the stand-in product installer with HEAD and Range and a
per-request plan of faults; the CONNECT proxy of tests/servers runs as a child process.
"""
import json
import pathlib
import re
import socket
import subprocess
import sys
import threading
import time

SERVERS = pathlib.Path(__file__).resolve().parents[1] / "servers"
sys.path.insert(0, str(SERVERS))
from http_server import build_reply  # noqa: E402  (the shared reply builder)

PKGINFO_PORT = 18480
CONTENT_PORT = 18481
PRODUCT_PATH = "/kelvora/Kelvora_install.exe"


class Request:
    def __init__(self, head):
        self.head = head
        self.line = head.split("\r\n", 1)[0]
        match = re.search(r"(?im)^range:\s*bytes=(\d+)-(\d*)", head)
        self.range = (int(match.group(1)), int(match.group(2)) if match.group(2) else None) if match else None

    def __repr__(self):
        return "Request(%r, range=%r)" % (self.line, self.range)


class LoopbackServer:
    """Accepts on 127.0.0.1:port on a thread; `reply(request)` gives (bytes, options)."""

    def __init__(self, port, log_path=None):
        self.port = port
        self.log_path = log_path
        self.requests = []
        self._lock = threading.Lock()
        self._listener = None
        self._thread = None
        self._stopping = False
        self._connections = []

    # -- lifetime -------------------------------------------------------------------------
    def start(self):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        deadline = time.monotonic() + 10
        while True:  # a port of the previous test may linger for a moment
            try:
                listener.bind(("127.0.0.1", self.port))
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)
        listener.listen(64)
        listener.settimeout(0.1)
        self._listener = listener
        self._stopping = False
        self._thread = threading.Thread(target=self._accept_loop, daemon=True)
        self._thread.start()
        return self

    def stop(self):
        """Stops listening: new connections are refused, open ones are cut."""
        self._stopping = True
        if self._thread:
            self._thread.join(timeout=5)
        self._thread = None
        if self._listener:
            self._listener.close()
        self._listener = None
        with self._lock:
            for conn in self._connections:
                try:
                    conn.close()
                except OSError:
                    pass
            self._connections = []

    @property
    def listening(self):
        return self._listener is not None

    def _accept_loop(self):
        while not self._stopping:
            try:
                conn, _ = self._listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            with self._lock:
                self._connections.append(conn)
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    # -- one connection ---------------------------------------------------------------------
    def _serve(self, conn):
        try:
            conn.settimeout(10)
            data = b""
            while b"\r\n\r\n" not in data and len(data) < 65536:
                chunk = conn.recv(4096)
                if not chunk:
                    break
                data += chunk
            if b"\r\n\r\n" not in data:
                return
            request = Request(data.split(b"\r\n\r\n", 1)[0].decode("latin-1") + "\r\n\r\n")
            with self._lock:
                self.requests.append(request)
                if self.log_path:
                    with open(self.log_path, "a", encoding="latin-1", newline="") as log:
                        log.write(request.head + "----\n")
            payload, options = self.reply(request)
            self._send(conn, payload, options)
        except OSError:
            pass
        finally:
            with self._lock:
                if conn in self._connections:
                    self._connections.remove(conn)
            try:
                conn.close()
            except OSError:
                pass

    def _send(self, conn, payload, options):
        if options.get("drop_after") is not None:
            payload = payload[:options["drop_after"]]
        rate = options.get("bytes_per_second")
        piece = 16384 if rate else 65536
        began = time.monotonic()
        for at in range(0, len(payload), piece):
            if self._stopping:
                return
            conn.sendall(payload[at:at + piece])
            if rate:
                ahead = (at + piece) / rate - (time.monotonic() - began)
                if ahead > 0:
                    time.sleep(ahead)
        conn.shutdown(socket.SHUT_WR)
        if options.get("then_stop"):
            self.stop()
            return
        if options.get("linger"):  # let the client read to the end before the close
            conn.settimeout(2)
            try:
                while conn.recv(4096):
                    pass
            except OSError:
                pass

    def reply(self, request):
        return b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", {}

    def wait_for(self, predicate, timeout, what):
        return poll(lambda: predicate(list(self.requests)), timeout, what)


class PkgInfoServer(LoopbackServer):
    """GET /api/softversion; version None sends a reply without a version (a refused one)."""

    def __init__(self, version="3.1.2.450", url=None, body=None, log_path=None, port=PKGINFO_PORT):
        super().__init__(port, log_path)
        if body is None:
            info = {"version_code": version,
                    "url": url or "http://127.0.0.1:%d%s" % (CONTENT_PORT, PRODUCT_PATH)}
            body = json.dumps({"status": 0, "message": "ok", "data": {"versionInfo": info}})
        self.body = body

    def reply(self, request):
        if request.line.startswith("GET /api/softversion"):
            rule = {"status": 200, "body": self.body, "headers": {"Content-Type": "application/json"}}
            return build_reply(rule, request.line, request.head), {"linger": True}
        return super().reply(request)


class ContentServer(LoopbackServer):
    """Serves `payload` at the product installer's path, honouring Range.

    `get_plan` is consumed one entry per GET of the product: None serves normally, a dict gives
    send options ({"drop_after_body": n} cuts the reply n body bytes in; "then_stop" also stops
    the server, so reconnects are refused until the test starts it again). `bytes_per_second`
    slows every GET so a test can act during the download.
    """

    def __init__(self, payload, log_path=None, port=CONTENT_PORT, bytes_per_second=None):
        super().__init__(port, log_path)
        self.payload = payload
        self.get_plan = []
        self.bytes_per_second = bytes_per_second
        self.body_bytes_sent = 0

    def product_gets(self):
        return [r for r in self.requests if r.line.startswith("GET " + PRODUCT_PATH)]

    def reply(self, request):
        method, _, rest = request.line.partition(" ")
        path = rest.split(" ", 1)[0]
        if path != PRODUCT_PATH or method not in ("HEAD", "GET"):
            return super().reply(request)
        body = self.payload
        status = "200 OK"
        extra = ""
        if method == "GET" and request.range:
            first, last = request.range
            last = len(body) - 1 if last is None else min(last, len(body) - 1)
            extra = "Content-Range: bytes %d-%d/%d\r\n" % (first, last, len(body))
            body = body[first:last + 1]
            status = "206 Partial Content"
        head = ("HTTP/1.1 %s\r\nContent-Type: application/octet-stream\r\nAccept-Ranges: bytes\r\n%s"
                "Content-Length: %d\r\n\r\n" % (status, extra, len(body))).encode("latin-1")
        options = {"linger": True}
        if self.bytes_per_second:
            options["bytes_per_second"] = self.bytes_per_second
        if method == "HEAD":
            return head, options
        plan = self.get_plan.pop(0) if self.get_plan else None
        if plan and "drop_after_body" in plan:
            options["drop_after"] = len(head) + plan["drop_after_body"]
            options["then_stop"] = plan.get("then_stop", False)
            options.pop("linger")
            self.body_bytes_sent += min(plan["drop_after_body"], len(body))
        else:
            self.body_bytes_sent += len(body)
        return head + body, options


class ConnectProxy:
    """tests/servers/connect_proxy.py as a child: maps CONNECT targets to loopback ports."""

    def __init__(self, port, mapping, log_path, time_limit=300):
        self.port = port
        self.log_path = pathlib.Path(log_path)
        args = [sys.executable, str(SERVERS / "connect_proxy.py"), "--port", str(port),
                "--log", str(log_path), "--time-limit", str(time_limit)]
        for target, local_port in mapping.items():
            args += ["--map", "%s=%d" % (target, local_port)]
        self.process = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        first = self.process.stdout.readline()  # the port, once it listens
        if not first.strip():
            raise RuntimeError("the CONNECT proxy did not start")

    def lines(self):
        return self.log_path.read_text(encoding="latin-1").splitlines() if self.log_path.exists() else []

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def poll(probe, timeout, what, interval=0.1):
    """Calls probe until it gives a true value; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)
