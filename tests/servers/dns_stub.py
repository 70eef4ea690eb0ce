#!/usr/bin/env python3
"""UDP DNS stub on loopback: answers A queries from a fixed table and logs every query.

  dns_stub.py --port 18453 --answer files.kelvora.test=127.0.0.1 --answer '*=127.0.0.1'
Names not in the table get an answer without records (the resolver then reports failure).
--reply-hex sends these exact bytes instead (the query's first two ID bytes are copied in);
--delay-ms holds each answer back; --forge first sends the answer with a wrong ID.
Only queries from 127.0.0.0/8 are answered.
"""
import argparse
import socket
import struct
import sys
import time


def qname_end(packet):
    pos = 12
    while pos < len(packet) and packet[pos] != 0:
        pos += 1 + packet[pos]
    return pos + 1


def read_name(packet):
    labels, pos = [], 12
    while pos < len(packet) and packet[pos] != 0:
        labels.append(packet[pos + 1:pos + 1 + packet[pos]].decode("latin-1"))
        pos += 1 + packet[pos]
    return ".".join(labels).lower()


def make_reply(query, table):
    name = read_name(query)
    address = table.get(name, table.get("*"))
    question = query[12:qname_end(query) + 4]
    count = 1 if address else 0
    head = query[:2] + b"\x81\x80" + struct.pack(">HHHH", 1, count, 0, 0)
    answer = b""
    if address:
        answer = b"\xc0\x0c" + struct.pack(">HHIH", 1, 1, 300, 4) + socket.inet_aton(address)
    return head + question + answer


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--answer", action="append", default=[], help="name=dotted address")
    parser.add_argument("--reply-hex", help="exact reply bytes in hex")
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--forge", action="store_true")
    parser.add_argument("--log", help="file to append one line per query")
    parser.add_argument("--time-limit", type=float, default=60)
    args = parser.parse_args()
    table = dict(item.split("=", 1) for item in args.answer)
    table = {k.lower(): v for k, v in table.items()}
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", args.port))
    sock.settimeout(0.2)
    print(sock.getsockname()[1], flush=True)
    deadline = time.time() + args.time_limit
    while time.time() < deadline:
        try:
            query, peer = sock.recvfrom(65536)
        except socket.timeout:
            continue
        if not peer[0].startswith("127.") or len(query) < 12:
            continue
        if args.log:
            with open(args.log, "a") as log:
                log.write("%s %s\n" % (read_name(query), query.hex()))
        reply = bytes.fromhex(args.reply_hex) if args.reply_hex else make_reply(query, table)
        reply = query[:2] + reply[2:]
        if args.delay_ms:
            time.sleep(args.delay_ms / 1000.0)
        if args.forge:
            sock.sendto(bytes([query[0] ^ 0x5A]) + reply[1:], peer)
        sock.sendto(reply, peer)
    sock.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
