#!/usr/bin/env python3
"""Loopback content server for by-hand runs, end-to-end tests and the benchmark.

Serves one file at one path: HEAD with Content-Length, GET with "Range: bytes=a-b" answered
206 with Content-Range (200 and the whole file without a Range header), redirects, and scripted
faults for GET requests:

  drop:N        close after N body bytes
  stall:N:MS    send N body bytes, hold the connection MS milliseconds, close
  404 / 500     an error page instead of the range
  whole200      ignore the Range header: 200 and the whole file
  extra:N       the range followed by N bytes of junk
  splithead     the head in 3-byte pieces, its last piece with the first body bytes
  nolength      no Content-Length; the end of the body is the close
  wrongstart:N  206 for a range starting N bytes after the one asked for

--fault KIND takes effect on the next GETs in order; --random-faults P gives each later GET a
random fault with probability P. --rate caps every connection at that many bytes per second.
Binds loopback addresses only. Prints "PORT <n>" once listening.
"""
import argparse
import os
import random
import re
import socket
import socketserver
import sys
import threading
import time

RANGE_RE = re.compile(rb"^range:\s*bytes\s*=\s*(\d*)-(\d*)\s*$", re.I | re.M)
STATUS = {200: "OK", 206: "Partial Content", 301: "Moved Permanently", 302: "Found",
          307: "Temporary Redirect", 404: "Not Found", 416: "Range Not Satisfiable",
          500: "Internal Server Error"}


class State:
    def __init__(self, args):
        self.args = args
        self.path = args.path
        self.file = args.file
        self.size = os.path.getsize(args.file)
        self.lock = threading.Lock()
        self.queue = list(args.fault or [])
        self.random = random.Random(args.seed)
        self.redirects = {}
        for rule in args.redirect or []:
            source, _, target = rule.partition("=")
            target, _, status = target.partition(",")
            self.redirects[source] = (int(status or 302), target)
        self.log = open(args.log, "a", buffering=1) if args.log else None

    def next_fault(self):
        with self.lock:
            if self.queue:
                return self.queue.pop(0)
            if self.args.random_faults > 0 and self.random.random() < self.args.random_faults:
                at = self.random.randrange(self.size + 1)
                return self.random.choice([
                    "drop:%d" % at, "stall:%d:%d" % (at, self.args.stall_ms), "500", "whole200",
                    "extra:%d" % (1 + at % 5000), "splithead", "nolength", "wrongstart:%d" % (1 + at % 100)])
            return ""

    def record(self, line):
        if self.log:
            with self.lock:
                self.log.write(line + "\n")


class Handler(socketserver.BaseRequestHandler):
    def send(self, data):
        self.request.sendall(data)

    def paced_send(self, data):
        rate = self.server.state.args.rate
        if rate <= 0:
            self.send(data)
            return
        piece = max(1024, int(rate / 100))
        start = time.monotonic()
        sent = 0
        for at in range(0, len(data), piece):
            chunk = data[at:at + piece]
            self.send(chunk)
            sent += len(chunk)
            ahead = sent / rate - (time.monotonic() - start)
            if ahead > 0:
                time.sleep(ahead)

    def send_file_part(self, offset, count):
        state = self.server.state
        rate = state.args.rate
        with open(state.file, "rb") as f:
            if rate <= 0:
                while count > 0:
                    n = os.sendfile(self.request.fileno(), f.fileno(), offset, min(count, 1 << 24))
                    if n <= 0:
                        return
                    offset += n
                    count -= n
                return
            f.seek(offset)
            start = time.monotonic()
            sent = 0
            piece = max(1024, int(rate / 100))
            while count > 0:
                chunk = f.read(min(piece, count))
                if not chunk:
                    return
                self.send(chunk)
                count -= len(chunk)
                sent += len(chunk)
                ahead = sent / rate - (time.monotonic() - start)
                if ahead > 0:
                    time.sleep(ahead)

    def read_head(self):
        data = b""
        self.request.settimeout(10)
        while b"\r\n\r\n" not in data and len(data) < 65536:
            piece = self.request.recv(4096)
            if not piece:
                break
            data += piece
        return data

    def handle(self):
        state = self.server.state
        try:
            head = self.read_head()
            if not head:
                return
            # Blocking again for the answer: os.sendfile on a socket with a time-out stops short.
            self.request.settimeout(None)
            words = head.split(b"\r\n", 1)[0].split(b" ")
            method = words[0].decode("latin-1") if words else ""
            path = words[1].decode("latin-1") if len(words) > 1 else ""
            match = RANGE_RE.search(head)
            state.record("%s %s %s" % (method, path, match.group(0).decode("latin-1").strip() if match else "-"))
            if path in state.redirects:
                status, target = state.redirects[path]
                self.send(("HTTP/1.1 %d %s\r\nLocation: %s\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
                           % (status, STATUS.get(status, "Redirect"), target)).encode())
            elif path != state.path:
                self.send(b"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found")
            elif method == "HEAD":
                length = "" if state.args.head_no_length else "Content-Length: %d\r\n" % state.size
                self.send(("HTTP/1.1 200 OK\r\n%sAccept-Ranges: bytes\r\nConnection: close\r\n\r\n"
                           % length).encode())
            elif method == "GET":
                self.serve_get(match, state.next_fault())
            self.request.shutdown(socket.SHUT_WR)
            self.request.settimeout(1)
            while self.request.recv(4096):
                pass
        except OSError:
            pass

    def serve_get(self, match, fault):
        state = self.server.state
        kind, _, rest = fault.partition(":")
        params = [int(p) for p in rest.split(":") if p]
        if kind in ("404", "500"):
            status = int(kind)
            self.send(("HTTP/1.1 %d %s\r\nContent-Length: 20\r\nConnection: close\r\n\r\nERRORPAGE-ERRORPAGE"
                       % (status, STATUS[status])).encode())
            return
        size = state.size
        first, last = 0, size - 1
        ranged = match is not None and kind != "whole200"
        if ranged:
            a, b = match.group(1), match.group(2)
            if a:
                first = int(a)
                if b:
                    last = min(int(b), size - 1)
            elif b:
                first = max(0, size - int(b))
            if first >= size or first > last:
                self.send(b"HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n")
                return
            if kind == "wrongstart":
                first = min(last, first + max(params[0] if params else 1, 1))
        head = "HTTP/1.1 %s\r\n" % ("206 Partial Content" if ranged else "200 OK")
        if kind != "nolength":
            head += "Content-Length: %d\r\n" % (last - first + 1)
        if ranged:
            head += "Content-Range: bytes %d-%d/%d\r\n" % (first, last, size)
        head += "Accept-Ranges: bytes\r\nConnection: close\r\n\r\n"
        head = head.encode()
        end = last + 1
        if kind in ("drop", "stall"):
            end = min(end, first + (params[0] if params else 0))
        at = first
        if kind == "splithead":
            for i in range(0, len(head) - 3, 3):
                self.send(head[i:min(i + 3, len(head) - 3)])
                time.sleep(0.001)
            with open(state.file, "rb") as f:
                f.seek(at)
                lead = f.read(min(100, end - at))
            self.send(head[-3:] + lead)
            at += len(lead)
        else:
            self.send(head)
        self.send_file_part(at, end - at)
        if kind == "extra":
            self.send(b"Z" * max(params[0] if params else 1, 1))
        if kind == "stall":
            time.sleep((params[1] if len(params) > 1 else state.args.stall_ms) / 1000.0)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--file", required=True, help="the file to serve")
    parser.add_argument("--path", default="/kelvora/Kelvora_install.exe")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--rate", type=float, default=0, help="bytes per second per connection (0 = no cap)")
    parser.add_argument("--redirect", action="append", metavar="FROM=TO[,STATUS]")
    parser.add_argument("--fault", action="append", metavar="KIND[:N[:MS]]")
    parser.add_argument("--random-faults", type=float, default=0.0, metavar="P")
    parser.add_argument("--stall-ms", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--head-no-length", action="store_true")
    parser.add_argument("--log", help="append one line per request")
    args = parser.parse_args()
    if not args.host.startswith("127."):
        sys.exit("content_server: loopback addresses only")
    server = Server((args.host, args.port), Handler)
    server.state = State(args)
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
