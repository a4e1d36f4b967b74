"""Helpers for the end-to-end tests: run Tolvane.exe under Wine through
tolvane_driver.exe and read back what the driver saw.

    result = run("/Option uno", ["wait-window", "dump", "key:Enter", "wait-exit"])
    result.exit_code, result.window().child(1).text, result.exit_after_visible_ms

The steps are the driver's (see driver/steps.cpp). The environment comes from
TOLVANE_E2E_STATE (a wine_env.py state folder, as set by CTest's fixture);
without it one is started under build/e2e for this run and stopped at its
end, keeping the prefix for the next. Scratch files go away at the end unless
TOLVANE_E2E_KEEP is set.
TOLVANE_EXE and TOLVANE_DRIVER name the programs, by default those in
TOLVANE_WINDOWS_BUILD_DIR or build/windows; TOLVANE_EXPECT the native tool
that says what the program's logic expects them to show (see expected()).
Run as a script with --list, it lists the test classes for CTest.
"""

import atexit
import functools
import importlib
import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import wine_env

REPO = Path(__file__).resolve().parents[2]

# The choice dialog and the usage box are both dialog boxes of the system's
# class; the controls they hold tell them apart (see Result.seen_kinds).
DIALOG_CLASS = "#32770"
DIALOG = "dialog"
USAGE_BOX = "usage box"


# The dialog's control ids, as the program's logic gives them (see expected()):
# e2e.ID_OK and the like, read when first used, so that listing the tests
# (which CTest does before the tool is built) needs no tool.
_ID_NAMES = {"ID_OK": "kIdOk", "ID_CANCEL": "kIdAnnulla", "ID_TESTO": "kIdTesto",
             "ID_FRAME": "kIdFrame", "ID_TEMPO": "kIdTempo"}


def __getattr__(name):
    if name not in _ID_NAMES:
        raise AttributeError(name)
    return _id(_ID_NAMES[name])


def _id(name):
    return expected()["ids"][name]


# The text of a system message box.
ID_MESSAGE_TEXT = 0xFFFF

# Button styles (low four bits) and static types.
BS_TYPEMASK = 0x0F
BS_DEFPUSHBUTTON = 0x01
BS_GROUPBOX = 0x07
BS_AUTORADIOBUTTON = 0x09
SS_TYPEMASK = 0x1F

_counter = itertools.count()


def windows_path(path):
    """The path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _build_dir():
    return Path(os.environ.get("TOLVANE_WINDOWS_BUILD_DIR", REPO / "build" / "windows"))


def tolvane_exe():
    return Path(os.environ.get("TOLVANE_EXE", _build_dir() / "Tolvane.exe"))


def driver_exe():
    return Path(os.environ.get("TOLVANE_DRIVER", _build_dir() / "tolvane_driver.exe"))


def require_programs():
    for program in (tolvane_exe(), driver_exe()):
        if not program.is_file():
            raise RuntimeError(f"{program} is missing: build the Windows preset first")


@functools.cache
def expected(*args):
    """What the program's logic says the windows show, as the native tool
    TOLVANE_EXPECT prints it for these arguments; read once per process."""
    tool = os.environ.get("TOLVANE_EXPECT", REPO / "build/native/tests/tools/tolvane_expect")
    return json.loads(subprocess.run([str(tool), *args], check=True, capture_output=True,
                                     text=True).stdout)


def max_rows():
    return expected()["max_rows"]


def caption(name):
    """A default caption: title, prompt, ok, annulla or usage_box."""
    return expected()["captions"][name]


def countdown_text(seconds):
    return expected()["countdown"][seconds]


def announcement(seconds, row=0, text=""):
    """What a screen reader hears of the countdown with row `row` (counted
    from 1; 0 for none) selected and captioned `text`."""
    return expected("announce", str(row), text)[seconds]


def layout(rows, dpi):
    """Client size and each shown control's (left, top, width, height) by id,
    in client coordinates, in pixels at `dpi`."""
    data = expected()["layout"][rows][str(dpi)]
    return (tuple(data["client"]),
            {int(cid): tuple(box) for cid, box in data["controls"].items()})


def row_id(row):
    """Control id of option row `row`, counted from 1 like the options."""
    return _id("kIdFirstOption") + row - 1


def option_tail(count, *extra):
    return " ".join([f"/Option Scelta{k}" for k in range(1, count + 1)] + list(extra))


def shared_state_dir():
    """CTest's environment's state folder, or else one under build/ for a run by hand."""
    return Path(os.environ.get("TOLVANE_E2E_STATE") or REPO / "build" / "e2e")


class Environment:
    """The display and the Wine prefix in which the programs run."""

    _current = None

    def __init__(self, state_dir, state):
        self.state_dir = Path(state_dir)
        self.env = wine_env.wine_environment(state["display"], state["prefix"])
        self.scratch = Path(tempfile.mkdtemp(prefix="run-", dir=self.state_dir))
        if not os.environ.get("TOLVANE_E2E_KEEP"):
            atexit.register(shutil.rmtree, self.scratch, ignore_errors=True)

    @classmethod
    def get(cls):
        if cls._current is None:
            state_dir = shared_state_dir()
            state = wine_env.load(state_dir)
            if not wine_env.is_running(state):
                if "TOLVANE_E2E_STATE" in os.environ:
                    raise RuntimeError(f"no running e2e environment in {state_dir}")
                state = wine_env.start(state_dir)
                atexit.register(wine_env.stop, state_dir)
            require_programs()
            cls._current = cls(state_dir, state)
        return cls._current

    def scratch_file(self, suffix):
        return self.scratch / f"{next(_counter)}{suffix}"


class _Dumped:
    """What the driver reported, a window or a child: its fields as
    attributes (a "class" as cls) and by key."""

    def __init__(self, data):
        self.data = data

    def __getattr__(self, name):
        try:
            return self.data["class" if name == "cls" else name]
        except KeyError:
            raise AttributeError(name) from None

    def __getitem__(self, key):
        return self.data[key]


class Window(_Dumped):
    def __init__(self, data):
        super().__init__(data)
        self.client_size = tuple(data["client_size"])
        self.children = [Child(c) for c in data["children"]]

    def child(self, control_id):
        matches = [c for c in self.children if c.id == control_id]
        if len(matches) != 1:
            raise AssertionError(f"{len(matches)} children with id {control_id} in {self.cls}")
        return matches[0]

    def visible_children(self, cls=None):
        return [c for c in self.children
                if c.visible and (cls is None or c.cls.lower() == cls.lower())]


class Child(_Dumped):
    def __repr__(self):
        return f"Child(id={self.id}, cls={self.cls!r}, text={self.text!r})"


class Result(_Dumped):
    """What the driver reported about one run: exit_code, exit_ms (from the
    start, for runs with no window seen), exit_after_visible_ms, killed,
    timed_out, seen_windows, win_events, steps; and the driver's stderr,
    where a WINEDEBUG trace goes."""

    def __init__(self, data, stderr):
        super().__init__(data)
        self.stderr = stderr

    @property
    def failure(self):
        """None when every step succeeded, else what went wrong."""
        if not self.data["started"]:
            return "not started: " + str(self.data.get("error"))
        for step in self.steps:
            if not step["ok"]:
                return f"step {step['step']} failed: {step.get('error')}"
        return None

    def windows(self):
        """Every dump, in order."""
        return [Window(s["window"]) for s in self.steps if "window" in s]

    def window(self, index=0):
        return self.windows()[index]

    def step(self, name):
        """The first step whose text is `name` or starts with `name:`."""
        for step in self.steps:
            if step["step"] == name or step["step"].startswith(name + ":"):
                return step
        raise KeyError(name)

    def seen_kinds(self):
        """The windows that became visible, in order: DIALOG, USAGE_BOX or,
        for any other window, its class."""
        def kind(window):
            if window["class"] == DIALOG_CLASS and _id("kIdTesto") in window["child_ids"]:
                return DIALOG
            if window["class"] == DIALOG_CLASS and ID_MESSAGE_TEXT in window["child_ids"]:
                return USAGE_BOX
            return window["class"]
        return [kind(w) for w in self.seen_windows]


class Driver:
    """tolvane_driver.exe, started in `env` to run `steps` with its options
    `args`; result() waits for its report. Output goes to files, not pipes: a
    stray Wine process that inherited a pipe would keep it open and hang the
    reader."""

    def __init__(self, env, steps, timeout, args, variables):
        self.timeout = timeout
        self.out_file = env.scratch_file(".json")
        self.stderr_file = env.scratch_file(".stderr")
        steps_file = env.scratch_file(".steps")
        steps_file.write_bytes("\n".join(steps).encode("utf-16-le", "surrogatepass"))
        self.args = ["wine", str(driver_exe()), "--timeout", str(int(timeout * 1000)),
                     "--out", windows_path(self.out_file),
                     "--steps-file", windows_path(steps_file), *args]
        self.env = dict(env.env, **variables)
        self._start()

    def _start(self):
        with open(self.stderr_file, "wb") as err:
            self.process = subprocess.Popen(self.args, env=self.env, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=err)

    def result(self):
        # A driver that Wine lost (see wine_env.STARTS) is started again. Its
        # first act is to create its report file, so no file at all and
        # status 1 mean that the driver never ran, nor did Tolvane.exe; the
        # driver treats its own start of Tolvane.exe alike (see
        # Session::Start). A driver that started and died leaves an empty
        # file, and that fails the test.
        def start(attempt):
            if attempt:
                self._start()
            status = self.process.wait(timeout=self.timeout + 30)
            stderr = self.stderr_file.read_text(errors="replace")
            if not self.out_file.exists():
                if status != 1:
                    raise AssertionError(f"the driver wrote no report (exit status {status}); "
                                         f"its stderr:\n{stderr}")
                print(f"Wine did not start the driver (exit status {status}); stderr:\n{stderr}",
                      file=sys.stderr)
                return None
            text = self.out_file.read_text()
            if not text:
                raise AssertionError(f"the driver ended (exit status {status}) before writing "
                                     f"its report; its stderr:\n{stderr}")
            return Result(json.loads(text), stderr)

        result = wine_env.start_again_if_lost(start, lambda result: result is None)
        if result is None:
            raise AssertionError(f"Wine did not start the driver in {wine_env.STARTS} tries")
        return result


def run(tail="", steps=("wait-window", "dump", "key:Enter", "wait-exit"), timeout=30,
        exe=None, environment=None, show=None, wine_debug=None, own_station=False,
        refuse_control=None, variables=None):
    """Starts Tolvane.exe with this command-line tail and runs the steps, in
    the given Environment or else the shared one. `show` is the launcher's
    STARTUPINFO show command, if any; `wine_debug` a WINEDEBUG setting, whose
    trace ends up in Result.stderr. With `own_station` the program runs on a
    window station of the driver's own, which nobody sees; the windows of a
    copy that it starts on the driver's desktop are its own. `refuse_control`:
    a control id whose creation a CBT hook refuses; `variables`: more of the
    program's environment."""
    env = environment or Environment.get()
    # UTF-16LE with lone surrogates kept: the tail reaches the program unchanged.
    tail_file = env.scratch_file(".tail")
    tail_file.write_bytes(tail.encode("utf-16-le", "surrogatepass"))
    args = ["--exe", windows_path(exe or tolvane_exe()), "--tail-file", windows_path(tail_file)]
    if show is not None:
        args += ["--show", str(show)]
    if own_station:
        args.append("--own-station")
    if refuse_control is not None:
        args += ["--refuse-control", str(refuse_control)]
    variables = dict(variables or {}, **({"WINEDEBUG": wine_debug} if wine_debug else {}))
    return Driver(env, steps, timeout, args, variables).result()


def attach(window_class, steps, title=None, timeout=30):
    """A driver in the background that waits for a window of another process
    (started by a batch file, say) and then runs its steps on it."""
    args = ["--attach-class", window_class] + (["--attach-title", title] if title else [])
    return Driver(Environment.get(), steps, timeout, args, {})


def run_batch(batch_file, extra_env=None, timeout=30):
    """Runs a batch file with Wine's cmd.exe; returns (exit status, stdout).
    The batch files always print something, so status 1 with no output is a
    start that Wine lost."""
    env = Environment.get()
    out_file = env.scratch_file(".out")
    run_env = dict(env.env)
    run_env.update(extra_env or {})

    def start(_):
        with open(out_file, "wb") as out:
            status = subprocess.run(["wine", "cmd", "/c", windows_path(batch_file)],
                                    env=run_env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, timeout=timeout).returncode
        return status, out_file.read_bytes()

    status, output = wine_env.start_again_if_lost(
        start, lambda outcome: outcome == (1, b""))
    return status, output.decode("utf-8", errors="replace").replace("\r\n", "\n")


def list_classes():
    """Each test class of the test_*.py modules here, as "module.Class
    timeout": its TIMEOUT in seconds (120 unless it sets one)."""
    loader = unittest.TestLoader()
    for path in sorted(Path(__file__).parent.glob("test_*.py")):
        module = importlib.import_module(path.stem)
        for name, cls in sorted(vars(module).items()):
            if (isinstance(cls, type) and issubclass(cls, unittest.TestCase)
                    and cls.__module__ == path.stem and loader.getTestCaseNames(cls)):
                print(f"{path.stem}.{name} {getattr(cls, 'TIMEOUT', 120)}")


if __name__ == "__main__":
    sys.exit(list_classes() if sys.argv[1:] == ["--list"] else "usage: tolvane_e2e.py --list")
