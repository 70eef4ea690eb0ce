"""Hiding to the notification area during the download, and second starts on any page."""
import pytest

from loopback import poll
import flows
import pages

TRAY = "Wine System Tray"  # where Wine shows notification icons when the desktop has no tray


def tray_icons(env):
    return [w for w in env.screen.windows(TRAY)]


def test_hide_to_tray_keeps_downloading_a_second_start_restores_and_finishing_shows_the_window(env):
    env.pkginfo()
    # Slow enough to act while it downloads, quick enough to finish within seconds.
    content = env.content(bytes_per_second=32 * 1024)
    env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    poll(lambda: content.product_gets(), 20, "the download to begin")

    flows.click(env, window, pages.PAGE, pages.Progress.hide)
    env.screen.wait_no_window("kelvora", size=pages.PAGE, what="the window to hide")
    poll(lambda: tray_icons(env), 10, "the tray icon")
    env.shot("hidden-in-tray")
    sent = content.body_bytes_sent

    second = env.launch()
    assert env.wait_exit(second, timeout=30) == 0
    flows.open_page(env, pages.Progress, timeout=10)
    poll(lambda: not tray_icons(env), 10, "the tray icon to go")
    env.shot("restored-from-tray")

    window = flows.open_page(env, pages.Progress)
    flows.click(env, window, pages.PAGE, pages.Progress.hide)
    env.screen.wait_no_window("kelvora", size=pages.PAGE, what="the window to hide again")
    assert not flows.installer_runs(env), "the download finished before the test could hide the window"
    # Left alone, it finishes while hidden and comes back on the finish page.
    window = flows.open_page(env, pages.Finish, timeout=120)
    shot = env.shot("finished-after-tray")
    assert flows.is_teal(shot, window, pages.PAGE, pages.Finish.launch_probe)
    assert not tray_icons(env)
    assert len(flows.installer_runs(env)) == 1


@pytest.mark.parametrize("page", ["welcome", "latest"])
def test_second_start_ends_with_status_zero_and_raises_the_first_window(env, page):
    env.pkginfo(version="3.1.2.450")
    if page == "latest":
        env.preinstall("C:\\Apps\\Old\\kelvora")
    first = env.launch()
    target = pages.Welcome if page == "welcome" else pages.Latest
    window = flows.open_page(env, target)
    second = env.launch()
    assert env.wait_exit(second, timeout=30) == 0
    again = flows.open_page(env, target)
    assert (again.x, again.y) == (window.x, window.y)
    assert first.poll() is None
    env.shot("first-copy-raised-" + page)
