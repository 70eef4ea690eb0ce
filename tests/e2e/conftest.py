"""Shared fixtures: the installer build under test and a way to start it under Wine."""
import os
import pathlib
import shutil
import subprocess

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def build_dir():
    return pathlib.Path(os.environ.get("KELVORA_E2E_BUILD", ROOT / "build" / "win64"))


@pytest.fixture
def installer(tmp_path):
    """The installer copied under its channel-tagged name into a fresh folder."""
    exe = build_dir() / "src" / "app" / "kelvora_setup.exe"
    if not exe.exists():
        pytest.skip(f"{exe} not built")
    target = tmp_path / "install_zozavi00.exe"
    shutil.copy(exe, target)
    return target


def start(exe):
    """Starts a Windows program under Wine without waiting for it."""
    return subprocess.Popen([str(ROOT / "scripts" / "wine-run"), str(exe)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
