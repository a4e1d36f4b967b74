#!/usr/bin/env python3
"""Xvfb display and Wine prefix shared by the end-to-end tests.

    wine_env.py start --state-dir DIR   start Xvfb and a persistent wineserver
    wine_env.py stop --state-dir DIR    stop them again

The prefix lives in DIR/prefix and is kept between runs; it is rebuilt when
PREFIX_VERSION changes. What a running environment needs to be found again is
written to DIR/env.json.

Every Wine program runs inside a Wine virtual desktop of SCREEN_SIZE, set in
the prefix's registry. Under bare Xvfb with no window manager Wine's
foreground handling is unreliable and a dismissed message box took two
seconds to return; inside its own desktop Wine handles activation and input
itself, and the screen the program centres on has a known size.

Wine's own messages are off (WINEDEBUG=-all) unless TOLVANE_E2E_WINEDEBUG
gives another setting, such as "err+all" to see why a Wine program ended with
a status and said nothing.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SCREEN_SIZE = (1280, 1024)
PREFIX_VERSION = "1"

# No debugger on a crash (the process just ends with the exception code), and
# no Mono or Gecko installer asking questions.
REGISTRY = r"""Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="{width}x{height}"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"=""
""".format(width=SCREEN_SIZE[0], height=SCREEN_SIZE[1])


def wine_environment(display, prefix):
    env = dict(os.environ)
    env.update(
        DISPLAY=display,
        WINEPREFIX=str(prefix),
        WINEDEBUG=os.environ.get("TOLVANE_E2E_WINEDEBUG", "-all"),
        WINEDLLOVERRIDES="mscoree,mshtml=",
    )
    return env


def load(state_dir):
    """The running environment's settings, or None."""
    try:
        with open(Path(state_dir) / "env.json") as f:
            return json.load(f)
    except FileNotFoundError:
        return None


def is_running(state):
    return state is not None and _is_xvfb(state["xvfb_pid"])


def _is_xvfb(pid):
    try:
        return b"Xvfb" in Path(f"/proc/{pid}/cmdline").read_bytes()
    except OSError:
        return False


def _start_xvfb(log_path):
    read_end, write_end = os.pipe()
    with open(log_path, "wb") as log:
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
             "-screen", "0", "{}x{}x24".format(*SCREEN_SIZE)],
            pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            start_new_session=True)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                raise RuntimeError(f"Xvfb did not start; see {log_path}")
            number += chunk
    return xvfb.pid, ":" + number.decode().strip()


# Now and then (a few times in a thousand starts here) Wine loses a program
# that it is starting, before any of the program's code runs: a wine command
# then ends with status 1 and says nothing, and CreateProcessW fails with
# ERROR_INTERNAL_ERROR. Such a start, and only such a start, is made again,
# up to STARTS starts in all; every start of a Wine program goes through
# start_again_if_lost, with the sign of a lost start that its caller can read.
STARTS = 2


def start_again_if_lost(start, lost):
    """`start(attempt)` starts a Wine program and returns what came of it;
    while `lost(outcome)` says that Wine lost the start, it is made again.
    Returns the last outcome."""
    for attempt in range(STARTS):
        outcome = start(attempt)
        if not lost(outcome):
            break
    return outcome


def _wine(args, env, timeout=120):
    # Output goes to a file, not a pipe, for the reason given in _wineserver.
    def start(_):
        with tempfile.TemporaryFile() as output:
            status = subprocess.run(["wine", *args], env=env, timeout=timeout,
                                    stdin=subprocess.DEVNULL, stdout=output,
                                    stderr=subprocess.STDOUT).returncode
            output.seek(0)
            return status, output.read().decode(errors="replace")

    status, said = start_again_if_lost(start, lambda outcome: outcome[0] == 1)
    if status != 0:
        raise RuntimeError(f"wine {' '.join(args)} ended with status {status}:\n{said}")


def _wineserver(args, env):
    # No inherited stdout: a persistent wineserver holding CTest's pipe would
    # make CTest wait for it.
    subprocess.run(["wineserver", *args], env=env, check=False, timeout=60,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def _end_session(env):
    """Ends the prefix's Wine session and waits until it has ended."""
    _wineserver(["-k"], env)
    _wineserver(["-w"], env)


def _begin_session(env):
    """One wineserver for the whole run, so that each test starts quickly."""
    _wineserver(["-p"], env)
    _wine(["cmd", "/c", "exit"], env)


def _prepare_prefix(prefix, env, state_dir):
    marker = prefix / ".tolvane-e2e"
    if marker.exists() and marker.read_text() == PREFIX_VERSION:
        return
    shutil.rmtree(prefix, ignore_errors=True)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    _wine(["wineboot", "-i"], env, timeout=300)
    reg_file = Path(state_dir) / "prefix.reg"
    reg_file.write_text(REGISTRY)
    _wine(["regedit", "/S", "Z:" + str(reg_file).replace("/", "\\")], env)
    # The desktop settings take effect only in a freshly started session.
    _end_session(env)
    marker.write_text(PREFIX_VERSION)


def start(state_dir):
    state_dir = Path(state_dir).resolve()
    state_dir.mkdir(parents=True, exist_ok=True)
    stop(state_dir)
    xvfb_pid, display = _start_xvfb(state_dir / "xvfb.log")
    prefix = state_dir / "prefix"
    state = {"display": display, "xvfb_pid": xvfb_pid, "prefix": str(prefix)}
    with open(state_dir / "env.json", "w") as f:
        json.dump(state, f)
    env = wine_environment(display, prefix)
    _prepare_prefix(prefix, env, state_dir)
    _begin_session(env)
    return state


def set_dpi(state_dir, dpi):
    """Gives the running environment's screen this DPI: the setting goes into
    the prefix and the Wine session starts again, so that every program
    started from now on, the desktop included, sees it."""
    state = load(state_dir)
    env = wine_environment(state["display"], state["prefix"])
    _wine(["reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
           "/d", str(dpi), "/f"], env)
    _end_session(env)
    _begin_session(env)


def stop(state_dir):
    state = load(state_dir)
    if state is None:
        return
    env = wine_environment(state["display"], state["prefix"])
    if Path(state["prefix"]).is_dir():
        _end_session(env)
    if _is_xvfb(state["xvfb_pid"]):
        os.kill(state["xvfb_pid"], signal.SIGTERM)
        for _ in range(50):
            if not _is_xvfb(state["xvfb_pid"]):
                break
            time.sleep(0.1)
    os.remove(Path(state_dir) / "env.json")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=["start", "stop"])
    parser.add_argument("--state-dir", required=True)
    args = parser.parse_args()
    if args.action == "start":
        state = start(args.state_dir)
        print(f"Xvfb on {state['display']}, WINEPREFIX={state['prefix']}")
    else:
        stop(args.state_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
