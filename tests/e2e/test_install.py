"""A first installation, as a person does it: welcome page, progress, finish, start the product."""
from loopback import poll
import flows
import pages


def test_quick_install_downloads_runs_the_product_installer_and_starts_the_product(env):
    pkginfo = env.pkginfo()
    content = env.content()
    app = env.launch()

    window = flows.open_page(env, pages.Welcome)
    shot = env.shot("welcome")
    assert flows.is_teal(shot, window, pages.PAGE, pages.Welcome.install_probe), "install button not usable"
    # Centred on the work area of the 1920x1080 screen.
    assert abs(window.x + window.width / 2 - 960) <= 2 and abs(window.y + window.height / 2 - 540) <= 40
    assert [r.line for r in pkginfo.requests] == ["GET /api/softversion HTTP/1.1"]

    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    poll(lambda: content.product_gets(), 20, "the download to begin")
    env.shot("progress")

    finish = poll(lambda: flows.installer_runs(env), 60, "the product installer to run")
    window = flows.open_page(env, pages.Finish, timeout=60)
    shot = env.shot("finish")
    assert flows.is_teal(shot, window, pages.PAGE, pages.Finish.launch_probe)

    # What the download left: the served bytes, under the channel tag's name.
    downloaded = env.wine.download_dir / "install_zozavi00.exe"
    assert downloaded.read_bytes() == content.payload
    folder = flows.default_folder(env)
    assert finish == [flows.expected_command_line(env, folder)]
    heads = [r.line.split(" ")[0] for r in content.requests]
    assert heads[0] == "HEAD" and "GET" in heads

    flows.click(env, window, pages.PAGE, pages.Finish.launch)
    assert env.wait_exit(app) == 0
    flows.wait_product_window(env)
    assert len(flows.product_starts(env, folder)) == 1
    assert env.wine.reg_value(
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
        "{9D3F6A21-8E5D-4F7A-92A5-D1F08E7B3A46}_is1", "DisplayIcon") == folder + "\\Kelvora.exe"
    env.shot("product-started")


def test_custom_folder_gets_the_product_subfolder_and_survives_going_back(env):
    env.pkginfo()
    env.content()
    env.launch()
    window = flows.open_page(env, pages.Welcome)
    flows.click(env, window, pages.PAGE, pages.Welcome.custom)
    poll(lambda: env.screen.shot("probe-custom").near(*pages.point(window, pages.PAGE, *pages.Custom.install_probe),
                                                        pages.TEAL, radius=3), 15, "the custom page")
    env.shot("custom")

    # Type a parent folder, click elsewhere: the field takes it with Kelvora\kelvora appended.
    flows.click(env, window, pages.PAGE, pages.Custom.edit)
    env.screen.key("ctrl+a")
    env.screen.type_text("C:\\Apps")
    flows.click(env, window, pages.PAGE, pages.Custom.blank)
    env.shot("custom-typed")

    # The browse button opens the system's folder picker (a window of its own).
    flows.click(env, window, pages.PAGE, pages.Custom.browse)
    picker = poll(lambda: [w for w in env.screen.windows(".") if w.size not in (pages.PAGE, pages.SMALL)
                           and w.width > 200], 15, "the folder picker")
    env.shot("folder-picker")
    env.screen.key("Escape")
    poll(lambda: not [w for w in env.screen.windows(".") if w.id == picker[0].id], 10, "the picker to close")

    flows.click(env, window, pages.PAGE, pages.Custom.back)
    window = flows.open_page(env, pages.Welcome)
    env.shot("welcome-after-back")
    flows.click(env, window, pages.PAGE, pages.Welcome.install)
    runs = poll(lambda: flows.installer_runs(env), 60, "the product installer to run")
    assert runs == [flows.expected_command_line(env, "C:\\Apps\\Kelvora\\kelvora")]
    flows.open_page(env, pages.Finish, timeout=60)
    assert (env.wine.drive_c / "Apps" / "Kelvora" / "kelvora" / "Kelvora.exe").exists()
