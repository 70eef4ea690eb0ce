"""Steps shared by the flows: open the installer on a page, click a widget, read what it left."""
import pathlib

from loopback import poll
import pages

OPTIONS = " /SILENT /VERYSILENT /SP- /noicons "


def open_page(env, page, timeout=30):
    """Waits for the installer's window showing the page and returns it."""
    window = env.screen.wait_window("kelvora", size=page.size, timeout=timeout,
                                    what="the %s page (%dx%d)" % (page.__name__, *page.size))
    if page is pages.Finish:
        # The progress page has the same size: the finish page is the one whose launch button
        # shows, and only then is the download complete and the product installed.
        poll(lambda: is_teal(env.screen.shot("finish-probe"), window, pages.PAGE, pages.Finish.launch_probe),
             timeout, "the finish page's launch button")
    return window


def click(env, window, base, spot):
    env.screen.click(*pages.point(window, base, *spot))


def wait_dialog(env, timeout=20):
    """The 400 by 200 dialog over the 600 by 400 page."""
    return env.screen.wait_window("kelvora", size=pages.Dialog.size, timeout=timeout, what="a dialog")


def wait_gone(env, window, what, timeout=10):
    """Waits for this window (by its id, not by a size that the next dialog may share) to go."""
    poll(lambda: not [w for w in env.screen.windows("kelvora") if w.id == window.id], timeout,
         "%s (window %s) to close" % (what, window.id))


def is_teal(picture, window, base, spot):
    x, y = pages.point(window, base, *spot)
    return picture.near(x, y, pages.TEAL, radius=3)


def installer_runs(env):
    """Command lines the stand-in installer recorded, one per run."""
    log = env.wine.download_dir / "Kelvora_install.cmdline.log"
    if not log.exists():
        return []
    return [line for line in log.read_text(encoding="utf-8").splitlines() if line]


def expected_command_line(env, folder):
    path = env.wine.win_path(env.wine.download_dir / (env.installer.stem + ".exe"))
    return '"' + path + '"' + OPTIONS + '/DIR="' + folder + '"'


def product_starts(env, folder_win):
    log = env.wine.unix_path(folder_win) / "Kelvora.started.log"
    return log.read_text(encoding="utf-8").splitlines() if log.exists() else []


def wait_product_window(env, timeout=20):
    return poll(lambda: [w for w in env.screen.windows("^Kelvora$")], timeout, "the product's window")


def default_folder(env):
    return env.wine.win_path(env.wine.program_files / "Kelvora" / "kelvora")
