#!/usr/bin/env python3
"""HTTP CONNECT proxy on loopback that records each CONNECT line and relays.

  connect_proxy.py --port 18490 --log connect.log --map dl.kelvora.test:80=18481
The proxy only ever connects to 127.0.0.1: a target given as a 127.x literal goes to that port,
a mapped "host:port" to its mapped loopback port; anything else gets 502. --refuse sends that
status (for example 407) instead of tunnelling.
"""
import argparse
import select
import socket
import sys
import threading
import time


def relay(a, b, deadline):
    sockets = [a, b]
    while time.time() < deadline:
        ready, _, _ = select.select(sockets, [], [], 0.2)
        for s in ready:
            data = s.recv(65536)
            other = b if s is a else a
            if not data:
                return
            other.sendall(data)


def serve(conn, args, targets, lock, deadline):
    conn.settimeout(5)
    data = b""
    try:
        while b"\r\n\r\n" not in data and len(data) < 65536:
            chunk = conn.recv(1)
            if not chunk:
                break
            data += chunk
    except OSError:
        conn.close()
        return
    line = data.split(b"\r\n", 1)[0].decode("latin-1")
    with lock:
        if args.log:
            with open(args.log, "a") as log:
                log.write(line + "\n")
    parts = line.split(" ")
    try:
        if len(parts) != 3 or parts[0] != "CONNECT":
            conn.sendall(b"HTTP/1.1 405 Method Not Allowed\r\n\r\n")
            return
        if args.refuse:
            conn.sendall(b"HTTP/1.1 %d Refused\r\nContent-Length: 0\r\n\r\n" % args.refuse)
            return
        host, _, port = parts[1].rpartition(":")
        if parts[1] in targets:
            address = ("127.0.0.1", targets[parts[1]])
        elif host.startswith("127.") and all(p.isdigit() for p in host.split(".")) and port.isdigit():
            address = (host, int(port))
        else:
            conn.sendall(b"HTTP/1.1 502 Bad Gateway\r\n\r\n")
            return
        try:
            upstream = socket.create_connection(address, timeout=5)
        except OSError:
            conn.sendall(b"HTTP/1.1 502 Bad Gateway\r\n\r\n")
            return
        conn.sendall(b"HTTP/1.0 200 Connection established\r\n\r\n")
        conn.settimeout(None)
        relay(conn, upstream, deadline)
        upstream.close()
    except OSError:
        pass
    finally:
        conn.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--map", action="append", default=[], help="host:port=loopback port")
    parser.add_argument("--refuse", type=int, default=0, help="answer every CONNECT with this status")
    parser.add_argument("--log", help="file to append the CONNECT lines to")
    parser.add_argument("--time-limit", type=float, default=60)
    args = parser.parse_args()
    targets = {k: int(v) for k, v in (item.rsplit("=", 1) for item in args.map)}
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(64)
    listener.settimeout(0.2)
    print(listener.getsockname()[1], flush=True)
    deadline = time.time() + args.time_limit
    lock = threading.Lock()
    while time.time() < deadline:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(conn, args, targets, lock, deadline), daemon=True).start()
    listener.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
