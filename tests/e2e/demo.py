#!/usr/bin/env python3
"""The installer's main job on loopback servers: serves the stand-in product, runs the installer
under Wine and, without a person at the display, drives a quick install by itself.

  demo.py --build build/win64 [--drive]
Screenshots go to tests/e2e/artifacts/demo-<timestamp>/.
"""
import argparse
import datetime
import os
import pathlib
import shutil
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

from conftest import MAIN_CLASS, ROOT, TAG, build_bits, standin_installer  # noqa: E402,F401
from loopback import ContentServer, PkgInfoServer, poll  # noqa: E402
from screen import Screen  # noqa: E402
from winehost import WineHost  # noqa: E402
import flows  # noqa: E402
import pages  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--drive", action="store_true", help="click through a quick install by itself")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    setup = build / "src" / "app" / "kelvora_setup.exe"
    standin = standin_installer(build)
    artifacts = HERE / "artifacts" / ("demo-" + datetime.datetime.now().strftime("%Y%m%d-%H%M%S"))
    display = os.environ["DISPLAY"]

    bits = build_bits(build)
    wine = WineHost(ROOT / "deps" / "wineprefix", ROOT / "build" / "demo-prefix", display, bits=bits)
    wine.reset(extra_dirs=[wine.drive_c / "kv-demo"])
    screen = Screen(display, artifacts)
    pkginfo = PkgInfoServer(log_path=artifacts / "pkginfo-requests.log").start()
    content = ContentServer(standin.read_bytes(), log_path=artifacts / "content-requests.log",
                            bytes_per_second=None if not args.drive else 512 * 1024).start()
    home = wine.drive_c / "kv-demo"
    home.mkdir(parents=True, exist_ok=True)
    installer = home / (TAG + ".exe")
    shutil.copy(setup, installer)
    print("package information: http://127.0.0.1:18480/api/softversion, content: http://127.0.0.1:18481/")
    print("starting %s (%d-bit) under Wine (prefix %s)" % (wine.win_path(installer), bits, wine.prefix))
    app = wine.start(installer, log=artifacts / "wine.log")
    rc = 1
    try:
        window = screen.wait_window("kelvora", size=pages.PAGE, timeout=60, what="the welcome page")
        screen.shot("01-welcome")
        if args.drive:
            screen.click(*pages.point(window, pages.PAGE, *pages.Welcome.install))
            poll(lambda: content.product_gets(), 30, "the download")
            time.sleep(1)
            screen.shot("02-progress")
            window = screen.wait_window("kelvora", size=pages.PAGE, timeout=120, what="the finish page")
            # The progress page has the same size: the finish page is the one whose launch button shows.
            poll(lambda: flows.is_teal(screen.shot("finish-probe"), window, pages.PAGE, pages.Finish.launch_probe),
                 120, "the finish page's launch button")
            poll(lambda: (wine.download_dir / "Kelvora_install.cmdline.log").exists(), 30, "the product installer")
            time.sleep(1)
            screen.shot("03-finish")
            screen.click(*pages.point(window, pages.PAGE, *pages.Finish.launch))
            app.wait(timeout=30)
            poll(lambda: screen.windows("^Kelvora$"), 30, "the product's window")
            screen.shot("04-product-started")
        else:
            print("the installer is on your display; close it or finish the installation to end the demo")
            app.wait()
        folder = wine.program_files / "Kelvora" / "kelvora"
        started = folder / "Kelvora.started.log"
        print("installed: %s" % (folder / "Kelvora.exe" if (folder / "Kelvora.exe").exists() else "nothing"))
        print("product started: %s" % ("yes" if started.exists() else "no"))
        rc = 0 if started.exists() else 1
    finally:
        if app.poll() is None:
            app.kill()
        pkginfo.stop()
        content.stop()
        wine.shutdown()
        print("screenshots: %s" % artifacts)
    return rc


if __name__ == "__main__":
    sys.exit(main())
