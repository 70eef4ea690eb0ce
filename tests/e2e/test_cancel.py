"""The cancel dialog of the welcome page."""
import pytest

import flows
import pages

WM_CLOSE = 0x0010


def open_cancel_dialog(env, window):
    flows.click(env, window, pages.PAGE, pages.Welcome.close)
    return flows.wait_dialog(env)


def test_cancel_and_the_close_button_keep_the_page_and_a_second_close_only_raises(env):
    env.pkginfo()
    app = env.launch()
    window = flows.open_page(env, pages.Welcome)

    dialog = open_cancel_dialog(env, window)
    env.shot("cancel-dialog")
    flows.click(env, dialog, pages.SMALL, pages.Dialog.second)  # "取消"
    env.screen.wait_no_window("kelvora", size=pages.SMALL)

    dialog = open_cancel_dialog(env, window)
    # A second close request while the dialog is open: still one dialog, the page stays.
    env.send(WM_CLOSE)
    assert len([w for w in env.screen.windows("kelvora") if w.size == pages.SMALL]) == 1
    flows.click(env, dialog, pages.SMALL, pages.Dialog.close)
    env.screen.wait_no_window("kelvora", size=pages.SMALL)
    flows.open_page(env, pages.Welcome)
    assert app.poll() is None
    env.shot("welcome-kept")


def test_confirm_ends_the_program(env):
    env.pkginfo()
    app = env.launch()
    window = flows.open_page(env, pages.Welcome)
    env.send(WM_CLOSE)  # the system's close request opens the same dialog
    dialog = flows.wait_dialog(env)
    flows.click(env, dialog, pages.SMALL, pages.Dialog.first)  # "确认"
    assert env.wait_exit(app) == 0
    assert not flows.installer_runs(env)
