"""A DLL dropped beside the downloaded installer is never loaded into it.

The installer runs elevated from a folder the user's own programs can write. Copies of the system
DLLs it uses (built by the tests: each leaves a marker when loaded) sit beside it, and Wine is
told to prefer a DLL found on disk over its own for those names, as Windows does for any DLL that
is not a KnownDLL.

version.dll is planted too but not judged here: Wine's own user32 imports version.dll at load
time (WINEDEBUG=+loaddll shows it loaded right after user32's other imports), so under Wine any
program with a window loads a planted version.dll, whatever its own imports are. On Windows user32
is a KnownDLL with KnownDLL imports only. The installer's own use of version.dll is checked
through the latest-version page, which needs the installed product's version.
"""
import shutil

import pytest

from loopback import poll
import flows
import pages

INSTALLED = "C:\\Apps\\Old\\kelvora"  # the stand-in product carries 3.1.2.450
PLANTED = ["version.dll", "winmm.dll", "winhttp.dll"]
JUDGED = ["winmm.dll", "winhttp.dll"]


def planted_folder(env):
    folder = env.products["standin"].parent / "planted"
    missing = [name for name in PLANTED + ["imports_system_dlls.exe"] if not (folder / name).exists()]
    if missing:
        pytest.skip("planted-DLL stand-ins not built in %s: %s" % (folder, ", ".join(missing)))
    return folder


def marker(env, name):
    return env.home / (name + "-loaded.txt")


def test_planted_system_dlls_are_not_loaded_while_the_installer_uses_them(env):
    folder = planted_folder(env)
    for name in PLANTED:
        shutil.copy(folder / name, env.home / name)
    env.preinstall(INSTALLED)
    previous = env.wine.env["WINEDLLOVERRIDES"]
    env.wine.env["WINEDLLOVERRIDES"] = previous + ";" + ",".join(n[:-4] for n in PLANTED) + "=n,b"
    try:
        # The control: a program importing them at load time picks every planted copy.
        shutil.copy(folder / "imports_system_dlls.exe", env.home / "imports_system_dlls.exe")
        env.wine.run(env.home / "imports_system_dlls.exe")
        for name in PLANTED:
            assert marker(env, name).exists(), "the control program did not load the planted %s" % name
            marker(env, name).unlink()

        # The latest-version page needs the installed product's version, read through version.dll;
        # the progress page's timer then resolves winmm.dll (from the system folder, as
        # KELVORA_E2E_WINEDEBUG=+loaddll shows in wine.log).
        env.pkginfo(version="3.1.2.450")
        content = env.content()
        env.launch()
        window = flows.open_page(env, pages.Latest)
        env.shot("latest-version-beside-planted-dlls")
        flows.click(env, window, pages.SMALL, pages.Latest.install)
        window = flows.open_page(env, pages.Welcome)
        flows.click(env, window, pages.PAGE, pages.Welcome.install)
        poll(lambda: content.product_gets(), 20, "the download to begin")
        env.shot("progress-beside-planted-dlls")
        loaded = {name: marker(env, name).read_text(encoding="utf-8")
                  for name in JUDGED if marker(env, name).exists()}
        assert not loaded, "the installer loaded planted DLLs: %s" % loaded
    finally:
        env.wine.env["WINEDLLOVERRIDES"] = previous
