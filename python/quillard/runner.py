"""Running quillard-run: finding the program, building its command line from
Python values, and turning its exit code and summary into a Result or an
exception."""

import os
import re
import shutil
import signal
import subprocess
from dataclasses import dataclass
from typing import Iterable, List, Optional, Sequence, Union

from .result import Result, RowResult, parse_summary

DEFAULT_PROGRAM = "/usr/lib/quillard/quillard-run"
EXIT_USAGE = 2
EXIT_CANNOT_OPEN = 3


class QuillardError(Exception):
    """quillard-run could not be run, or could not do what it was asked.

    `exit_code` and `stderr` are the program's, when it ran; `result` is its
    summary, when it printed one."""

    def __init__(self, message, exit_code=None, stderr="", result=None):
        super().__init__(message)
        self.exit_code = exit_code
        self.stderr = stderr
        self.result = result


class ProgramNotFound(QuillardError):
    """No quillard-run program where one was looked for."""


class UsageError(QuillardError):
    """The runner refused its command line, a row or the settings file (exit 2)."""


class OpenError(QuillardError):
    """The port (with several ports: every one) or the plug-in could not be
    opened (exit 3)."""


class NoSummary(QuillardError):
    """The runner ended without the JSON summary line."""


class RunTimeLimit(QuillardError):
    """The run took longer than its time limit and was stopped."""


@dataclass
class Row:
    """One row as Python values: the command, the device address, the reply
    time-out in ms and the expected reply (hexadecimal text with ?? for any
    byte and a trailing * for any rest, or bytes)."""

    command: str
    address: Union[str, int, None] = None
    timeout: Optional[int] = None
    expect: Union[str, bytes, None] = None

    def text(self) -> str:
        """The row in the runner's form [ADDR:]CMD[@MS][=>REPLY]."""
        text = self.command
        if self.address is not None:
            address = self.address
            text = f"{address:02X}:{text}" if isinstance(address, int) else f"{address}:{text}"
        if self.timeout is not None:
            text += f"@{int(self.timeout)}"
        if self.expect is not None:
            expect = self.expect
            text += "=>" + (expect.hex(" ").upper() if isinstance(expect, bytes) else expect)
        return text


RowLike = Union[str, tuple, Row]
PortLike = Union[str, int]


def row_text(row: RowLike) -> str:
    """A row given as text, a tuple (command, address, timeout, expect) or a Row,
    as the runner's --send takes it."""
    if isinstance(row, str):
        return row
    if isinstance(row, tuple):
        row = Row(*row)
    if isinstance(row, Row):
        return row.text()
    raise TypeError(f"a row is text, a tuple or a Row, not {type(row).__name__}")


def port_args(port: Union[PortLike, Sequence[PortLike]]) -> List[str]:
    """The runner's options for a port ("COM3", "3", 3, "HID0", "hid:0"), a
    range of COM ports ("COM3-6", "3-6") or a list of those (one worker each
    in the runner)."""
    if isinstance(port, (list, tuple)):
        if not port:
            raise ValueError("no port given")
        return [arg for each in port for arg in port_args(each)]
    text = str(port).strip()
    match = re.fullmatch(r"(?i)(?:com)?(\d+(?:-\d+)?)", text)
    if match:
        return ["--com", match.group(1)]
    match = re.fullmatch(r"(?i)hid:?(\d+)", text)
    if match:
        return ["--hid", match.group(1)]
    raise ValueError(f"{port!r} is no port: give COMn, n, HIDn or hid:n")


def find_program(program: Optional[str] = None) -> str:
    """The quillard-run to start: `program`, else $QUILLARD_RUN, else the one on
    the PATH, else the installed one. Raises ProgramNotFound."""
    named = program or os.environ.get("QUILLARD_RUN")
    if named:
        found = shutil.which(named)
        if not found:
            raise ProgramNotFound(f"quillard-run: {named} is no program that can be run")
        return found
    found = shutil.which("quillard-run")
    if found:
        return found
    if os.access(DEFAULT_PROGRAM, os.X_OK):
        return DEFAULT_PROGRAM
    raise ProgramNotFound("quillard-run is not on the PATH nor at " + DEFAULT_PROGRAM +
                          ": install Quillard, or name the program with QUILLARD_RUN")


def _valued(*options) -> List[str]:
    """The options (name, value) whose value is not None, as "--name value"."""
    return [arg for name, value in options if value is not None
            for arg in (name, os.fspath(value) if isinstance(value, os.PathLike) else str(value))]


def command_line(port, rows: Iterable[RowLike], loop: int = 1, *, seconds=None,
                 folder=None, protocol=None, plugin=None, addr_len=None, text=False,
                 timeout=None, settings=None, char_timeout=None, stop_on_error=False,
                 lang=None, junit=None, program=None, extra_args=()) -> List[str]:
    """The whole command line of a run; see run()."""
    # the line setting and character time-out go before the ports, where they
    # are every port's (after a port they would be that port's alone)
    args = [find_program(program), *_valued(("--settings", settings),
                                            ("--char-timeout", char_timeout)),
            *port_args(port),
            *_valued(("--folder", folder), ("--protocol", protocol), ("--plugin", plugin),
                     ("--addr-len", addr_len), ("--timeout", timeout), ("--lang", lang),
                     ("--junit", junit))]
    if text:
        args.append("--text")
    sends = [row_text(row) for row in rows]
    if not sends:
        raise ValueError("no row to send")
    for row in sends:
        args += ["--send", row]
    args += ["--for", str(seconds)] if seconds is not None else ["--loop", str(int(loop))]
    if stop_on_error:
        args.append("--stop-on-error")
    return args + ["--json", "--quiet"] + [str(arg) for arg in extra_args]


def time_limit_of(rows: Sequence[str], loop: int, seconds, timeout=None) -> float:
    """A generous limit in seconds for a run, from its rows' reply time-outs
    (`timeout`: that of rows without @MS): a run past it has hung."""
    if seconds is not None:
        return float(seconds) + 60
    default_ms = int(timeout or 200)
    per_pass = sum((int(m.group(1)) if (m := re.search(r"@(\d+)", row)) else default_ms)
                   / 1000 + 0.5 for row in rows)
    return 60 + int(loop) * per_pass


def _finish(process: subprocess.Popen, limit: float):
    """The process's output and exit code; past `limit` seconds it is
    interrupted (it then ends after the transaction under way and prints its
    summary), and killed when it does not end after that."""
    try:
        out, err = process.communicate(timeout=limit)
        return out, err, process.returncode, False
    except subprocess.TimeoutExpired:
        process.send_signal(signal.SIGINT)
        try:
            out, err = process.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            out, err = process.communicate()
        return out, err, process.returncode, True


def result_of(exit_code: int, stdout: str, stderr: str) -> Result:
    """The Result of a finished run, or the QuillardError that its exit code
    and output amount to."""
    lines = [line for line in stderr.splitlines() if line.strip()]
    result = None
    if lines:
        try:
            result = parse_summary(lines[-1], exit_code, stdout, stderr)
        except ValueError:
            pass
    message = "\n".join(line for line in lines if not line.startswith("{")).strip()
    if exit_code == EXIT_USAGE:
        raise UsageError(message or "quillard-run refused its command line",
                         exit_code, stderr, result)
    if exit_code == EXIT_CANNOT_OPEN:
        raise OpenError(message or "quillard-run could not open the port or the plug-in",
                        exit_code, stderr, result)
    if result is None:
        raise NoSummary(f"quillard-run ended with exit code {exit_code} and no summary;"
                        f" its stderr:\n{stderr.strip() or '(nothing)'}", exit_code, stderr)
    return result


def run(port="COM3", rows: Iterable[RowLike] = (), loop: int = 1, *, seconds=None,
        folder=None, protocol=None, plugin=None, addr_len=None, text=False, timeout=None,
        settings=None, char_timeout=None, stop_on_error=False, lang=None, junit=None,
        program=None, extra_args=(), time_limit: Optional[float] = None) -> Result:
    """Sends `rows` over `port` with quillard-run, `loop` passes over them or
    passes for `seconds`, and returns what came of it.

    The other keywords are the runner's options: folder (--folder), protocol,
    plugin, addr_len, text, timeout (the reply time-out in ms of rows without
    @MS), settings (the line setting), char_timeout, stop_on_error, lang,
    junit (a report file); extra_args go at the end of the command line.
    `time_limit` (seconds) stops a run that has hung; by default it is
    worked out from the rows. Raises QuillardError (or a subclass)."""
    rows = [row_text(row) for row in rows]
    args = command_line(port, rows, loop, seconds=seconds, folder=folder, protocol=protocol,
                        plugin=plugin, addr_len=addr_len, text=text, timeout=timeout,
                        settings=settings, char_timeout=char_timeout,
                        stop_on_error=stop_on_error, lang=lang, junit=junit,
                        program=program, extra_args=extra_args)
    limit = time_limit if time_limit is not None else time_limit_of(rows, loop, seconds, timeout)
    process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, encoding="utf-8", errors="replace")
    out, err, code, stopped = _finish(process, limit)
    if stopped:
        summary = None
        try:
            summary = result_of(code, out, err)
        except QuillardError:
            pass
        raise RunTimeLimit(f"quillard-run was still running after {limit:g} s and was stopped",
                           code, err, summary)
    return result_of(code, out, err)


class Reader:
    """A reader behind one port, with the options every run over it takes:
    send() one row and check it, run() several."""

    def __init__(self, port, **options):
        self.port = port
        self.options = options

    def run(self, rows: Iterable[RowLike], loop: int = 1, **options) -> Result:
        """run() over this reader's port with its options (`options` win)."""
        return run(self.port, rows, loop, **{**self.options, **options})

    def send(self, command: str, expect=None, address=None, timeout=None,
             loop: int = 1, **options) -> RowResult:
        """Sends one row `loop` times and returns its RowResult; `.ok` is False
        when any transaction failed or did not match `expect`, and `.result`
        is the whole run."""
        result = self.run([Row(command, address, timeout, expect)], loop, **options)
        if result.rows:
            row = result.rows[0]
        else:  # a runner that reports no rows: the run's totals are the row's
            row = RowResult(row=Row(command, address, timeout, expect).text(),
                            transactions=result.transactions, outcomes=result.outcomes,
                            round_trip=result.round_trip)
        row.result = result
        return row
