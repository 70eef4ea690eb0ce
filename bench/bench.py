#!/usr/bin/env python3
"""The measuring half of bench/run: serves one file from the loopback content server and times
each client on it, CPU time taken from the children's resource usage."""
import argparse
import filecmp
import os
import resource
import shutil
import subprocess
import sys
import time


def start_server(server, path, rate):
    cmd = [sys.executable, server, "--file", path, "--port", "0"]
    if rate > 0:
        cmd += ["--rate", str(rate)]
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline().split()
    if len(line) != 2 or line[0] != "PORT":
        proc.kill()
        sys.exit("bench: the content server did not start")
    return proc, int(line[1])


def measure(cmd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    if result.returncode != 0:
        sys.exit("bench: %s failed: %s" % (cmd[0], result.stderr.strip()))
    return wall, cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--driver", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--paced", action="store_true")
    parser.add_argument("--size-mib", type=int, default=0)
    parser.add_argument("--rate", type=float, default=20e6)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    size_mib = args.size_mib or (64 if args.paced else 256)
    rate = args.rate if args.paced else 0

    os.makedirs(args.work, exist_ok=True)
    source = os.path.join(args.work, "served_%d.bin" % size_mib)
    if not os.path.exists(source) or os.path.getsize(source) != size_mib << 20:
        with open(source, "wb") as f:
            for _ in range(size_mib):
                f.write(os.urandom(1 << 20))
    out = os.path.join(args.work, "out.bin")
    server, port = start_server(args.server, source, rate)
    url = "http://127.0.0.1:%d/kelvora/Kelvora_install.exe" % port
    clients = [
        ("engine x1", [args.driver, url, "1", out]),
        ("engine x4", [args.driver, url, "4", out]),
        ("curl", ["curl", "-s", "-f", "--noproxy", "*", "-o", out, url]),
        ("wget", ["wget", "-q", "--no-proxy", "-O", out, url]),
    ]
    results = {}
    try:
        for name, cmd in clients:
            runs = []
            for _ in range(args.repeat):
                if os.path.exists(out):
                    os.remove(out)
                runs.append(measure(cmd))
                if not filecmp.cmp(source, out, shallow=False):
                    sys.exit("bench: %s wrote a file that differs from the served one" % name)
            runs.sort()
            results[name] = runs[len(runs) // 2]  # the median run by wall time
    finally:
        server.terminate()
        server.wait()
        if os.path.exists(out):
            os.remove(out)

    gib = size_mib / 1024.0
    mode = "paced at %.0f MB/s per connection" % (rate / 1e6) if rate else "unpaced"
    print("loopback, %d MiB, %s, median of %d runs" % (size_mib, mode, args.repeat))
    print("%-10s %10s %14s %12s %12s" % ("client", "MiB/s", "CPU s/GiB", "speed/curl", "CPU/curl"))
    curl_wall, curl_cpu = results["curl"]
    for name, _ in clients:
        wall, cpu = results[name]
        print("%-10s %10.1f %14.3f %12.2f %12.2f" % (
            name, size_mib / wall, cpu / gib, curl_wall / wall, (cpu / gib) / (curl_cpu / gib)))


if __name__ == "__main__":
    main()
