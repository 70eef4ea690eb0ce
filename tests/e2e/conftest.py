"""Fixtures of the end-to-end suite: the build under test, the private Wine prefix, the display,
the artifacts folder of the run and, per test, a clean state with its own loopback servers."""
import datetime
import os
import pathlib
import shutil
import subprocess
import sys
import time

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from loopback import ContentServer, PkgInfoServer, poll  # noqa: E402
from screen import Screen  # noqa: E402
from winehost import WineHost  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]
TAG = "install_zozavi00"
MAIN_CLASS = "SarnovikPkg-Window-5E2A9F14-C7D3-4B8E-A1F6-3D90B27C4E65"


def build_dir():
    return pathlib.Path(os.environ.get("KELVORA_E2E_BUILD", ROOT / "build" / "win64"))


def pe_machine(exe):
    data = pathlib.Path(exe).read_bytes()[:4096]
    at = int.from_bytes(data[60:64], "little")
    return int.from_bytes(data[at + 4:at + 6], "little")


def build_bits(build):
    """32 or 64: the bitness of the installer in the build, from its PE header."""
    return 64 if pe_machine(build / "src" / "app" / "kelvora_setup.exe") == 0x8664 else 32


def standin_installer(build):
    """Kelvora_install.exe of the build, or built here with the same toolchain when the build
    does not contain the stand-in yet."""
    inside = build / "tests" / "e2e" / "standin" / "Kelvora_install.exe"
    if inside.exists():
        return inside
    setup = build / "src" / "app" / "kelvora_setup.exe"
    toolchain = "mingw-x86_64.cmake" if pe_machine(setup) == 0x8664 else "mingw-i686.cmake"
    own = build.parent / ("e2e-standin-" + build.name)
    if not (own / "build.ninja").exists():
        subprocess.run(["cmake", "-G", "Ninja", "-S", str(ROOT / "tests" / "e2e" / "standin"), "-B", str(own),
                        "--toolchain", str(ROOT / "cmake" / toolchain), "-DCMAKE_BUILD_TYPE=Release"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(own), "-j2"], check=True, stdout=subprocess.DEVNULL)
    return own / "Kelvora_install.exe"


@pytest.fixture(scope="session")
def display():
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"]
        return
    # Without one (a plain pytest run) the suite brings its own virtual screen.
    number = 90 + os.getpid() % 100
    server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    poll(lambda: pathlib.Path("/tmp/.X11-unix/X%d" % number).exists(), 10, "the virtual display")
    yield ":%d" % number
    server.terminate()
    server.wait(timeout=10)


@pytest.fixture(scope="session")
def run_artifacts():
    folder = ROOT / "tests" / "e2e" / "artifacts" / datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
    folder.mkdir(parents=True, exist_ok=True)
    print("\nscreenshots: %s" % folder)
    return folder


@pytest.fixture(scope="session")
def products():
    build = build_dir()
    setup = build / "src" / "app" / "kelvora_setup.exe"
    if not setup.exists():
        pytest.skip("%s not built" % setup)
    standin = standin_installer(build)
    return {"setup": setup, "standin": standin, "send": standin.parent / "kv_send.exe",
            "unsigned": standin.parent / "Kelvora_install.unsigned.exe", "signing": build / "signing",
            "trust_root": standin.parent / "kv_trust_root.exe"}


def sign(data, signing, as_who="publisher"):
    """`data` signed by the build's test publisher (or "other"), as the real publisher signs."""
    work = signing / "e2e-variants"
    work.mkdir(exist_ok=True)
    unsigned, signed = work / ("%d.in.exe" % os.getpid()), work / ("%d.out.exe" % os.getpid())
    unsigned.write_bytes(data)
    signed.unlink(missing_ok=True)
    subprocess.run(["osslsigncode", "sign", "-h", "sha256", "-n", "Kelvora", "-certs", str(signing / (as_who + ".crt")),
                    "-key", str(signing / (as_who + ".key")), "-in", str(unsigned), "-out", str(signed)],
                   check=True, stdout=subprocess.DEVNULL)
    return signed.read_bytes()


@pytest.fixture(scope="session")
def wine(display, products):
    host = WineHost(ROOT / "deps" / "wineprefix", ROOT / "build" / "e2e-prefix", display, bits=build_bits(build_dir()))
    # The prefix trusts the build's test root as Windows trusts the publisher's real one.
    root = products["signing"] / "root.crt"
    if root.exists() and products["trust_root"].exists():
        copy = host.drive_c / "kv-test-root.crt"
        shutil.copy(root, copy)
        rc, _ = host.run(products["trust_root"], host.win_path(copy))
        assert rc == 0, "the test root was not added to the prefix's Root store"
    yield host
    host.shutdown()


class Env:
    """One test's world: clean prefix state, servers, the installer copy and its screenshots."""

    def __init__(self, wine, screen, products, artifacts):
        self.wine = wine
        self.screen = screen
        self.products = products
        self.artifacts = artifacts
        self.servers = []
        self.processes = []
        self.shots = 0
        self.home = wine.drive_c / "kv-e2e"  # where the user saved the downloaded installer
        self.home.mkdir(parents=True, exist_ok=True)
        self.installer = self.home / (TAG + ".exe")
        shutil.copy(products["setup"], self.installer)

    # -- servers --------------------------------------------------------------------------
    def product_bytes(self, marker=None):
        if not marker:
            return self.products["standin"].read_bytes()
        # A variant is signed as a whole: bytes appended to a signed file would break it.
        data = self.products["unsigned"].read_bytes() + b"\nKVSTANDIN:" + marker.encode() + b"\n"
        return sign(data, self.products["signing"])

    def pkginfo(self, **kwargs):
        server = PkgInfoServer(log_path=self.artifacts / "pkginfo-requests.log", **kwargs).start()
        self.servers.append(server)
        return server

    def content(self, marker=None, **kwargs):
        server = ContentServer(self.product_bytes(marker), log_path=self.artifacts / "content-requests.log",
                               **kwargs).start()
        self.servers.append(server)
        return server

    # -- programs -------------------------------------------------------------------------
    def launch(self):
        # A pointer left over a widget by the previous test would show its hover colour.
        self.screen.move(0, 0)
        process = self.wine.start(self.installer, log=self.artifacts / "wine.log")
        self.processes.append(process)
        return process

    def preinstall(self, folder_win):
        """Installs the stand-in product the way its own setup would, before the test starts."""
        staged = self.home / "preinstall" / "Kelvora_install.exe"
        staged.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(self.products["standin"], staged)
        rc, _ = self.wine.run(staged, "/SILENT", "/VERYSILENT", "/SP-", "/noicons", '/DIR=%s' % folder_win)
        assert rc == 0, "the stand-in product installer failed with %d" % rc
        shutil.rmtree(staged.parent)
        return self.wine.unix_path(folder_win) / "Kelvora.exe"

    def send(self, message, klass=MAIN_CLASS, post=False):
        """Sends a window message from another program, as the system or a second copy would."""
        rc, _ = self.wine.run(self.products["send"], klass, hex(message), *(["post"] if post else []))
        assert rc == 0, "no window of class %s" % klass

    def shot(self, name):
        self.shots += 1
        return self.screen.shot("%02d-%s" % (self.shots, name))

    def wait_exit(self, process, timeout=20):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the installer did not end within %d s" % timeout)

    def close(self):
        for server in self.servers:
            server.stop()
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait(timeout=10)


def make_world(request, wine, display, products, run_artifacts, last_shot_always=False):
    """One test's Env in `wine` (a generator for fixtures): clean state before, the last screen
    (on failure, or always) and no program left after."""
    artifacts = run_artifacts / request.node.name
    artifacts.mkdir(parents=True, exist_ok=True)
    wine.reset(extra_dirs=[wine.drive_c / "kv-e2e", wine.drive_c / "Apps"])
    world = Env(wine, Screen(display, artifacts), products, artifacts)
    yield world
    try:
        failed = request.node.rep_call.failed if hasattr(request.node, "rep_call") else True
        if last_shot_always or failed:
            world.screen.shot("zz-at-the-end")
    except Exception:
        pass
    world.close()
    wine.end_programs()


@pytest.fixture
def env(request, wine, display, products, run_artifacts):
    yield from make_world(request, wine, display, products, run_artifacts)


@pytest.hookimpl(tryfirst=True, hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "rep_" + report.when, report)


@pytest.fixture
def desktop_shell(env):
    """A stand-in desktop shell (kv_shell.exe): Wine has no shell window whose token the installer
    could borrow for the programs it starts for the user."""
    shell = env.products["standin"].parent / "kv_shell.exe"
    if not shell.exists():
        pytest.skip("%s not built" % shell)
    # A copy per test, so the ready mark is this run's.
    own = env.home / "shell" / "kv_shell.exe"
    own.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy(shell, own)
    process = env.wine.start(own, "120", log=env.artifacts / "shell.log")
    env.processes.append(process)
    # The stand-in exits at once with 1 when it could not become the shell.
    poll(lambda: own.with_name("kv_shell.exe.ready").exists() or process.poll() is not None, 20,
         "the stand-in desktop shell")
    assert process.poll() is None, "the stand-in could not become the desktop shell"
    return process
