"""Programs started for the user run as the desktop user when a desktop shell exists.

Wine has no shell window of its own, so a stand-in (kv_shell.exe) registers one; the installer
then borrows that process's token. Wine reports the same (high) integrity level for every
process, so the level itself cannot be told apart here; what shows is that the launch through the
shell's token happens at all: without a shell the latest-version page's "打开" starts nothing.
"""
from loopback import poll
import flows
import pages


def test_launch_on_the_finish_page_starts_the_product_through_the_shell(env, desktop_shell):
    env.pkginfo()
    content = env.content()
    app = env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    poll(lambda: content.product_gets(), 20, "the download to begin")
    window = flows.open_page(env, pages.Finish, timeout=60)
    flows.click(env, window, pages.PAGE, pages.Finish.launch)
    assert env.wait_exit(app) == 0
    flows.wait_product_window(env)
    assert len(flows.product_starts(env, flows.default_folder(env))) == 1
