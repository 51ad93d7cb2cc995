#!/usr/bin/python3
# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Uses Tisko through the accessibility bus alone, as a screen reader or switch access does:
records a position under a name typed through it, changes pages and settings through it, and
checks what Tisko saved.

    accessible-run.py TISKO_BINARY PHOTO

Needs the headless desktop (tests/harness/run-headless) and python3-pyatspi; exits 77 (skipped)
without them.
"""
import configparser
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def wait_for(what, check, seconds=30.0):
    """Polls `check` until it gives something true; fails the run after `seconds`."""
    end = time.monotonic() + seconds
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > end:
            sys.exit(f"FAIL: {what}: not within {seconds:.0f} s")
        time.sleep(0.1)


def main():
    tisko, photo = sys.argv[1], sys.argv[2]
    if not os.environ.get("DISPLAY") or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("skipped: needs the headless desktop (tests/harness/run-headless)")
        return SKIP
    if not os.path.exists(photo) or not os.path.exists(LAUNCHER):
        print("skipped: needs the test photographs and at-spi2-core")
        return SKIP

    home = tempfile.mkdtemp(prefix="tisko-a11y.")
    env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
    env.update(HOME=home, TISKO_CAMERAS=photo, TISKO_TRAY_WAIT_MS="0",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env,
                                start_new_session=True)
    tisko_run = None
    try:
        # The bus is asked for through the session bus; it may take a moment to be there.
        wait_for("the accessibility bus", lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], capture_output=True).returncode == 0)
        try:
            import pyatspi
        except ImportError:
            print("skipped: python3-pyatspi is missing (scripts/install-deps)")
            return SKIP

        tisko_run = subprocess.Popen([tisko], env=env)
        desktop = pyatspi.Registry.getDesktop(0)

        def app():
            for i in range(desktop.childCount):
                child = desktop.getChildAtIndex(i)
                if child is not None and child.get_process_id() == tisko_run.pid:
                    return child
            return None

        def find(root, role, name=None):
            if root is None:
                return None
            return pyatspi.findDescendant(
                root, lambda a: a is not None and a.getRole() == role and
                (name is None or a.name == name))

        def frame(title):
            return find(app(), pyatspi.ROLE_FRAME, title)

        # With no position yet, the recording window opens by itself.
        window = wait_for("the recording window", lambda: frame("Nueva posición"), 60)
        field = wait_for("the name field", lambda: find(window, pyatspi.ROLE_TEXT, "Nombre"))
        field.queryEditableText().setTextContents("Mesa por voz")
        take = wait_for("the action button",
                        lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, "Tomar posición"))
        wait_for("the face seen", lambda: take.description == "Te veo", 60)
        take.queryAction().doAction(0)
        wait_for("the saving announced", lambda: take.description == "Guardada", 60)

        positions = os.path.join(home, ".local/share/Tisko/posiciones.json")
        def saved_names():
            try:
                with open(positions, encoding="utf-8") as f:
                    return [c["name"] for c in json.load(f)["calibrations"]]
            except (OSError, ValueError, KeyError):
                return None
        wait_for("the position saved", saved_names)
        if saved_names() != ["Mesa por voz"]:
            sys.exit(f"FAIL: saved {saved_names()}, not the name typed through the bus")

        # The settings, on the positions page through its tab, then a switch on another page.
        subprocess.run([tisko, "--show-settings", "general"], env=env, timeout=60, check=True)
        settings = wait_for("the settings window", lambda: frame("Ajustes de Tisko"), 60)

        def tab(name):
            return wait_for(f"the page tab {name}",
                            lambda: find(settings, pyatspi.ROLE_PAGE_TAB, name))

        def showing(name, role):
            control = find(settings, role, name)
            return control if control is not None and control.getState().contains(
                pyatspi.STATE_SHOWING) else None

        conf = os.path.join(home, ".config/Tisko/Tisko.conf")
        def setting(key):
            parser = configparser.ConfigParser(interpolation=None)
            parser.optionxform = str
            parser.read(conf, encoding="utf-8")
            return parser.get("General", key, fallback=None)

        tab("Posiciones").queryAction().doAction(0)
        auto = wait_for("the positions page", lambda: showing(
            "Elegirla sola según las pantallas conectadas", pyatspi.ROLE_CHECK_BOX))
        was = auto.getState().contains(pyatspi.STATE_CHECKED)
        auto.queryAction().doAction(0)
        wait_for("the displays switch saved", lambda: setting("autoSelectByDisplays") ==
                 ("false" if was else "true"), 10)

        tab("Avisos").queryAction().doAction(0)
        sound = wait_for("the warnings page",
                         lambda: showing("Sonido con el aviso", pyatspi.ROLE_CHECK_BOX))
        sound.queryAction().doAction(0)
        wait_for("the sound switch saved", lambda: setting("soundsEnabled") == "false", 10)
        print("PASS")
        return 0
    finally:
        if tisko_run is not None:
            tisko_run.terminate()
            try:
                tisko_run.wait(15)
            except subprocess.TimeoutExpired:
                tisko_run.kill()
        try:
            os.killpg(launcher.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        launcher.wait(15)
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
