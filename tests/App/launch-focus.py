#!/usr/bin/python3
# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Opens Tisko again while another program has the focus, in a real GNOME Shell on Wayland:
a launch from the shell (which carries an activation token) brings the running Tisko's window
forward with the focus; a launch with no token leaves the focus where it was and the window
asks for attention, which the shell shows as "ready".

    launch-focus.py TISKO_BINARY CACHE_FOLDER

Needs tests/harness/run-headless and tests/harness/run-gnome-shell, which skip (77) where
GNOME Shell cannot start.
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import time


LOGS = []


def wait_for(what, check, seconds=20.0):
    """Polls `check` until it gives something true; fails the run after `seconds`."""
    end = time.monotonic() + seconds
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > end:
            logs = "".join(open(f).read() for f in LOGS if os.path.exists(f))
            sys.exit(f"FAIL: {what}: not within {seconds:.0f} s\n{windows()}\n{logs}")
        time.sleep(0.1)


def shell(code):
    """What the shell's Eval gives for `code`, read back from its JSON."""
    answer = subprocess.run(
        ["gdbus", "call", "--session", "--dest", "org.gnome.Shell", "--object-path",
         "/org/gnome/Shell", "--method", "org.gnome.Shell.Eval", code],
        capture_output=True, text=True, timeout=10).stdout.strip()
    found = re.fullmatch(r"\(true, '(.*)'\)", answer)
    if not found:
        sys.exit(f"FAIL: the shell did not run {code!r}: {answer}")
    return json.loads(found.group(1)) if found.group(1) else None


def windows():
    """Every window: its process, title, whether it has the focus and asks for attention."""
    return shell("global.get_window_actors().map(a => a.meta_window).map(w => "
                 "({pid: w.get_pid(), title: w.get_title(), focus: w.has_focus(), "
                 "attention: w.demands_attention, "
                 "rect: (r => [r.x, r.y, r.width, r.height])(w.get_frame_rect())}))")


def focused_pid():
    return next((w["pid"] for w in windows() if w["focus"]), 0)


def placed(what, window):
    """The window's place once the shell has placed it (a new window moves once shown)."""
    def still():
        before = window()
        time.sleep(0.5)
        return before is not None and window() == before and window()["rect"]
    return wait_for(f"{what} in its place", still)


def focus_other(pid, over):
    """The user moves the other program's window over Tisko's window at `over` (the shell
    marks a window as waiting only where another covers it) and clicks it."""
    find = f"global.get_window_actors().map(a => a.meta_window).find(w => w.get_pid() == {pid})"
    rect = lambda: next((w["rect"] for w in windows() if w["pid"] == pid), None)
    height = placed("the other program's window",
                    lambda: next((w for w in windows() if w["pid"] == pid), None))[3]
    # Over it, yet whole on the 1280x800 screen, where the shell keeps it.
    x, y = over[0], min(over[1], 800 - height)

    def moved():
        shell(f"{find}.move_frame(true, {x}, {y}) || true")
        time.sleep(0.2)
        return any(w["pid"] == pid and w["rect"][:2] == [x, y] for w in windows())
    wait_for("the other program's window over Tisko's", moved)

    def clicked():
        # Clicked again while a window that is still opening takes the focus back.
        if focused_pid() != pid:
            shell(f"{find}.activate(global.display.get_current_time_roundtrip()) || true")
            time.sleep(0.3)
        return focused_pid() == pid
    wait_for("the other program's focus", clicked)
    if rect()[:2] != [x, y]:
        sys.exit(f"FAIL: the other program's window left Tisko's: {windows()}")


def own_folders(name, cache):
    """Tisko's data, settings and state apart from the shell's and the other Tisko's."""
    base = tempfile.mkdtemp(prefix=f"tisko-{name}.")
    return {"XDG_DATA_HOME": f"{base}/data", "XDG_CONFIG_HOME": f"{base}/config",
            "XDG_STATE_HOME": f"{base}/state", "XDG_CACHE_HOME": cache,
            "TISKO_TRAY_WAIT_MS": "0"}


def main():
    tisko = os.path.abspath(sys.argv[1])
    # The landmark model's copy is shared with the other tests.
    os.makedirs(sys.argv[2], exist_ok=True)
    mine, other = own_folders("mine", sys.argv[2]), own_folders("other", sys.argv[2])
    LOGS.append(mine["XDG_STATE_HOME"] + "/Tisko/Tisko.log")
    env = {k: v for k, v in os.environ.items()
           if k not in ("XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID")}
    running = subprocess.Popen([tisko], env={**env, **mine})
    another = None
    try:
        # Tisko runs with its "Tisko" window open (a launch opens it where no tray is).
        wait_for("Tisko's first window", lambda: any(w["pid"] == running.pid for w in windows()))
        subprocess.run([tisko], env={**env, **mine}, timeout=20, check=True)
        tisko_window = lambda: next((w for w in windows() if w["pid"] == running.pid
                                     and w["title"] == "Tisko"), None)
        wait_for("the Tisko window", tisko_window)
        # Another program has the focus, its window over Tisko's: a Tisko of other data.
        another = subprocess.Popen([tisko], env={**env, **other})
        focus_other(another.pid, over=placed("the Tisko window", tisko_window))

        # Opened again with no token (a terminal, a script): the window only asks.
        subprocess.run([tisko], env={**env, **mine}, timeout=20, check=True)
        wait_for("Tisko's window asking for attention", lambda: tisko_window()["attention"])
        if focused_pid() != another.pid:
            sys.exit("FAIL: a launch without a token took the focus")

        # Opened again from the shell, as from its application grid, with a token.
        command = " ".join(["env"] + [f"{k}={v}" for k, v in mine.items()] +
                           ["QT_QPA_PLATFORM=wayland", tisko])
        shell("imports.gi.Gio.AppInfo.create_from_commandline("
              f"{json.dumps(command)}, 'Tisko', "
              "imports.gi.Gio.AppInfoCreateFlags.SUPPORTS_STARTUP_NOTIFICATION)"
              ".launch([], global.create_app_launch_context("
              "global.display.get_current_time_roundtrip(), -1)) && true")
        wait_for("the focus on the Tisko window", lambda: tisko_window()["focus"])
        print("ok: a launch from the shell focuses Tisko; one without a token asks for attention")
        return 0
    finally:
        for process in filter(None, (running, another)):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()


if __name__ == "__main__":
    sys.exit(main())
