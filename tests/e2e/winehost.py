"""A private Wine prefix for the end-to-end suite and the processes started in it.

The suite never uses the project's shared prefix (deps/wineprefix), where other programs may
run at the same time and would share the installer's single-instance mutex. It copies that
prefix once into the build folder, keeps one wineserver alive for the whole run (a server start
costs seconds) and, before each test, puts back a clean state: no product entry in the registry,
no user proxy settings, no work folder, no installed product, no leftover program.
"""
import os
import pathlib
import shutil
import signal
import subprocess
import tempfile
import time

from loopback import poll

UNINSTALL_KEY = ("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                 "{9D3F6A21-8E5D-4F7A-92A5-D1F08E7B3A46}_is1")
CONNECTIONS_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections"
WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


class WineHost:
    def __init__(self, template, prefix, display, bits=64):
        """`bits`: of the installer under test, which decides the folders it is given."""
        self.bits = bits
        self.prefix = pathlib.Path(prefix)
        self.drive_c = self.prefix / "drive_c"
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEDEBUG=os.environ.get("KELVORA_E2E_WINEDEBUG", "-all"),
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display)
        stamp = self.prefix / ".e2e-template"
        wanted = str(pathlib.Path(template, "system.reg").stat().st_mtime)
        # Programs left by an earlier run would sit on another (maybe dead) display.
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        if not stamp.exists() or stamp.read_text() != wanted:
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix.parent.mkdir(parents=True, exist_ok=True)
            subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True)
            stamp.write_text(wanted)
        # Addresses the installer opens with the shell land in a file instead of a browser.
        tools = self.prefix.parent / "e2e-tools"
        tools.mkdir(parents=True, exist_ok=True)
        self.browser_file = tools / "opened.log"
        opener = tools / "xdg-open"
        opener.write_text('#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\n' % self.browser_file)
        opener.chmod(0o755)
        self.env["PATH"] = "%s:%s" % (tools, os.environ.get("PATH", "/usr/bin:/bin"))
        self.env["BROWSER"] = str(opener)
        subprocess.run([WINESERVER, "-p"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    # -- paths ------------------------------------------------------------------------------
    @property
    def appdata(self):
        return self.drive_c / "users" / os.environ.get("USER", "root") / "AppData" / "Roaming"

    @property
    def work_dir(self):
        return self.appdata / "kelvora"

    @property
    def download_dir(self):
        return self.work_dir / "kelvora"

    @property
    def program_files(self):
        """The folder the installer gets for CSIDL_PROGRAM_FILES in this 64-bit prefix."""
        return self.drive_c / ("Program Files (x86)" if self.bits == 32 else "Program Files")

    def win_path(self, path):
        """C:\\... for a path inside drive_c."""
        relative = pathlib.Path(path).relative_to(self.drive_c)
        return "C:\\" + str(relative).replace("/", "\\")

    def unix_path(self, win):
        assert win[:3].upper() == "C:\\", win
        return self.drive_c / win[3:].replace("\\", "/")

    # -- programs ---------------------------------------------------------------------------
    def start(self, exe, *args, log=None):
        out = open(log, "ab") if log else subprocess.DEVNULL
        return subprocess.Popen([WINE64, str(exe), *args], env=self.env, stdout=out, stderr=out,
                                cwd=str(pathlib.Path(exe).parent))

    def run(self, exe, *args, timeout=60):
        # Output goes through a file: Wine's background services may inherit a pipe and keep it
        # open long after the program ended.
        with tempfile.TemporaryFile() as out:
            done = subprocess.run([WINE64, str(exe), *args], env=self.env, stdout=out,
                                  stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return done.returncode, out.read().decode("utf-8", "replace")

    def reg(self, *args):
        return self.run("reg", *args)

    def reg_value(self, key, name, view32=True):
        """The data of one registry value as text, or None."""
        rc, out = self.reg("query", key, "/v", name, *(["/reg:32"] if view32 else []))
        if rc != 0:
            return None
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0] == name:
                return parts[2] if len(parts) == 3 else ""
        return None

    def set_user_proxy(self, proxy):
        """The user's proxy settings as the system's settings dialog stores them."""
        text = proxy.encode("ascii")
        blob = (0x46).to_bytes(4, "little") + (1).to_bytes(4, "little") + (2 | 1).to_bytes(4, "little")
        blob += len(text).to_bytes(4, "little") + text + (0).to_bytes(4, "little")
        blob += (0).to_bytes(4, "little") + bytes(28)
        rc, out = self.reg("add", CONNECTIONS_KEY, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY",
                           "/d", blob.hex(), "/f")
        assert rc == 0, out

    def browser_log(self):
        if not self.browser_file.exists():
            return []
        return self.browser_file.read_text().splitlines()

    # -- state ------------------------------------------------------------------------------
    def own_processes(self):
        """Unix pids of the Windows programs running in this prefix, Wine's own services aside."""
        found = []
        for entry in pathlib.Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environ = (entry / "environ").read_bytes()
                cmdline = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
            except OSError:
                continue
            if ("WINEPREFIX=%s\0" % self.prefix).encode() not in environ + b"\0":
                continue
            lowered = cmdline.lower()
            if "wineserver" in lowered or "\\windows\\system32\\" in lowered or not cmdline.strip():
                continue
            found.append((int(entry.name), cmdline.strip()))
        return found

    def end_programs(self, timeout=10):
        for pid, _ in self.own_processes():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        poll(lambda: not self.own_processes(), timeout, "the test's Windows programs to end")

    def reset(self, extra_dirs=()):
        self.end_programs()
        self.reg("delete", UNINSTALL_KEY, "/reg:32", "/f")
        self.reg("delete", CONNECTIONS_KEY, "/f")
        if self.browser_file.exists():
            self.browser_file.unlink()
        both = [self.drive_c / "Program Files" / "Kelvora", self.drive_c / "Program Files (x86)" / "Kelvora"]
        for folder in [self.work_dir, *both, *extra_dirs]:
            shutil.rmtree(folder, ignore_errors=True)

    def shutdown(self):
        self.end_programs()
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
