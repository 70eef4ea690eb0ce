#!/usr/bin/env python3
"""Scripted HTTP server on loopback that records every raw request.

Replies come from a script file (JSON): a list of rules tried in order, the first whose
"match" text occurs in the request line wins:
  [{"match": "HEAD /kelvora/", "reply": "HTTP/1.1 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n"},
   {"match": "GET /", "status": 200, "body": "hello", "piece": 1, "pause_ms": 10,
    "drop_after": 0, "stall_ms": 0}]
A rule gives either the whole "reply" text or a "status" and "body" (a Content-Length head is
built; "chunked": true sends the body as one chunk instead). "body_file" serves a file and honours
Range (206), unless "ignore_range" is true (200 with the whole file). Unmatched requests get 404.
Each raw request head is appended to the log file (--log), separated by a line "----".
"""
import argparse
import json
import os
import re
import socket
import sys
import threading
import time


def build_reply(rule, request_line, headers):
    if "reply" in rule:
        return rule["reply"].encode("latin-1")
    body = rule.get("body", "").encode("latin-1")
    if "body_file" in rule:
        with open(rule["body_file"], "rb") as f:
            body = f.read()
    status = int(rule.get("status", 200))
    extra = ""
    match = re.search(r"(?im)^range:\s*bytes=(\d+)-(\d*)", headers)
    if match and "body_file" in rule and not rule.get("ignore_range"):
        first = int(match.group(1))
        last = int(match.group(2)) if match.group(2) else len(body) - 1
        last = min(last, len(body) - 1)
        extra = "Content-Range: bytes %d-%d/%d\r\n" % (first, last, len(body))
        body = body[first:last + 1]
        status = 206
    reason = {200: "OK", 206: "Partial Content", 302: "Found", 404: "Not Found"}.get(status, "Status")
    head = "HTTP/1.1 %d %s\r\n%s" % (status, reason, extra)
    for name, value in rule.get("headers", {}).items():
        head += "%s: %s\r\n" % (name, value)
    if rule.get("chunked"):
        head += "Transfer-Encoding: chunked\r\n\r\n"
        payload = (b"%x\r\n" % len(body) + body + b"\r\n" if body else b"") + b"0\r\n\r\n"
    else:
        head += "Content-Length: %d\r\n\r\n" % int(rule.get("content_length", len(body)))
        payload = body
    if request_line.startswith("HEAD "):
        payload = b""
    return head.encode("latin-1") + payload


def serve(conn, rules, log_path, lock, deadline):
    conn.settimeout(5)
    data = b""
    try:
        while b"\r\n\r\n" not in data and len(data) < 65536 and time.time() < deadline:
            chunk = conn.recv(4096)
            if not chunk:
                break
            data += chunk
    except OSError:
        pass
    if not data:
        conn.close()
        return
    head = data.split(b"\r\n\r\n", 1)[0].decode("latin-1") + "\r\n\r\n"
    with lock:
        if log_path:
            with open(log_path, "a", encoding="latin-1", newline="") as log:
                log.write(head + "----\n")
    request_line = head.split("\r\n", 1)[0]
    rule = next((r for r in rules if r.get("match", "") in request_line), None)
    reply = build_reply(rule, request_line, head) if rule else b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"
    rule = rule or {}
    if rule.get("drop_after"):
        reply = reply[:int(rule["drop_after"])]
    piece = int(rule.get("piece", 0)) or max(len(reply), 1)
    try:
        for at in range(0, len(reply), piece):
            if at and rule.get("pause_ms"):
                time.sleep(rule["pause_ms"] / 1000.0)
            conn.sendall(reply[at:at + piece])
        if rule.get("stall_ms"):
            time.sleep(min(rule["stall_ms"], max(0, deadline - time.time()) * 1000) / 1000.0)
        conn.shutdown(socket.SHUT_WR)
    except OSError:
        pass
    conn.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port (printed on stdout)")
    parser.add_argument("--script", help="JSON rules; without it every request gets 200 'ok'")
    parser.add_argument("--log", help="file to append raw requests to")
    parser.add_argument("--time-limit", type=float, default=60, help="seconds until the server stops")
    args = parser.parse_args()
    rules = [{"match": "", "body": "ok"}]
    if args.script:
        with open(args.script, encoding="utf-8") as f:
            rules = json.load(f)
    deadline = time.time() + args.time_limit
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(64)
    listener.settimeout(0.2)
    print(listener.getsockname()[1], flush=True)
    lock = threading.Lock()
    while time.time() < deadline:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(conn, rules, args.log, lock, deadline), daemon=True).start()
    listener.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
