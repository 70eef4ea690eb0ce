"""The installer on a 144-DPI screen, driven with the keyboard: every window one and a half times
its base size, the teal buttons where the scaled layout puts them, the edit field's text at the
scaled size, and screenshots of each page and dialog for a person to look at.

The screen's DPI is a setting of the prefix, so these tests use a copy of their own."""
import subprocess

import pytest

import flows
import pages
from conftest import ROOT, build_bits, build_dir, make_world
from loopback import poll
from winehost import WINESERVER, WineHost

DPI = 144
SCALE = DPI / 96
BIG = (int(pages.PAGE[0] * SCALE), int(pages.PAGE[1] * SCALE))
SMALL = (int(pages.SMALL[0] * SCALE), int(pages.SMALL[1] * SCALE))
DARK = (0x1A, 0x1A, 0x1A)


@pytest.fixture(scope="module")
def wine_hidpi(display):
    host = WineHost(ROOT / "deps" / "wineprefix", ROOT / "build" / ("e2e-prefix-%ddpi" % DPI), display,
                    bits=build_bits(build_dir()))
    set_dpi(host, DPI)
    yield host
    host.shutdown()


def set_dpi(host, dpi):
    host.end_programs()
    for key in ("HKCU\\Control Panel\\Desktop",
                "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"):
        rc, out = host.reg("add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
        assert rc == 0, out
    # The display settings are read when the prefix's server starts.
    subprocess.run([WINESERVER, "-k"], env=host.env, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-p"], env=host.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


@pytest.fixture
def env_hidpi(request, wine_hidpi, display, products, run_artifacts):
    yield from make_world(request, wine_hidpi, display, products, run_artifacts, last_shot_always=True)


def wait_big(env, timeout=30):
    return env.screen.wait_window("kelvora", size=BIG, timeout=timeout, what="a page at %dx%d" % BIG)


def wait_small(env, timeout=20):
    return env.screen.wait_window("kelvora", size=SMALL, timeout=timeout, what="a dialog at %dx%d" % SMALL)


def teal_at(shot, window, base, spot):
    return flows.is_teal(shot, window, base, spot)


def shot_when_teal(env, name, window, base, spot, what):
    """A screenshot, taken again until the window has painted its teal button at `spot`."""
    def probe():
        picture = env.screen.shot(name)
        return picture if teal_at(picture, window, base, spot) else None
    return poll(probe, 10, what)


def test_every_page_scales_and_the_keyboard_installs(env_hidpi):
    env = env_hidpi
    env.pkginfo()
    content = env.content()
    env.launch()

    welcome = wait_big(env)
    shot_when_teal(env, "01-welcome-144dpi", welcome, pages.PAGE, pages.Welcome.install_probe,
                   "the install button at its scaled place")

    # The close cross's dialog, opened and left with Esc.
    env.screen.click(*pages.point(welcome, pages.PAGE, 300, 100))  # the page takes the keyboard
    env.screen.key("Escape")
    dialog = wait_small(env)
    shot_when_teal(env, "02-cancel-dialog-144dpi", dialog, pages.SMALL, pages.Dialog.second_probe,
                   "the dialog's second button at its scaled place")
    env.screen.key("Escape")
    flows.wait_gone(env, dialog, "the cancel dialog left with Esc")
    poll(lambda: teal_at(env.screen.shot("welcome-probe"), welcome, pages.PAGE, pages.Welcome.install_probe),
         10, "the welcome page painted again without the dialog")

    # The custom page (the same size, so told apart by where its install button is): its edit
    # field writes the folder at the scaled font size.
    flows.click(env, welcome, pages.PAGE, pages.Welcome.custom)

    def custom_shown():
        probe = env.screen.shot("custom-probe")
        return (not teal_at(probe, welcome, pages.PAGE, pages.Welcome.install_probe)
                and teal_at(probe, welcome, pages.PAGE, pages.Custom.install_probe))
    poll(custom_shown, 10, "the custom page's install button at its scaled place")
    custom = wait_big(env)
    shot = env.shot("custom-144dpi")
    x, y = pages.point(custom, pages.PAGE, *pages.Custom.edit)
    box = (x - int(150 * SCALE), y - int(8 * SCALE), x + int(150 * SCALE), y + int(8 * SCALE))
    assert shot.count(box, DARK, tolerance=60) > 60, "no readable text in the edit field"
    flows.click(env, custom, pages.PAGE, pages.Custom.back)
    poll(lambda: teal_at(env.screen.shot("welcome-probe"), welcome, pages.PAGE, pages.Welcome.install_probe),
         10, "the welcome page again")

    # Tab to the install button (after the close cross): its teal outline, scaled, appears around
    # it; Enter then runs the quick install.
    env.screen.click(*pages.point(welcome, pages.PAGE, 300, 100))
    x, y = pages.point(welcome, pages.PAGE, *pages.Welcome.install)
    around = (x - int(95 * SCALE), y - int(34 * SCALE), x + int(95 * SCALE), y + int(34 * SCALE))
    plain = env.shot("install-unfocused-144dpi").count(around, pages.TEAL, tolerance=8)
    env.screen.key("Tab", "Tab")
    # Two sides of 252 and 72 pixels plus the gap, twice, two pixels wide at this scale.
    poll(lambda: env.shot("install-focused-144dpi").count(around, pages.TEAL, tolerance=8) > plain + 1000, 10,
         "the focus mark around the install button")
    env.screen.key("Return")
    poll(lambda: content.product_gets(), 20, "the download started by Enter")
    env.shot("progress-144dpi")
    poll(lambda: flows.installer_runs(env), 60, "the product installer to run")
    poll(lambda: teal_at(env.screen.shot("finish-probe"), welcome, pages.PAGE, pages.Finish.launch_probe), 60,
         "the finish page's launch button at its scaled place")
    finish = wait_big(env)
    assert finish.size == BIG
    env.shot("finish-144dpi")


def test_latest_version_page_scales_and_esc_ends_the_installer(env_hidpi):
    env = env_hidpi
    env.preinstall("C:\\Apps\\Old\\kelvora")
    env.pkginfo(version="3.1.2.450")  # what the stand-in product carries
    app = env.launch()
    latest = wait_small(env)
    shot_when_teal(env, "latest-version-144dpi", latest, pages.SMALL, pages.Latest.install_probe,
                   "the install button of the latest-version page at its scaled place")
    env.screen.click(*pages.point(latest, pages.SMALL, 200, 90))  # the page takes the keyboard
    env.screen.key("Escape")  # as its close cross: the installer ends
    assert env.wait_exit(app) == 0


# Runs last in the module: it leaves the prefix at another DPI until the fixture's next use.
@pytest.mark.parametrize("dpi, page", [(120, (750, 500)), (192, (1200, 800))])
def test_window_size_follows_the_dpi(env_hidpi, dpi, page):
    env = env_hidpi
    set_dpi(env.wine, dpi)
    try:
        env.pkginfo()
        env.launch()
        window = env.screen.wait_window("kelvora", size=page, timeout=30, what="the welcome page at %dx%d" % page)
        shot_when_teal(env, "welcome-%ddpi" % dpi, window, pages.PAGE, pages.Welcome.install_probe,
                       "the install button at its scaled place")
    finally:
        set_dpi(env.wine, DPI)
