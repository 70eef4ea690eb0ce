"""Download and product-installer failures: retry, resume, and the manual dialogs."""
import pytest

from loopback import poll
import flows
import pages


def retry(env, what, before_click=None):
    dialog = flows.wait_dialog(env, timeout=40)
    shot = env.shot(what)
    if before_click:
        before_click()
    assert flows.is_teal(shot, dialog, pages.SMALL, pages.Dialog.second_probe)
    flows.click(env, dialog, pages.SMALL, pages.Dialog.first)  # "立即重试"
    # The next attempt may fail fast and show the next dialog of the same size before this check.
    flows.wait_gone(env, dialog, "the dialog %s" % what)


def test_download_fails_twice_and_resumes_without_fetching_finished_bytes_again(env):
    env.pkginfo()
    content = env.content()
    size = len(content.payload)
    cut = size // 4
    # Each failed attempt ends with the server gone, so the worker's reconnects fail fast.
    content.get_plan = [{"drop_after_body": cut, "then_stop": True}]
    env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.install)

    # The server comes back only once the failure is on screen, so the worker cannot reconnect.
    poll(lambda: not content.listening, 30, "the first cut")

    def second_cut():
        content.get_plan = [{"drop_after_body": cut, "then_stop": True}]
        content.start()
    retry(env, "error-dialog-1", before_click=second_cut)
    poll(lambda: not content.listening, 30, "the second cut")
    retry(env, "error-dialog-2", before_click=content.start)

    flows.open_page(env, pages.Finish, timeout=60)
    gets = content.product_gets()
    starts = [g.range[0] if g.range else 0 for g in gets]
    assert starts[0] == 0 and starts[1] == cut and starts[2] == 2 * cut, starts
    assert content.body_bytes_sent == size
    assert (env.wine.download_dir / "install_zozavi00.exe").read_bytes() == content.payload


@pytest.mark.parametrize("button", ["confirm", "cancel"])
def test_third_download_failure_shows_the_manual_download_dialog_that_ends_the_program(env, button):
    env.pkginfo()  # no content server at all: every attempt fails at once
    app = env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    retry(env, "error-dialog-1")
    retry(env, "error-dialog-2")
    dialog = flows.wait_dialog(env, timeout=40)
    env.shot("manual-download-dialog")
    flows.click(env, dialog, pages.SMALL, pages.Dialog.first if button == "confirm" else pages.Dialog.second)
    assert env.wait_exit(app) == 0
    if button == "confirm":
        opened = poll(lambda: env.wine.browser_log(), 15, "the download address to be opened")
        assert opened[-1].startswith("http") and opened[-1].endswith("/kelvora/Kelvora_install.exe")


def test_failing_product_installer_is_retried_without_a_new_download_then_offered_by_hand(env):
    env.pkginfo()
    content = env.content(marker="exit=1")
    app = env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    retry(env, "installer-error-1")
    retry(env, "installer-error-2")
    dialog = flows.wait_dialog(env, timeout=40)
    env.shot("manual-install-dialog")
    runs = flows.installer_runs(env)
    assert len(runs) == 3 and len(set(runs)) == 1
    assert len(content.product_gets()) == 1, "a retry must not download again"

    flows.click(env, dialog, pages.SMALL, pages.Dialog.first)  # "确认": the installer with its own UI
    assert env.wait_exit(app) == 0
    runs = poll(lambda: flows.installer_runs(env)[3:], 15, "the installer to be started by hand")
    assert "/SILENT" not in runs[0] and "install_zozavi00.exe" in runs[0]
