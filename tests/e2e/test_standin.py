"""The stand-in product installer does what the download installer relies on."""


def test_standin_installs_registers_and_honours_the_served_trailer(env):
    wine = env.wine
    folder = "C:\\Apps\\Stand In\\kelvora"
    exe = env.preinstall(folder)
    assert exe.read_bytes()[:2] == b"MZ"
    assert wine.reg_value("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                          "{9D3F6A21-8E5D-4F7A-92A5-D1F08E7B3A46}_is1", "DisplayIcon") == folder + "\\Kelvora.exe"

    # The behaviour rides on the served bytes: a trailer makes the same program fail.
    failing = env.home / "failing" / "Kelvora_install.exe"
    failing.parent.mkdir(parents=True)
    failing.write_bytes(env.product_bytes("exit=1"))
    rc, _ = wine.run(failing, "/SILENT", "/DIR=C:\\Apps\\never")
    assert rc == 1
    assert not wine.unix_path("C:\\Apps\\never").exists()
    log = (failing.parent / "Kelvora_install.cmdline.log").read_text(encoding="utf-8")
    assert log.strip() == '"C:\\kv-e2e\\failing\\Kelvora_install.exe" /SILENT /DIR=C:\\Apps\\never'
