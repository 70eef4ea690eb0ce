"""The product installer runs only as its publisher signed it: anything else served in its place
is a failed download, never started, and the retry fetches the file afresh."""
import pytest

from conftest import sign
import flows
import pages


def tampered(good):
    data = bytearray(good)
    data[0x480] ^= 0x5A  # a byte of the image, which the signature covers
    return bytes(data)


@pytest.mark.parametrize("served", ["tampered", "unsigned", "other-publisher"])
def test_an_installer_that_fails_the_check_never_runs_and_the_retry_installs_the_good_one(env, served):
    env.pkginfo()
    good = env.product_bytes()
    content = env.content()
    content.payload = {"tampered": lambda: tampered(good),
                       "unsigned": lambda: env.products["unsigned"].read_bytes(),
                       "other-publisher": lambda: sign(env.products["unsigned"].read_bytes(),
                                                       env.products["signing"], "other")}[served]()
    env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.install)

    dialog = flows.wait_dialog(env, timeout=60)
    env.shot("download-failed-" + served)
    assert flows.installer_runs(env) == [], "a file that failed the check was started"
    assert not (env.wine.download_dir / "install_zozavi00.exe").exists(), "the failed file was kept"
    heads = len([r for r in content.requests if r.line.startswith("HEAD ")])

    content.payload = good
    flows.click(env, dialog, pages.SMALL, pages.Dialog.first)  # "立即重试"
    flows.open_page(env, pages.Finish, timeout=60)
    assert len(flows.installer_runs(env)) == 1
    # Asked again from the start, not resumed on top of the bad bytes.
    assert len([r for r in content.requests if r.line.startswith("HEAD ")]) > heads
    assert content.product_gets()[-1].range[0] == 0
    assert (env.wine.download_dir / "install_zozavi00.exe").read_bytes() == good
