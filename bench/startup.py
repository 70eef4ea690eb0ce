#!/usr/bin/env python3
"""The measuring half of bench/startup: under Wine on a virtual display, how long the installer
takes from its start to a visible, painted welcome page, with the package-information server
answering at once and with it down, side by side with a minimal Win32 program that shows a plain
600x400 window; the peak working set of both; and the CPU the installer uses on the progress page
during a paced download."""
import argparse
import ctypes
import os
import pathlib
import shutil
import socket
import statistics
import subprocess
import sys
import threading
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from loopback import CONTENT_PORT, PRODUCT_PATH, ContentServer, PkgInfoServer, poll  # noqa: E402
import pages  # noqa: E402
from screen import Screen  # noqa: E402
from winehost import WineHost  # noqa: E402

TAG = "install_zozavi00"
TEAL = pages.TEAL
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class Pixels:
    """Reads single pixels of the X screen directly: a screenshot per probe would cost more than
    what is being measured."""

    def __init__(self, display):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.c_void_p
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XGetPixel.restype = ctypes.c_ulong
        self.x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display.encode())
        if not self.display:
            sys.exit("startup: cannot open display %s" % display)
        self.root = self.x.XDefaultRootWindow(self.display)

    def rgb(self, px, py):
        image = self.x.XGetImage(self.display, self.root, px, py, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return (0, 0, 0)
        value = self.x.XGetPixel(image, 0, 0)
        # XDestroyImage is a macro: free the pixel data (after four ints) and the image itself.
        data = ctypes.cast(image + 16, ctypes.POINTER(ctypes.c_void_p))[0]
        if data:
            self.x.XFree(data)
        self.x.XFree(image)
        return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)

    def near(self, px, py, colour, tolerance=24):
        return all(abs(a - b) <= tolerance for a, b in zip(self.rgb(px, py), colour))


def pe_machine(exe):
    data = pathlib.Path(exe).read_bytes()[:4096]
    at = int.from_bytes(data[60:64], "little")
    return int.from_bytes(data[at + 4:at + 6], "little")


class Bench:
    def __init__(self, build, display, work):
        self.build = build
        self.screen = Screen(display, work / "shots")
        self.pixels = Pixels(display)
        self.wine = WineHost(ROOT / "deps" / "wineprefix", work / "prefix", display)
        self.home = self.wine.drive_c / "kv-bench"
        self.home.mkdir(parents=True, exist_ok=True)
        self.installer = self.home / (TAG + ".exe")
        shutil.copy(build / "src" / "app" / "kelvora_setup.exe", self.installer)
        self.floor = self.home / "bench_floor_window.exe"
        shutil.copy(build / "bench" / "bench_floor_window.exe", self.floor)
        self.loader = "/usr/lib/wine/wine64" if pe_machine(self.installer) == 0x8664 else "/usr/lib/wine/wine"

    def start(self, exe):
        return subprocess.Popen([self.loader, str(exe)], env=self.wine.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, cwd=str(exe.parent))

    def pid_of(self, exe):
        hits = [pid for pid, cmdline in self.wine.own_processes() if exe.name.lower() in cmdline.lower()]
        return hits[0] if hits else None

    def time_to_window(self, exe, name, probe, timeout=30):
        """Seconds from the start to a 600x400 window of that title showing teal at `probe` (base
        pixels), and the process id."""
        self.wine.reset(extra_dirs=[self.wine.drive_c / "Apps"])
        # Out of the way of every widget; no --sync, which waits forever when nothing moves.
        self.screen._xdotool("mousemove", 0, 0)
        began = time.monotonic()
        self.start(exe)
        deadline = began + timeout
        window = None
        while window is None:
            hits = [w for w in self.screen.windows(name) if w.size == pages.PAGE]
            window = hits[0] if hits else None
            if time.monotonic() > deadline:
                raise AssertionError("no %s window within %d s" % (name, timeout))
            if window is None:
                time.sleep(0.005)
        spot = pages.point(window, pages.PAGE, *probe)
        while not self.pixels.near(*spot, TEAL):
            if time.monotonic() > deadline:
                raise AssertionError("the %s window was never painted within %d s" % (name, timeout))
            time.sleep(0.002)
        took = time.monotonic() - began
        return took, window

    def peak_working_set_mib(self, exe):
        pid = self.pid_of(exe)
        if pid is None:
            return float("nan")
        for line in pathlib.Path("/proc/%d/status" % pid).read_text().splitlines():
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
        return float("nan")

    def cpu_seconds(self, pid):
        fields = pathlib.Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS

    def wineserver_pid(self):
        for entry in pathlib.Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                cmdline = (entry / "cmdline").read_bytes()
                environ = (entry / "environ").read_bytes()
            except OSError:
                continue
            if b"wineserver" in cmdline and ("WINEPREFIX=%s\0" % self.wine.prefix).encode() in environ + b"\0":
                return int(entry.name)
        return None


class PacedContent(ContentServer):
    """The content server with one rate for all its connections together, so the download runs
    at that rate whatever the number of workers."""

    def __init__(self, payload, rate):
        super().__init__(payload)
        self.rate = rate
        self.pace = threading.Lock()
        self.next_slot = 0.0
        self.sent = 0

    def _send(self, conn, payload, options):
        piece = 4096
        for at in range(0, len(payload), piece):
            if self._stopping:
                return
            chunk = payload[at:at + piece]
            with self.pace:
                now = time.monotonic()
                slot = max(self.next_slot, now)
                self.next_slot = slot + len(chunk) / self.rate
            if slot > now:
                time.sleep(slot - now)
            try:
                conn.sendall(chunk)
            except OSError:
                return
            with self.pace:
                self.sent += len(chunk)
        conn.shutdown(socket.SHUT_WR)


def median_ms(values):
    return statistics.median(values) * 1000.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--rate", type=int, default=256 * 1024, help="paced download, bytes per second")
    parser.add_argument("--cpu-seconds", type=float, default=10.0)
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    work = pathlib.Path(args.work).resolve()
    work.mkdir(parents=True, exist_ok=True)
    bench = Bench(build, os.environ["DISPLAY"], work)
    print("build: %s (%s), %d runs each" % (build.name, "x86-64" if "wine64" in bench.loader else "i386", args.runs))

    floor, answered, down = [], [], []
    peaks = {"floor": [], "installer": []}
    try:
        # One start of each before measuring, so none pays for a cold file cache.
        for runs in range(args.runs + 1):
            took, _ = bench.time_to_window(bench.floor, "^kelvora-floor$", pages.Welcome.install_probe)
            time.sleep(0.5)
            peak_floor = bench.peak_working_set_mib(bench.floor)
            pkginfo = PkgInfoServer().start()
            try:
                took_a, _ = bench.time_to_window(bench.installer, "^kelvora$", pages.Welcome.install_probe)
                time.sleep(0.5)
                peak_installer = bench.peak_working_set_mib(bench.installer)
            finally:
                pkginfo.stop()
            took_b, _ = bench.time_to_window(bench.installer, "^kelvora$", pages.Welcome.install_probe)
            if runs == 0:
                continue
            floor.append(took)
            answered.append(took_a)
            down.append(took_b)
            peaks["floor"].append(peak_floor)
            peaks["installer"].append(peak_installer)
            print("run %d: floor %.0f ms, installer %.0f ms (server answering), %.0f ms (server down)"
                  % (runs, took * 1000, took_a * 1000, took_b * 1000), flush=True)

        # The progress page during a paced download.
        payload = os.urandom(64 << 20)
        pkginfo = PkgInfoServer(url="http://127.0.0.1:%d%s" % (CONTENT_PORT, PRODUCT_PATH)).start()
        content = PacedContent(payload, args.rate).start()
        try:
            _, window = bench.time_to_window(bench.installer, "^kelvora$", pages.Welcome.install_probe)
            bench.screen.click(*pages.point(window, pages.PAGE, *pages.Welcome.install))
            poll(lambda: content.product_gets(), 20, "the download to begin")
            time.sleep(1.0)  # past the page change and the first progress paint
            pid = bench.pid_of(bench.installer)
            server = bench.wineserver_pid()
            cpu0, srv0, sent0, t0 = (bench.cpu_seconds(pid), bench.cpu_seconds(server) if server else 0.0,
                                     content.sent, time.monotonic())
            time.sleep(args.cpu_seconds)
            cpu1, srv1, sent1, t1 = (bench.cpu_seconds(pid), bench.cpu_seconds(server) if server else 0.0,
                                     content.sent, time.monotonic())
        finally:
            bench.wine.end_programs()
            content.stop()
            pkginfo.stop()
    finally:
        bench.wine.shutdown()

    base = median_ms(floor)
    print()
    print("start-up to a visible, painted 600x400 window (median of %d, ms):" % len(floor))
    print("  floor (plain Win32 window)         %7.0f" % base)
    print("  installer, server answering        %7.0f  (%.2fx the floor)" % (median_ms(answered),
                                                                             median_ms(answered) / base))
    print("  installer, server down             %7.0f" % median_ms(down))
    print("peak working set (VmHWM of the Wine process, median, MiB):")
    print("  floor %.1f, installer %.1f" % (statistics.median(peaks["floor"]), statistics.median(peaks["installer"])))
    wall = t1 - t0
    print("progress page over %.1f s of a download paced at %d KiB/s (received %.0f KiB/s):"
          % (wall, args.rate // 1024, (sent1 - sent0) / wall / 1024))
    print("  installer CPU %.2f s (%.1f %% of one core); wineserver CPU %.2f s"
          % (cpu1 - cpu0, (cpu1 - cpu0) / wall * 100, srv1 - srv0))


if __name__ == "__main__":
    main()
