"""Start-up decisions against an installed product and the server's version."""
import time

from loopback import poll
import flows
import pages

INSTALLED = "C:\\Apps\\Old\\kelvora"  # the stand-in product carries 3.1.2.450


def test_up_to_date_shows_the_latest_version_page_and_open_starts_the_product(env, desktop_shell):
    env.preinstall(INSTALLED)
    env.pkginfo(version="3.1.2.450")
    app = env.launch()
    window = flows.open_page(env, pages.Latest)
    shot = env.shot("latest-version")
    assert flows.is_teal(shot, window, pages.SMALL, pages.Latest.install_probe)
    flows.click(env, window, pages.SMALL, pages.Latest.open)
    assert env.wait_exit(app) == 0
    flows.wait_product_window(env)
    assert len(flows.product_starts(env, INSTALLED)) == 1


def test_up_to_date_install_goes_to_the_welcome_page_at_full_size(env):
    env.preinstall(INSTALLED)
    env.pkginfo(version="3.1.2.9")  # numerically older than the installed 3.1.2.450
    env.launch()
    window = flows.open_page(env, pages.Latest)
    flows.click(env, window, pages.SMALL, pages.Latest.install)
    window = flows.open_page(env, pages.Welcome)
    env.shot("welcome-after-latest")
    assert abs(window.x + window.width / 2 - 960) <= 2


def test_older_installation_proposes_the_installed_folder(env):
    env.preinstall(INSTALLED)
    env.pkginfo(version="3.1.3.0")
    env.content()
    env.launch()
    window = flows.open_page(env, pages.Welcome)
    env.shot("welcome-update")
    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    runs = poll(lambda: flows.installer_runs(env), 60, "the product installer to run")
    assert runs == [flows.expected_command_line(env, INSTALLED)]
    flows.open_page(env, pages.Finish, timeout=60)


def test_unreachable_server_gives_the_welcome_page_after_the_bounded_wait(env):
    env.preinstall(INSTALLED)
    # Nothing listens on the package-information port.
    began = time.monotonic()
    env.launch()
    flows.open_page(env, pages.Welcome, timeout=20)
    elapsed = time.monotonic() - began
    env.shot("welcome-server-unreachable")
    # Wine's own start-up takes a few seconds; the installer adds at most its 2 second wait.
    assert elapsed < 15, "the welcome page took %.1f s" % elapsed
